#include "viewer/RawFileOperations.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <mutex>
#include <vector>

#include <sys/stat.h>

namespace orvella {

namespace {

// Files are numbered by one counter for the whole program: from 10 up to the
// largest 32-bit value, then from 10 again.
int32_t nextFileNumber() {
    static std::mutex mutex;
    static int32_t next = 10;
    std::lock_guard lock(mutex);
    int32_t number = next;
    next = number == std::numeric_limits<int32_t>::max() ? 10 : number + 1;
    return number;
}

class DiskFile : public TBufferedFile {
public:
    explicit DiskFile(std::FILE* file) : file_(file) {}
    ~DiskFile() override { std::fclose(file_); }

    size_t Read(void* buffer, size_t length) override {
        switchTo(Direction::Reading);
        return std::fread(buffer, 1, length, file_);
    }
    size_t Write(const void* buffer, size_t length) override {
        switchTo(Direction::Writing);
        return std::fwrite(buffer, 1, length, file_);
    }
    int ReadByte(bool& endOfFile) override {
        switchTo(Direction::Reading);
        int c = std::fgetc(file_);
        endOfFile = c == EOF;
        return endOfFile ? -1 : c;
    }
    bool Move(int64_t offset, Origin origin) override {
        direction_ = Direction::Either;
        static constexpr int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
        return ::fseeko(file_, offset, whence[static_cast<int>(origin)]) == 0;
    }
    int64_t Position() override { return ::ftello(file_); }
    int64_t Size() override {
        std::fflush(file_);
        struct stat status {};
        return ::fstat(::fileno(file_), &status) == 0 ? status.st_size : -1;
    }

private:
    enum class Direction { Either, Reading, Writing };
    // C streams need a seek between reading and writing.
    void switchTo(Direction direction) {
        if (direction_ != Direction::Either && direction_ != direction)
            ::fseeko(file_, 0, SEEK_CUR);
        direction_ = direction;
    }

