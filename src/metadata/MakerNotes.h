#pragma once

#include "metadata/ExifTables.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace orvella {

// Where a maker note's directory is and how it is read.
struct MakerNoteLayout {
    size_t directoryOffset;        // from the start of the note
    bool offsetsFromNote;          // offsets count from the note (else from the EXIF base)
    size_t baseInNote;             // where in the note they count from, when they do
    std::optional<bool> bigEndian; // the note's own byte order, when it has one
    const std::vector<ExifTagRow>* table;
};

// The layout of a maker note, by the first five letters of the camera make
// in upper case (NIKON, OLYMP, CASIO, FUJIF, CANON, SEIKO, SANYO, MINOL) and
// the note's own signature; nothing for another maker or an unknown form.
std::optional<MakerNoteLayout> makerNoteLayout(std::string_view maker, std::string_view note);

} // namespace orvella
