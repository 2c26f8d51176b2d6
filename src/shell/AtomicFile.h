#pragma once

#include <cstddef>
#include <deque>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <system_error>
#include <vector>

namespace orvella {

// The mkstemp template of a temporary file beside target, in its folder:
// "~" + the target's name + ".orv" + six characters mkstemp picks. A name too
// long for the file system is shortened, so that a file whose own name is at
// the limit can still be rewritten.
std::string TemporaryTemplateBeside(const std::filesystem::path& target);
// Whether a file name is one TemporaryTemplateBeside makes.
bool IsOrvellaTemporaryName(std::string_view name);
// Removes what a killed Orvella left in a folder: its temporary files, known
// by their exact name pattern, last changed before this process started or
// over an hour ago (so a write in progress elsewhere is never cut short).
// Done once per folder and process; errors are ignored. Gives the number
// removed.
int RemoveStaleTemporaries(const std::filesystem::path& folder);

// Whether the new content must reach the disk before the rename. Caches that
// are rebuilt when unreadable may skip the flush; users' files never do.
enum class Durability { Flushed, Cache };

// Replaces (or creates) a file so that a crash, a kill or a full disk at any
// moment leaves either the old content or the new one: the bytes go to a
// temporary file in the same folder, are flushed to disk, and the temporary
// file is renamed over the target. A symbolic link is followed: the file it
// leads to is replaced in its own folder, and the link stays. An existing
// file keeps its permission bits, and its owner and group where the writer
// may give them; a new one gets newFileMode. A file with several hard links
// is refused (std::system_error, EMLINK): the rename would give the new
// content to one of its names only. Throws std::system_error on failure,
// leaving the target untouched.
// One read of the whole file into a buffer of its size; a file that cannot
// be opened or read throws std::system_error.
std::string readWholeFile(const std::filesystem::path& file);

void replaceFileAtomically(const std::filesystem::path& target, std::string_view content,
                           mode_t newFileMode = 0644, Durability durability = Durability::Flushed);

// The same for content given in pieces, written one after the other, so that
// a large file can be rewritten from a new head and its old body without
// first joining them in memory.
void replaceFileAtomically(const std::filesystem::path& target,
                           std::initializer_list<std::string_view> pieces,
                           mode_t newFileMode = 0644, Durability durability = Durability::Flushed);

// A waiting replacement of an AtomicWriteBatch that could not be completed;
// names the file, which keeps its old content.
class EDeferredWriteError : public std::system_error {
public:
    EDeferredWriteError(std::filesystem::path file, const std::system_error& cause);
    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
};

// Rewrites users' files in a series, as a command over many selected files
// does. While a batch is open on a thread, a flushed replacement made on that
// thread writes its temporary file and starts the write-back at once; the
// batch flushes it and renames it over the target later, in the order the
// replacements were made, with at most `depth` waiting. So the disk writes
// one file while the next is prepared, instead of each flush being waited for
// in turn. Every file still ends with either its old content or its new one.
//
// A waiting file that cannot be completed is reported by the next
// replacement or by finish() as EDeferredWriteError; the files queued after
// it are dropped and keep their old content. The destructor completes what
// waits (an error there is logged), so the files written before an error that
// ends a command stay written.
class AtomicWriteBatch {
public:
    explicit AtomicWriteBatch(size_t depth = 8);
    ~AtomicWriteBatch();
    AtomicWriteBatch(const AtomicWriteBatch&) = delete;
    AtomicWriteBatch& operator=(const AtomicWriteBatch&) = delete;

    // Completes every waiting replacement.
    void finish();

    // A temporary file written and open, waiting to replace its target.
    struct Waiting {
        std::filesystem::path temporary;
        std::filesystem::path target;
        int fd = -1;
    };
    // Used by replaceFileAtomically: queues a written temporary file.
    void add(Waiting waiting);
    // The batch open on the calling thread, if any.
    static AtomicWriteBatch* current();

private:
    void completeFront();
    void dropAll();
    void flushFolders();

    size_t depth_;
    std::deque<Waiting> waiting_;
    std::vector<std::filesystem::path> renamedIn_; // folders whose entries are not yet flushed
    AtomicWriteBatch* previous_;
};

} // namespace orvella
