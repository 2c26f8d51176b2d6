#include "catalogue/StockDB.h"

#include <random>

namespace orvella {

TStockDBObject::TStockDBObject(TCatalogueConnection& connection)
    : connection_(connection), query_(connection) {}

void TStockDBObject::ExecuteStatement(const std::string& text) {
    query_.SetSQL(text);
    query_.ExecSQL();
}

// A version 4 GUID from the system's random source, written without the
// braces and dashes of its usual text form.
std::string TStockDBObject::NewId() {
    static thread_local std::random_device source;
    unsigned char bytes[16];
    for (size_t i = 0; i < sizeof bytes; i += 4) {
        unsigned int word = source();
        for (size_t j = 0; j < 4; ++j)
            bytes[i + j] = static_cast<unsigned char>(word >> (8 * j));
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
    static const char digits[] = "0123456789ABCDEF";
    std::string id;
    for (unsigned char byte : bytes) {
        id += digits[byte >> 4];
        id += digits[byte & 0x0F];
    }
    return id;
}

} // namespace orvella
