#pragma once

// The RAW conversion library's two entry points, over LibRaw. The library
// reads and writes files only through the caller's file-operations table and
// reports errors by setting the byte flag whose address comes last.
#include "viewer/RawFileOperations.h"

#include <cstdint>

namespace orvella {

#pragma pack(push, 1)
// What RawInfo tells about a RAW file.
struct TRawInfoRecord {
    int32_t iso;
    float shutter;     // seconds
    float aperture;    // f-number
    float focalLength; // millimetres
    uint8_t unused;
    int32_t rotation; // degrees
};
#pragma pack(pop)

// The progress record handed to FromRawToPSD.
struct TRawProgress {
    void (*callback)(void* object);
    void* object;
};

inline constexpr int kRawTextSize = 1000;
inline constexpr int kRawOptionsSize = 45;
inline constexpr int kRawWorkAreaSize = 80007;

extern "C" {

// Reads the facts of the RAW file behind table->input. 0 on success.
int RawInfo(const TRawFileOperations* table, const uint8_t* zeros, TRawInfoRecord* info,
            const char* path, uint8_t flag, int32_t* width, int32_t* height, char* make,
            char* model, char* software, uint8_t* errorFlag);

// Writes the camera's preview of rawPath to outputPath, both through the
// table: the embedded JPEG (format 1), an embedded bitmap as PPM (2), or,
// without a preview, a half-size rendering as TIFF (3). The format is left
// in options[44]; 0 there means nothing usable was written. A data error
// (a damaged or cut-short file) sets the error flag and leaves the library's
// words in errorText (kRawTextSize + 1 bytes), since whatever picture the
// library made of such a file is not the file's.
int FromRawToPSD(const TRawFileOperations* table, const uint8_t* zeros, uint8_t* scratch,
                 TRawProgress* progress, const char* rawPath, const char* outputPath,
                 uint8_t* options, uint8_t* workArea, int32_t* scratchValue1,
                 int32_t* scratchValue2, char* errorText, char* scratchText2, char* scratchText3,
                 uint8_t* errorFlag);
}

} // namespace orvella
