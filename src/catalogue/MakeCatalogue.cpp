// Build step: makes the empty catalogue from the schema, unless a catalogue
// is already there. The new file is built under a temporary name and renamed
// into place, so an interrupted build never leaves half a catalogue.
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

static int fail(const std::string& message) {
    std::fprintf(stderr, "orvella-make-catalogue: %s\n", message.c_str());
    return 1;
}

static bool buildCatalogue(const std::string& schema, const fs::path& file, std::string& error) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(file.c_str(), &db) == SQLITE_OK;
    char* message = nullptr;
    if (ok)
        ok = sqlite3_exec(db, schema.c_str(), nullptr, nullptr, &message) == SQLITE_OK;
    error = message ? message : (db ? sqlite3_errmsg(db) : "cannot open");
    sqlite3_free(message);
    ok = sqlite3_close(db) == SQLITE_OK && ok;
    return ok;
}

int main(int argc, char** argv) {
    if (argc != 3)
        return fail("usage: orvella-make-catalogue SCHEMA.sql CATALOGUE");
    fs::path target = argv[2];
    if (fs::exists(target)) {
        // One made before catalogues became owner-only is narrowed.
        fs::permissions(target, fs::perms::group_all | fs::perms::others_all,
                        fs::perm_options::remove);
        return 0;
    }
    std::ifstream in(argv[1]);
    if (!in)
        return fail(std::string("cannot read ") + argv[1]);
    std::ostringstream schema;
    schema << in.rdbuf();

    fs::path temporary = target;
    temporary += ".new";
    fs::remove(temporary);
    std::string error;
    if (!buildCatalogue(schema.str(), temporary, error)) {
        fs::remove(temporary);
        return fail("schema failed: " + error);
    }
    // The catalogue will hold FTP passwords: the owner's alone. An
    // installation gives its shipped copy wider read rights itself.
    fs::permissions(temporary, fs::perms::owner_read | fs::perms::owner_write);
    fs::rename(temporary, target);
    return 0;
}
