#pragma once
// The one way a source is deleted after its copy is in place: a move across volumes, the merge
// of a folder into one the overwrite policy kept, a grouped commit, a journal settled after a
// kill, an undo or redo across volumes. Each of them deletes only while the source is provably
// what was copied, so that a file the user saved while it was being moved is never lost.
//
// What was copied is taken before the copy starts (`CopiedSource`). A file is then held open,
// readable by others but not writable, until its deletion: nobody can change it in between, and
// a program that saves by replacing the file (write a new one, rename it over) leaves another
// object at the path, which the deletion refuses. Where no file can be held (a folder, a file
// another program already has open for writing, more sources in flight than kHeldSourceBudget),
// the fingerprint taken before the copy is compared right before the deletion, on the very
// handle or name that is then deleted.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "routing/MoveJournal.h"

namespace kw {

// Sources held open at once by one batch, at most: beyond it a source is compared instead.
inline constexpr size_t kHeldSourceBudget = 256;

// What a copy is made of: the source's fingerprint and file number before the copy, and for a
// file (when asked and possible) the open handle that keeps it unchanged.
class CopiedSource {
public:
    CopiedSource() = default;
    // Reads the source before its copy; `hold` asks for a file to be held open. Fails (with the
    // system's reason) when the source cannot be read at all, or holds a link.
    static std::error_code Take(const std::filesystem::path& source, bool hold, CopiedSource& taken);
    // What a journal recorded of a source: its fingerprint alone.
    static CopiedSource FromRecord(const TreeFingerprint& fingerprint);

    const TreeFingerprint& Fingerprint() const { return fingerprint; }
    bool Held() const { return held != nullptr; }
    // Lets the file go without deleting it (the move was given up).
    void Release() { held.reset(); }

private:
    friend std::error_code DeleteCopiedSource(const std::filesystem::path&, const std::filesystem::path&,
                                              CopiedSource&);
    struct Closer {
        void operator()(void* handle) const;
    };
    TreeFingerprint fingerprint;
    std::optional<uint64_t> index;  // the file system's number for it, where it could be read
    std::unique_ptr<void, Closer> held;  // a HANDLE
};

// Deletes `source` if it is still what `copied` describes. A folder is renamed to `aside` (a
// staging name beside it) first and compared there, so that nothing half-deleted is left under
// its name and nothing can change it between the comparison and the deletion. Returns:
//   {}                       deleted;
//   SourceChangedError()     not what was copied (changed, replaced, or another item now has
//                            its name): nothing was deleted;
//   a system error           it could not be deleted (held open, no right to): it is whole
//                            where it was.
// `copied` is released in every case.
std::error_code DeleteCopiedSource(const std::filesystem::path& source, const std::filesystem::path& aside,
                                   CopiedSource& copied);

// What is left of a source whose deletion a kill cut short (renamed to `aside` before it was
// deleted): deleted only when `target` holds every file of it byte for byte. The remains are
// never compared with what was copied, since part of them may be gone already.
std::error_code DeleteRemainsAside(const std::filesystem::path& aside, const std::filesystem::path& target);

// The failure of a deletion refused because the source changed after its copy.
std::error_code SourceChangedError();
bool IsSourceChanged(const std::error_code& ec);

}  // namespace kw
