#pragma once
// Where one batch makes its copies across volumes, and the journal that lets a later batch
// finish or undo a move a kill cut short (see MoveJournal.h).
//
// At its first copy into a folder the batch makes a staging folder there ("~kfpart-XXXXXXXX-XXXX");
// a copy is made inside it, recorded in the batch's journal once whole, and renamed into place;
// its source is deleted then. A move given up after its record was written has the record
// marked settled. One that ended with its source gone needs no mark: its record names nothing
// left to act on. When the batch ends, its staging folders go (they are empty by then) and so
// does its journal.
//
// The journal is one file per batch in the program's data folder (see DataFolder.h), kept open
// for the batch and appended to: under Wine every new name costs a scan of its folder (a look-up of a name that is
// not there reads the whole folder for another letter case), and a journal file written and
// deleted beside each copy cost two of them per move. A copy made in the small staging folder
// leaves the rename into place as the only new name per item in the destination, as the floor's
// own copy makes one. Nothing of the batch is held open in the user's folders, so a destination
// can still be deleted while the batch runs.

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "routing/MoveJournal.h"

namespace kw {

// A fresh staging name ("~kfpart-XXXXXXXX-XXXX") in `folder`.
std::filesystem::path StagingPath(const std::filesystem::path& folder);

class MoveStaging {
public:
    // Journals are kept in `journalFolder` (the program's data folder; a test's own folder).
    explicit MoveStaging(std::filesystem::path journalFolder);
    ~MoveStaging();
    MoveStaging(const MoveStaging&) = delete;
    MoveStaging& operator=(const MoveStaging&) = delete;

    // Called with an item and the path it is about to take, right before the rename that puts it
    // there (on one volume, or from its staging copy): so that a record of the move exists before
    // the move, whenever the process is killed (see history/MoveIntents.h).
    using IntentHook = std::function<void(const std::filesystem::path& source, const std::filesystem::path& target)>;
    void OnIntent(IntentHook hook) { intent = std::move(hook); }
    void Intend(const std::filesystem::path& source, const std::filesystem::path& target) const {
        if (intent) intent(source, target);
    }

    // Called with a folder before the batch's first copy into it (to look there for what an
    // earlier run left).
    void BeforeFirstCopyInto(std::function<void(const std::filesystem::path&)> hook) { firstCopy = std::move(hook); }

    // A fresh path for a copy that is to become an item of `folder`: inside the batch's staging
    // folder there, or directly in `folder` where no staging folder can be made.
    std::filesystem::path CopyPath(const std::filesystem::path& folder);

    // Records the whole copy at `copy` (from CopyPath); `move` says what it is a copy of and the
    // name it is to take. False when nothing could be recorded (no journal, no key to seal it,
    // a copy outside a staging folder): the move still goes ahead, and a kill after its rename
    // may leave the item at both ends.
    bool Record(const std::filesystem::path& copy, MoveJournal move);

    // A record or a staging folder's line could not be journalled (no key, the journal could not
    // be written): a kill in this batch may leave an item at both ends.
    bool RecordsLost() const { return lost; }

    // The move of `copy` was given up: nothing later may act on its record.
    void Settled(const std::filesystem::path& copy);

    // The staging folder made in `folder` went (with the folder, or on its own): the next copy
    // makes it anew. False when there was no staging folder to lose.
    bool Drop(const std::filesystem::path& folder);

    // Group commit, for a batch that can hold its items' outcomes for a moment (the route job):
    // a move's record is written but not flushed, its copy goes into place, and its source is
    // deleted only after one flush covers the records of the whole group (Commit). A flush on
    // the disk costs about a millisecond here, more than the move of a small file; per group of
    // moves it is paid once. Off (the default), each record is flushed before its rename.
    void GroupCommits(bool on) { grouped = on; }
    bool GroupsCommits() const { return grouped; }
    // The rest of a move whose copy is in place (its source's deletion), run at the next Commit;
    // returns the move's outcome.
    void AddPending(const std::filesystem::path& source, std::function<std::error_code()> finish);
    size_t Pending() const { return pending.size(); }
    // Whether a pending move's source is `item` or lies inside it: such an item must wait for the
    // commit (routed again, the source still there would be copied twice).
    bool PendingWithin(const std::filesystem::path& item) const;
    // Flushes the journal once, then finishes the pending moves in order: their outcomes, in order.
    std::vector<std::error_code> Commit();

    // Ends the batch's staging: its staging folders go, then its journal. False when something
    // had to stay (a copy that could not be removed), with the journal for a later batch to
    // settle. Moves still pending are committed first. The destructor closes what is still open.
    bool Close();

private:
    std::filesystem::path journalFolder;
    std::filesystem::path journalPath;
    void* journal = nullptr;  // HANDLE; opened with the first staging folder
    bool journalFailed = false;
    bool lost = false;
    std::function<void(const std::filesystem::path&)> firstCopy;
    IntentHook intent;
    std::map<std::wstring, std::filesystem::path> areas;  // folder -> its staging folder (empty: none)
    std::vector<std::filesystem::path> made;               // every staging folder made, to clear at the end
    bool grouped = false;
    bool unflushed = false;  // records written since the last flush
    std::vector<std::function<std::error_code()>> pending;
    std::vector<std::wstring> pendingSources;  // literal paths, as the file system compares them
    bool Append(std::wstring_view text, bool flush = true);
};

}  // namespace kw
