#pragma once
// The journal of moves across volumes. A copy is made under a staging name, inside the batch's
// staging folder in the destination (see MoveStaging.h); once it is whole, a record in the
// batch's journal says where it came from and the name it is to take. A process killed after
// the rename into place but before the source is gone leaves the item at both ends: the record
// lets the next batch finish the move (or undo one that never reached the rename) instead of
// leaving a duplicate.
// Plain data and text only; reading the file system is the caller's part.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

// What identifies a copied item without reading its contents: for a file its size and
// last-write time (a copy keeps both); for a folder its total size, its number of entries and
// a digest over every entry's relative name, kind, size and (for files) last-write time.
struct TreeFingerprint {
    bool folder = false;
    uint64_t bytes = 0;
    uint64_t entries = 0;
    uint64_t stamp = 0;  // file: last-write time; folder: the digest
    bool operator==(const TreeFingerprint&) const = default;
};

struct MoveJournal {
    std::wstring copy;    // full literal path of the copy, a staging name in a staging folder in
                          // the target's folder; empty in the journal of one move (earlier
                          // versions), whose copy is the journal's own staging name beside it
    std::wstring source;  // full path of the item being moved
    std::wstring target;  // the name it takes in the journal's folder
    std::wstring aside;   // the staging name, beside the source, the source takes while it is deleted
    TreeFingerprint copied;
    std::wstring seal;    // proves this installation wrote it (see JournalSeal.h); hex digits
};

// Journals are UTF-16 text (names of any kind survive the round trip); each record ends in an
// end line, so one cut short by a kill is never taken for whole. Parsing also refuses a record
// that could lead outside its folders: a source that is not a full literal path, a target that
// is not a plain name, an aside that is not a staging name, a copy that is not in a staging
// folder. The seal covers the body: every line of the record before the seal line.
std::wstring MoveJournalBody(const MoveJournal& journal);
std::wstring FormatMoveJournal(const MoveJournal& journal);

// A batch's journal: an "area" line for each staging folder the batch made (sealed, so that
// only this installation's staging folders are ever cleared), its moves' records, and a
// "settled" line for each move given up. A record cut short by a kill is left out: it was being
// written before its rename into place, so that rename never happened.
struct JournalArea {
    std::wstring folder;  // full literal path of a staging folder
    std::wstring seal;
};
struct JournalFile {
    std::vector<JournalArea> areas;
    std::vector<MoveJournal> moves;  // without those settled
};
JournalFile ParseJournalFile(std::wstring_view text);
std::wstring AreaBody(std::wstring_view folder);  // what an area line's seal covers
std::wstring AreaLine(const JournalArea& area);
std::wstring SettledLine(std::wstring_view copy);

// "~kfpart-XXXXXXXX-XXXX": a copy in progress. The journal of one has the same name with
// ".journal" appended; both look like nothing a user would drop.
bool IsStagingName(std::wstring_view name);
bool IsJournalName(std::wstring_view name);
std::wstring JournalName(std::wstring_view stagingName);
std::wstring StagingNameOfJournal(std::wstring_view journalName);

}  // namespace kw
