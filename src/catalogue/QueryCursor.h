#pragma once

#include "catalogue/Query.h"

#include <cstddef>

namespace orvella {

// Puts the query's cursor on the row of that index (from 0).
inline void MoveToRow(TQuery& query, size_t index) {
    query.First();
    for (size_t i = 0; i < index && !query.Eof(); ++i)
        query.Next();
}

} // namespace orvella