    std::FILE* file_;
    Direction direction_ = Direction::Either;
};

class MemoryFile : public TBufferedFile {
public:
    size_t Read(void* buffer, size_t length) override {
        size_t available = position_ < bytes_.size() ? bytes_.size() - position_ : 0;
        size_t count = std::min(length, available);
        std::memcpy(buffer, bytes_.data() + position_, count);
        position_ += count;
        return count;
    }
    size_t Write(const void* buffer, size_t length) override {
        if (bytes_.size() < position_ + length)
            bytes_.resize(position_ + length);
        std::memcpy(bytes_.data() + position_, buffer, length);
        position_ += length;
        return length;
    }
    int ReadByte(bool& endOfFile) override {
        endOfFile = position_ >= bytes_.size();
        return endOfFile ? -1 : static_cast<unsigned char>(bytes_[position_++]);
    }
    bool Move(int64_t offset, Origin origin) override {
        int64_t base = origin == Origin::Start     ? 0
                       : origin == Origin::Current ? static_cast<int64_t>(position_)
                                                   : static_cast<int64_t>(bytes_.size());
        if (base + offset < 0)
            return false;
        position_ = static_cast<size_t>(base + offset);
        return true;
    }
    int64_t Position() override { return static_cast<int64_t>(position_); }
    int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }

private:
    std::vector<char> bytes_;
    size_t position_ = 0;
};

bool valid(const TRawFileHandle* handle) {
    return handle && handle->marker == kRawHandleMarker && handle->file;
}

// Writes at the append position in append mode, and moves that position on.
size_t writeBytes(TRawFileHandle* handle, const void* bytes, size_t length) {
    if (handle->appendMode)
        handle->file->Move(handle->appendPosition, TBufferedFile::Origin::Start);
    size_t written = handle->file->Write(bytes, length);
    if (handle->appendMode)
        handle->appendPosition += static_cast<int32_t>(written);
    return written;
}

bool productFits(size_t size, size_t count, size_t& bytes) {
    return !__builtin_mul_overflow(size, count, &bytes);
}

extern "C" {

TRawFileHandle* rawOpen(const char* name, const char* mode) {
    if (!name || !mode)
        return nullptr;
    std::string modeText = mode;
    auto has = [&](const char* part) { return modeText.find(part) != std::string::npos; };
    using Mode = TBufferedFile::Mode;
    bool append = false;
    Mode openMode;
    if (has("r+"))
        openMode = Mode::ReadWrite;
    else if (has("r"))
        openMode = Mode::ReadOnly;
    else if (has("w"))
        openMode = Mode::CreateOrTruncate;
    else if (has("a"))
        openMode = Mode::ReadWrite, append = true;
    else
        return nullptr;
    std::unique_ptr<TBufferedFile> file = TBufferedFile::Open(name, openMode);
    if (!file)
        return nullptr;
    auto* handle = new TRawFileHandle;
    handle->marker = kRawHandleMarker;
    handle->appendMode = append ? 1 : 0;
    handle->appendPosition = append ? static_cast<int32_t>(file->Size()) : 0;
    handle->file = file.release();
    return handle;
}

int rawClose(TRawFileHandle* handle) {
    if (!valid(handle))
        return -1;
    delete handle->file;
    handle->file = nullptr;
    handle->marker = 0;
    delete handle;
    return 0;
}

int64_t rawRead(void* buffer, size_t size, size_t count, TRawFileHandle* handle) {
    size_t bytes;
    if (!valid(handle) || !productFits(size, count, bytes))
        return -1;
    return static_cast<int64_t>(handle->file->Read(buffer, bytes));
}

int64_t rawWrite(const void* buffer, size_t size, size_t count, TRawFileHandle* handle) {
    size_t bytes;
    if (!valid(handle) || !productFits(size, count, bytes))
        return -1;
    size_t written = writeBytes(handle, buffer, bytes);
    return size == 0 ? 0 : static_cast<int64_t>(written / size);
}

int rawGetc(TRawFileHandle* handle) {
    if (!valid(handle))
        return -1;
    bool endOfFile = false;
    return handle->file->ReadByte(endOfFile);
}

int rawPutc(int c, TRawFileHandle* handle) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (!handle)
        return std::fputc(byte, stdout) == EOF ? -1 : byte;
    if (!valid(handle))
        return -1;
    return writeBytes(handle, &byte, 1) == 1 ? byte : -1;
}

int rawPuts(const char* text, TRawFileHandle* handle) {
    if (!valid(handle) || !text)
        return -1;
    size_t length = std::strlen(text);
    return writeBytes(handle, text, length) == length ? 1 : -1;
}

char* rawGets(char* buffer, int n, TRawFileHandle* handle) {
    if (!valid(handle) || !buffer || n <= 0)
        return nullptr;
    TBufferedFile& file = *handle->file;
    if (file.Position() >= file.Size())
        return nullptr;
    int count = 0;
    bool endOfFile = false, lineEnded = false;
    while (count < n) {
        int c = file.ReadByte(endOfFile);
        if (endOfFile)
            break;
        buffer[count++] = static_cast<char>(c);
        if (c == '\n') {
            lineEnded = true;
            break;
        }
    }
    // The terminator takes the place of the line feed, or of the n-th byte;
    // a last line without a line feed keeps all its bytes.
    buffer[lineEnded || count == n ? count - 1 : count] = '\0';
    return buffer;
}

int64_t rawTell(TRawFileHandle* handle) {
    return valid(handle) ? handle->file->Position() : -1;
}

int rawEof(TRawFileHandle* handle) {
    if (!valid(handle))
        return -1;
    return handle->file->Position() == handle->file->Size() ? -1 : 0;
}

int rawSeek(TRawFileHandle* handle, int64_t offset, int whence) {
    if (!valid(handle))
        return -1;
    using Origin = TBufferedFile::Origin;
    switch (whence) {
    case 0:
        handle->file->Move(offset, Origin::Start);
        return handle->file->Position() == offset ? 0 : -1;
    case 1:
        handle->file->Move(offset, Origin::Current);
        return 0;
    case 2:
        handle->file->Move(offset, Origin::End);
        return 0;
    default:
        return -1;
    }
}

int rawFileno(TRawFileHandle* handle) {
    return valid(handle) ? handle->file->Number() : -1;
}

int rawNoOperation() {
    return 0;
}

void* rawIdentity(void* argument) {
    return argument;
}

} // extern "C"

} // namespace

TBufferedFile::TBufferedFile() : number_(nextFileNumber()) {}

std::unique_ptr<TBufferedFile> TBufferedFile::Open(const std::string& name, Mode mode) {
    if (name.empty())
        return std::make_unique<MemoryFile>();
    static constexpr const char* modes[] = {"rb", "r+b", "w+b"};
    std::FILE* file = std::fopen(name.c_str(), modes[static_cast<int>(mode)]);
    if (!file)
        return nullptr;
    return std::make_unique<DiskFile>(file);
}

TRawFileOperations MakeRawFileOperations(TRawFileHandle* input) {
    TRawFileOperations table{};
    table.size = sizeof(TRawFileOperations);
    table.fileno = rawFileno;
    table.fgets = rawGets;
    table.fopen = rawOpen;
    table.fclose = rawClose;
    table.ftell = rawTell;
    table.noOperation = rawNoOperation;
    table.fread = rawRead;
    table.fgetc = rawGetc;
    table.fwrite = rawWrite;
    table.fputc = rawPutc;
    table.fputs = rawPuts;
    table.feof = rawEof;
    table.fseek = rawSeek;
    table.input = input;
    table.reserved = 0;
    table.identity = rawIdentity;
    return table;
}

} // namespace orvella
