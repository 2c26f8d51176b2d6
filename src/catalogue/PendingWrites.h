#pragma once

#include "catalogue/Connection.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orvella {

// A file change whose catalogue change was not yet committed when the
// process ended: a rewrite of the file in place (target empty), or a move of
// it to target.
struct PendingWrite {
    std::string file;
    std::string key;
    std::string target;
};

// One file's change together with the catalogue changes that go with it, so
// that both happen or neither. The intent is recorded and committed first;
// then the catalogue changes run in a transaction that commit() ends after
// the file's rename. When the step ends without commit() the changes are
// rolled back and the intent dropped. A process killed in between leaves the
// intent, which the next start reads (PendingWrites) and settles from what
// the file system holds.
class TFileWriteStep {
public:
    TFileWriteStep(TCatalogueConnection& connection, const std::filesystem::path& file,
                   const std::string& key, const std::filesystem::path& target = {});
    ~TFileWriteStep();
    TFileWriteStep(const TFileWriteStep&) = delete;
    TFileWriteStep& operator=(const TFileWriteStep&) = delete;

    // Commits the catalogue changes and drops the intent in one transaction.
    void commit();

private:
    TCatalogueConnection& connection_;
    std::string file_;
    bool nested_ = false;
    bool open_ = false;
};

// The intents left by a process that ended before settling them.
std::vector<PendingWrite> PendingWrites(TCatalogueConnection& connection);
// Drops a settled intent.
void ForgetPendingWrite(TCatalogueConnection& connection, const std::string& file);

} // namespace orvella
