#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

struct sqlite3;

namespace orvella {

// The catalogue is held by another Orvella process (the window or the tool).
class ECatalogueInUseError;

// A statement the catalogue engine refused.
class EDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The catalogue could not be opened: missing, not a catalogue, or held by
// another process.
class ECatalogueOpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ECatalogueInUseError : public ECatalogueOpenError {
public:
    using ECatalogueOpenError::ECatalogueOpenError;
};

// The one catalogue connection of the process. It holds the file exclusively
// for as long as it is open, so no second process can read or write it. The
// engine runs in serialized mode, so worker threads may issue statements on
// the same connection without disturbing each other.
class TCatalogueConnection {
public:
    static constexpr const char* kFileName = "Orvella.dat";

    explicit TCatalogueConnection(std::filesystem::path file);
    ~TCatalogueConnection();
    TCatalogueConnection(const TCatalogueConnection&) = delete;
    TCatalogueConnection& operator=(const TCatalogueConnection&) = delete;

    sqlite3* handle() const { return db_; }
    // Opened for reading only: the file may not be written by this user.
    bool readOnly() const { return readOnly_; }
    const std::filesystem::path& file() const { return file_; }
    // What the log names as the connection string.
    std::string ConnectionString() const;

private:
    void execute(const char* sql);
    void takeExclusiveLock();
    void checkTables();
    std::string singleText(const char* sql);
    void compareImageLocationsExactly();

    std::filesystem::path file_;
    sqlite3* db_ = nullptr;
    bool readOnly_ = false;
};

} // namespace orvella
