#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace orvella {

// The program's buffered file: a file on disk, or one held in memory when
// opened with an empty name.
class TBufferedFile {
public:
    enum class Mode { ReadOnly, ReadWrite, CreateOrTruncate };
    enum class Origin { Start, Current, End };

    virtual ~TBufferedFile() = default;
    virtual size_t Read(void* buffer, size_t length) = 0;
    virtual size_t Write(const void* buffer, size_t length) = 0;
    // The next byte, or -1 with endOfFile set.
    virtual int ReadByte(bool& endOfFile) = 0;
    virtual bool Move(int64_t offset, Origin origin) = 0;
    virtual int64_t Position() = 0;
    virtual int64_t Size() = 0;

    // Null when the file cannot be opened.
    static std::unique_ptr<TBufferedFile> Open(const std::string& name, Mode mode);

    // The number the file received when it was opened.
    int32_t Number() const { return number_; }

protected:
    TBufferedFile();

private:
    int32_t number_;
};

// A handle of the file-operations table. Only handles bearing the marker are
// accepted by the operations.
struct TRawFileHandle {
    TBufferedFile* file = nullptr;
    uint32_t marker = 0;
    uint8_t appendMode = 0; // 1: every write goes to the append position
    int32_t appendPosition = 0;
};
inline constexpr uint32_t kRawHandleMarker = 26985; // 0x6969

// The C-style file operations the RAW library reads and writes through, in
// the order of its table. Offsets and positions are 64-bit here so that
// files beyond 2 GB stay reachable.
extern "C" {
struct TRawFileOperations {
    int32_t size;
    int (*fileno)(TRawFileHandle* handle);
    char* (*fgets)(char* buffer, int n, TRawFileHandle* handle);
    TRawFileHandle* (*fopen)(const char* name, const char* mode);
    int (*fclose)(TRawFileHandle* handle);
    int64_t (*ftell)(TRawFileHandle* handle);
    int (*noOperation)();
    int64_t (*fread)(void* buffer, size_t size, size_t count, TRawFileHandle* handle);
    int (*fgetc)(TRawFileHandle* handle);
    int64_t (*fwrite)(const void* buffer, size_t size, size_t count, TRawFileHandle* handle);
    int (*fputc)(int c, TRawFileHandle* handle);
    int (*fputs)(const char* text, TRawFileHandle* handle);
    int (*feof)(TRawFileHandle* handle);
    int (*fseek)(TRawFileHandle* handle, int64_t offset, int whence);
    TRawFileHandle* input;
    int32_t reserved;
    void* (*identity)(void* argument);
};
}

// The table, with its pre-opened input handle (null when none).
TRawFileOperations MakeRawFileOperations(TRawFileHandle* input = nullptr);

} // namespace orvella
