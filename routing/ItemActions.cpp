#include "routing/ItemActions.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <utility>

#include "matching/RuleSelection.h"
#include "model/AsciiCase.h"
#include "model/DataFolder.h"
#include "model/FileName.h"
#include "model/TextEncoding.h"
#include "routing/FileTree.h"
#include "routing/JournalSeal.h"
#include "routing/MoveDecision.h"
#include "routing/MoveJournal.h"
#include "routing/MoveStaging.h"
#include "routing/NameConflicts.h"
#include "routing/ReplacedItem.h"
#include "routing/RouteMessages.h"
#include "routing/SourceDeletion.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

// Fresh auto-rename names tried when the one chosen turns out to be taken.
constexpr int kRenameRetries = 16;

bool IsNameTaken(const std::error_code& ec) {
    return ec.value() == ERROR_ALREADY_EXISTS || ec.value() == ERROR_FILE_EXISTS;
}

std::error_code LastError() { return {static_cast<int>(GetLastError()), std::system_category()}; }

bool IsFolderItem(const fs::path& path) {
    const DWORD attributes = GetFileAttributesW(ExtendedPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether something stands at the path: yes, no, or unknown (an error other than "not found",
// such as a volume that does not answer), in which case nothing may be decided about it.
enum class Presence { present, missing, unknown };

Presence Lookup(const fs::path& path) {
    if (GetFileAttributesW(ExtendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) return Presence::present;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Presence::missing : Presence::unknown;
}

bool WriteNewFile(const fs::path& path, std::wstring_view text) {
    HANDLE h = CreateFileW(ExtendedPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    DWORD written = 0;
    const bool ok = WriteFile(h, text.data(), size, &written, nullptr) && written == size;
    CloseHandle(h);
    if (!ok) DeleteFileW(ExtendedPath(path).c_str());
    return ok;
}

// A batch's journal holds a record per move (a few hundred bytes each); anything past this
// is not a journal of ours.
constexpr LONGLONG kJournalLimit = 256LL << 20;

std::optional<std::wstring> ReadJournalText(const fs::path& path) {
    HANDLE h = CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    LARGE_INTEGER size{};
    std::optional<std::wstring> text;
    if (GetFileSizeEx(h, &size) && size.QuadPart <= kJournalLimit) {
        std::wstring read(static_cast<size_t>(size.QuadPart) / sizeof(wchar_t), L'\0');
        DWORD got = 0;
        if (ReadFile(h, read.data(), static_cast<DWORD>(read.size() * sizeof(wchar_t)), &got, nullptr)) {
            read.resize(got / sizeof(wchar_t));
            text = std::move(read);
        }
    }
    CloseHandle(h);
    return text;
}

void RemoveJournal(const fs::path& journal) {
    if (!journal.empty()) DeleteFileW(ExtendedPath(journal).c_str());
}

// Copy under a staging name, rename into place, and only then delete the source: a target
// name never holds a partial copy, and a failed copy leaves the source whole. What is copied is
// taken before the copy starts (a file is held open so that nobody can write it meanwhile), and
// the source is deleted only while it is still that (SourceDeletion.h): an item saved while it
// was being moved stays, with its newer contents, and the stale copy is taken back.
std::error_code CopyThenDelete(const fs::path& source, const fs::path& target, bool overwrite, MoveStaging& staging,
                               const ClearTarget& clear) {
    auto copied = std::make_shared<CopiedSource>();
    if (const std::error_code ec = CopiedSource::Take(source, staging.Pending() < kHeldSourceBudget, *copied)) return ec;
    const bool sourceIsFolder = copied->Fingerprint().folder;
    const fs::path aside = StagingPath(source.parent_path());
    if (overwrite && sourceIsFolder && IsFolderItem(target)) {
        // A folder that survived the overwrite policy's deletion: merge, replacing same names.
        if (std::error_code ec = CopyTree(source, target, true)) return ec;
        return DeleteCopiedSource(source, aside, *copied);
    }
    fs::path copy = staging.CopyPath(target.parent_path());
    std::error_code copyError = CopyTree(source, copy, false);
    if (copyError.value() == ERROR_PATH_NOT_FOUND && staging.Drop(target.parent_path())) {
        // The staging folder went since the batch made it (with its folder, made again since).
        copy = staging.CopyPath(target.parent_path());
        copyError = CopyTree(source, copy, false);
    }
    // The source is deleted only once its copy is on the disk: a power cut or a stick pulled
    // seconds after the move must not leave a truncated or zero-filled copy and no original.
    if (!copyError) copyError = FlushTree(copy);
    if (copyError) {
        DeleteTree(copy);
        return copyError;
    }
    MoveJournal move;
    // The source's own fingerprint, as it was when the copy began: the copy's may differ in its
    // times alone (FAT keeps them to 2 s), and what a settle must know is whether the source is
    // still what was copied.
    move.copied = copied->Fingerprint();
    // The literal form, so that a later batch finds exactly this item ("CON", "name.").
    move.source = ExtendedPath(source);
    move.target = target.filename().native();
    move.aside = aside.filename().native();
    const bool recorded = staging.Record(copy, move);
    const DWORD flags = overwrite ? MOVEFILE_REPLACE_EXISTING : 0;
    // What the item replaces goes only now that the item is whole beside it: a copy that failed
    // has left both where they were.
    std::error_code ec = clear ? clear() : std::error_code();
    if (!ec) staging.Intend(source, target);
    if (ec || !MoveFileExW(ExtendedPath(copy).c_str(), ExtendedPath(target).c_str(), flags)) {
        if (!ec) ec = LastError();
        DeleteTree(copy);
        if (recorded) staging.Settled(copy);
        return ec;
    }
    const auto finish = [source, target, copy, aside, recorded, copied, &staging]() -> std::error_code {
        const TreeFingerprint fingerprint = copied->Fingerprint();
        std::error_code deleted = DeleteCopiedSource(source, aside, *copied);
        if (deleted) {
            // The source stays. The copy just put in place is taken back (renamed to its staging
            // name first, so a kill midway leaves only a staging copy) when it is stale (the
            // source changed since: refused for that, or a file another program still writes)
            // or when the source is provably whole as copied (it could not be deleted): the move
            // then leaves the item once, where it was. A folder left in part keeps its copy (a
            // file goes in one step, never in part); so does a copy changed at the target.
            TreeFingerprint now, there;
            const bool readable = !FingerprintTree(source, now);
            const bool stale = IsSourceChanged(deleted) || (!fingerprint.folder && readable && now != fingerprint);
            const bool whole = !stale && readable && now == fingerprint;
            const bool untouched = !FingerprintTree(target, there) && SameFingerprint(fingerprint, there, TimeKeepingAt(target));
            if ((stale || whole) && untouched && MoveFileExW(ExtendedPath(target).c_str(), ExtendedPath(copy).c_str(), 0))
                DeleteTree(copy);
            if (stale) deleted = SourceChangedError();
        }
        // A source that was not deleted is reported as failed, and stays where it is: its record
        // is settled, so no later batch deletes what the user was told is still there.
        if (recorded && deleted) staging.Settled(copy);
        return deleted;
    };
    // A file's source waits for its group's flush (see MoveStaging::GroupCommits): until then the
    // item is whole at both ends, and its record (written, in the system's cache, which a kill
    // does not lose) lets the next batch finish the move. A folder is finished at once.
    if (recorded && !sourceIsFolder && staging.GroupsCommits()) {
        staging.AddPending(source, finish);
        return {};
    }
    return finish();
}

// The log line of a move a kill cut short and a later batch finished: its own batch never
// reported it (its outcome waited for its group's commit, or the process ended mid-item).
std::string FinishedMoveLine(const fs::path& source, const fs::path& target) {
    return "[ok] " + PathToUtf8(PlainPath(source)) + " -> " + PathToUtf8(PlainPath(target)) +
           " (Moved \xE2\x80\x94 finished after the program was stopped during the move)";
}

// Finishes or undoes the move a journal record describes, deleting only what is provably a copy.
// `copy` is where the record's staging copy lies. Returns true when the record must stay (its
// copy may be the item's only copy, or the question must be asked again later).
bool VolumeAnswers(const fs::path& path);

bool SettleMove(const fs::path& folder, const fs::path& copy, const MoveJournal& journal,
                std::vector<std::string>* finished) {
    // Not written by this installation (planted, or from a copy of the program with another
    // key): nothing it names is touched, and the copy stays too.
    if (!SealHolds(MoveJournalBody(journal), journal.seal)) return true;
    const fs::path source = journal.source;
    const fs::path target = folder / journal.target;
    // A stick that is out or a share that is offline answers "path not found" for everything on
    // it, which says nothing about whether the item is gone: the record waits for a later batch.
    if (!VolumeAnswers(source) || !VolumeAnswers(copy) || !VolumeAnswers(target)) return true;
    const Presence sourceState = Lookup(source);
    if (sourceState == Presence::unknown) return true;  // ask again at a later batch
    if (Lookup(copy) == Presence::present) {
        // The rename into place never happened.
        if (sourceState == Presence::missing) {
            // The source went since (moved or deleted by hand): the copy is all there is, so it
            // takes its name if that is free, and otherwise stays with its record.
            if (!MoveFileExW(ExtendedPath(copy).c_str(), ExtendedPath(target).c_str(), 0)) return true;
            if (finished) finished->push_back(FinishedMoveLine(source, target));
        } else {
            DeleteTree(copy);
        }
        return false;
    }
    const fs::path aside =
        journal.aside.empty() ? StagingPath(source.parent_path()) : source.parent_path() / journal.aside;
    if (!journal.aside.empty() && Lookup(aside) == Presence::present) {
        // The source's deletion had begun (renamed aside after the rename into place): finish it
        // when what is left of it is all at the target; otherwise it goes back under its name.
        if (DeleteRemainsAside(aside, target) &&
            !MoveFileExW(ExtendedPath(aside).c_str(), ExtendedPath(source).c_str(), 0))
            return true;
    } else if (sourceState == Presence::present) {
        // Deleted only when it provably exists elsewhere: the source is still what was copied
        // and the target holds it byte for byte (a same-size, same-time decoy is not a copy).
        // The target's times are not asked: a FAT destination rounds them.
        TreeFingerprint atTarget, atSource;
        const bool provenCopy = !FingerprintTree(target, atTarget) && !FingerprintTree(source, atSource) &&
                                atTarget.folder == journal.copied.folder && atTarget.bytes == journal.copied.bytes &&
                                atTarget.entries == journal.copied.entries && atSource == journal.copied &&
                                HoldsCopyOf(target, source) && HoldsCopyOf(source, target);
        // A source that differs from what was copied (changed since, or replaced) is kept; one
        // that cannot be deleted now keeps its record for a later batch.
        if (provenCopy) {
            CopiedSource recorded = CopiedSource::FromRecord(journal.copied);
            if (DeleteCopiedSource(source, aside, recorded)) return true;
            if (finished) finished->push_back(FinishedMoveLine(source, target));
        }
    }
    return false;
}

// Spelled alike, ignoring case as the file system does (a later batch may spell a folder otherwise).
bool SamePath(const fs::path& a, const fs::path& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Settles every move of a journal in `folder`: a batch's journal (its records name their copies
// in full, and the staging folders the batch made) or the journal of a single move (its copy is
// the journal's staging name, beside it). A batch's staging folders are cleared unless a record
// that stays has its copy there; those are added to `spare`. Returns true when the journal's own
// staging name must stay; the journal then keeps only what stays with it.
// Whether one path is the other or lies below it, compared as the file system compares names.
bool Overlaps(const fs::path& a, const fs::path& b) {
    const std::wstring pa = PlainPath(a).native(), pb = PlainPath(b).native();
    const std::wstring& shorter = pa.size() <= pb.size() ? pa : pb;
    const std::wstring& longer = pa.size() <= pb.size() ? pb : pa;
    if (shorter.empty()) return false;
    if (CompareStringOrdinal(shorter.c_str(), static_cast<int>(shorter.size()), longer.c_str(),
                             static_cast<int>(shorter.size()), TRUE) != CSTR_EQUAL)
        return false;
    return longer.size() == shorter.size() || longer[shorter.size()] == L'\\' || shorter.back() == L'\\';
}

bool SettleJournal(const fs::path& folder, const std::wstring& journalName, std::vector<fs::path>& spare,
                   const SettleScope& scope) {
    const fs::path journalPath = folder / journalName;
    const fs::path staging = folder / StagingNameOfJournal(journalName);
    // Opened without sharing writes: Windows then refuses a journal another process still holds
    // open for writing (its batch under way; "Creating and Opening Files" on share modes). Wine 8
    // may not refuse it; within one process a settle never runs beside a batch of its own.
    const std::optional<std::wstring> text = ReadJournalText(journalPath);
    if (!text) return false;
    const JournalFile file = ParseJournalFile(*text);
    std::wstring kept;
    std::vector<fs::path> keptFolders;
    for (const MoveJournal& move : file.moves) {
        const fs::path copy = move.copy.empty() ? staging : fs::path(move.copy);
        const fs::path destination = move.copy.empty() ? folder : copy.parent_path().parent_path();
        // Asked to stop (a cancel, a log-off): what is not settled yet stays for a later batch.
        if (scope.Stopped() || SettleMove(destination, copy, move, scope.finished)) {
            kept += FormatMoveJournal(move);
            keptFolders.push_back(copy.parent_path());
        }
    }
    std::wstring keptAreas;
    for (const JournalArea& area : file.areas) {
        if (!SealHolds(AreaBody(area.folder), area.seal)) continue;  // not ours: left alone
        const fs::path areaFolder = area.folder;
        // A staging folder a user dropped (or one holding or inside what was dropped) is theirs
        // to route now: it is never cleared under them.
        const bool dropped = std::any_of(scope.protect.begin(), scope.protect.end(),
                                         [&](const fs::path& item) { return Overlaps(item, areaFolder); });
        if (dropped || std::any_of(keptFolders.begin(), keptFolders.end(), [&](const fs::path& f) { return SamePath(f, areaFolder); })) {
            spare.push_back(areaFolder);
            keptAreas += AreaLine(area);
        } else {
            DeleteTree(areaFolder);  // what a kill left there: partial copies, copies taken back
        }
    }
    if (kept.empty() && keptAreas.empty()) {
        // A record cut short while written never reached its rename.
        RemoveJournal(journalPath);
        return false;
    }
    kept = keptAreas + kept;
    if (kept != *text) {
        const fs::path fresh = StagingPath(folder);
        if (WriteNewFile(fresh, kept) &&
            !MoveFileExW(ExtendedPath(fresh).c_str(), ExtendedPath(journalPath).c_str(), MOVEFILE_REPLACE_EXISTING))
            DeleteFileW(ExtendedPath(fresh).c_str());
    }
    return true;
}

// Settles the journals in `folder`; lists its other staging names in `copies` (journals last)
// and the staging names journals keep in `kept`. Returns the staging folders elsewhere that
// journals keep.
std::vector<fs::path> SettleJournalsIn(const fs::path& folder, std::vector<std::wstring>* copies,
                                       std::vector<std::wstring>* kept, const SettleScope& scope) {
    const std::wstring root = ExtendedPath(folder);
    WIN32_FIND_DATAW data{};
    std::vector<fs::path> spare;
    HANDLE find = FindFirstFileExW(ChildPath(root, L"~kfpart-*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return spare;
    std::vector<std::wstring> journals;
    do {
        if (IsStagingName(data.cFileName)) {
            if (copies) copies->push_back(data.cFileName);
        } else if (IsJournalName(data.cFileName)) {
            journals.push_back(data.cFileName);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    for (const std::wstring& name : journals)
        if (SettleJournal(fs::path(root), name, spare, scope) && kept) kept->push_back(StagingNameOfJournal(name));
    if (copies) copies->insert(copies->end(), journals.begin(), journals.end());
    return spare;
}

}  // namespace

std::vector<fs::path> SettleMoveJournals(const fs::path& journalFolder, const SettleScope& scope) {
    // The application has one route job, but nothing stops a process from holding two (the
    // tests do): two settles of one journal at once would both act on its records.
    static std::mutex settling;
    std::lock_guard lock(settling);
    return SettleJournalsIn(journalFolder, nullptr, nullptr, scope);
}

size_t CountMoveJournals(const fs::path& journalFolder) {
    WIN32_FIND_DATAW data{};
    const HANDLE find = FindFirstFileExW(ChildPath(ExtendedPath(journalFolder), L"~kfpart-*").c_str(), FindExInfoBasic,
                                         &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return 0;
    size_t count = 0;
    do count += IsJournalName(data.cFileName);
    while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

std::vector<fs::path> SweepStagingNames(const fs::path& folder, const std::vector<fs::path>& spare) {
    const std::wstring root = ExtendedPath(folder);
    std::vector<std::wstring> names, kept;
    SettleJournalsIn(folder, &names, &kept, {});
    std::vector<fs::path> left;
    for (const std::wstring& name : names) {
        if (IsJournalName(name)) continue;
        const fs::path path = ChildPath(root, name);
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;  // settled just now
        // The same folder may be spelled otherwise by the batch that kept it (another drive
        // letter for it): compared by identity as well, which is asked only after a kill.
        const auto same = [&](const fs::path& keptFolder) {
            if (SamePath(keptFolder, path)) return true;
            const std::optional<FileIdentity> a = IdentityOf(keptFolder), b = a ? IdentityOf(path) : std::nullopt;
            return a && b && *a == *b;
        };
        const bool accounted = std::find(kept.begin(), kept.end(), name) != kept.end() ||
                               std::any_of(spare.begin(), spare.end(), same);
        if (!accounted) left.push_back(PlainPath(path));
    }
    return left;
}

namespace {

// Whether a rename of the item would be refused because another program holds it open without
// letting it be deleted or renamed (the rename needs DELETE access, which such a handle's share
// mode refuses: "Creating and Opening Files"). Asked before anything is replaced: a held item
// is the common reason a rename on one volume fails. A folder is opened as a folder needs
// (FILE_FLAG_BACKUP_SEMANTICS); what is open inside it is not seen here.
std::error_code HeldOpen(const fs::path& item) {
    const HANDLE h = CreateFileW(ExtendedPath(item).c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastError();
    CloseHandle(h);
    return {};
}

}  // namespace

std::error_code MoveToTarget(const fs::path& source, const fs::path& target, bool overwrite, MoveStaging* staging,
                             const ClearTarget& clear) {
    bool cleared = false;
    const ClearTarget clearOnce = [&]() -> std::error_code {
        if (!clear || std::exchange(cleared, true)) return {};
        return clear();
    };
    // One drive letter or server is no proof of one volume (two shares of a server, a volume
    // mounted in a folder), so the rename is tried without MOVEFILE_COPY_ALLOWED: the system
    // refuses it across volumes (ERROR_NOT_SAME_DEVICE), and every move that crosses volumes
    // takes the staged, journalled copy below. With that flag the system would copy under the
    // real name (a kill leaves a truncated file there) and report success when the source
    // cannot be deleted ("MoveFileExW", MOVEFILE_COPY_ALLOWED), leaving the item at both ends.
    if (SameRootName(source, target)) {
        // What the item replaces goes right before the rename. Should the rename then be refused
        // as crossing volumes (a volume mounted in a folder), the copy below follows it.
        if (clear) {
            if (const std::error_code held = HeldOpen(source)) return held;
            if (const std::error_code ec = clearOnce()) return ec;
        }
        const DWORD flags = overwrite ? MOVEFILE_REPLACE_EXISTING : 0;
        if (staging) staging->Intend(source, target);
        if (MoveFileExW(ExtendedPath(source).c_str(), ExtendedPath(target).c_str(), flags)) return {};
        const std::error_code ec = LastError();
        // Without the overwrite policy a name that got taken is a conflict, never a reason to copy over it.
        if (!overwrite && IsNameTaken(ec)) return ec;
    }
    const ClearTarget& late = clear ? clearOnce : clear;
    if (staging) return CopyThenDelete(source, target, overwrite, *staging, late);
    MoveStaging own(DataFolder().folder);
    return CopyThenDelete(source, target, overwrite, own, late);
}

// As a move's copy: made under a staging name and flushed before the rename into place, so a
// target name never holds a partial copy, nor one a power cut could still take back. The source
// is not touched; nothing needs journalling, since a kill leaves at most a staging copy, which
// the staging folder's own record clears.
std::error_code CopyToTarget(const fs::path& source, const fs::path& target, bool overwrite, MoveStaging* staging,
                             const ClearTarget& clear) {
    std::optional<MoveStaging> own;
    if (!staging) staging = &own.emplace(DataFolder().folder);
    // A folder that survived the overwrite policy's deletion: merge, replacing same names.
    if (overwrite && IsFolderItem(source) && IsFolderItem(target)) return CopyTree(source, target, true);
    fs::path copy = staging->CopyPath(target.parent_path());
    std::error_code copied = CopyTree(source, copy, false);
    if (copied.value() == ERROR_PATH_NOT_FOUND && staging->Drop(target.parent_path())) {
        copy = staging->CopyPath(target.parent_path());
        copied = CopyTree(source, copy, false);
    }
    if (!copied) copied = FlushTree(copy);
    if (!copied && clear) copied = clear();  // only now that the copy is whole
    if (!copied && !MoveFileExW(ExtendedPath(copy).c_str(), ExtendedPath(target).c_str(),
                                overwrite ? MOVEFILE_REPLACE_EXISTING : 0))
        copied = LastError();
    if (copied) DeleteTree(copy);
    return copied;
}

namespace {

RouteItemResult Result(const fs::path& source, const std::string& rule) {
    RouteItemResult r;
    r.source = PathToUtf8(source);
    r.rule = rule;
    return r;
}

RouteItemResult& Skip(RouteItemResult& r, const char* message, bool ok = true) {
    r.ok = ok;
    r.skipped = true;
    r.message = message;
    return r;
}

// The rule could not be carried out (its template has an error, no Recycle Bin takes the item, no
// free name was found): the item stays where it was, and the batch counts it as not routed.
RouteItemResult& NotCarriedOut(RouteItemResult& r, const char* message) {
    r.ok = false;
    r.skipped = false;
    r.message = message;
    return r;
}

}  // namespace

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// "C:" for drive paths, "\\server" for UNC paths (also in their \\?\ forms), else empty.
// libstdc++ does not recognise the server part of a UNC path as a root name.
std::wstring_view RootName(std::wstring_view p) {
    if (p.size() >= 4 && IsSeparator(p[0]) && IsSeparator(p[1]) && (p[2] == L'?' || p[2] == L'.') && IsSeparator(p[3])) {
        p.remove_prefix(4);
        if (p.size() >= 4 && (p.substr(0, 3) == L"UNC" || p.substr(0, 3) == L"unc") && IsSeparator(p[3])) {
            const size_t end = std::min(p.find_first_of(L"\\/", 4), p.size());
            return p.substr(4, end - 4);
        }
    }
    if (p.size() >= 2 && p[1] == L':') return p.substr(0, 2);
    if (p.size() >= 3 && IsSeparator(p[0]) && IsSeparator(p[1]) && !IsSeparator(p[2])) {
        const size_t end = std::min(p.find_first_of(L"\\/", 2), p.size());
        return p.substr(2, end - 2);
    }
    return {};
}

}  // namespace

bool SameRootName(const fs::path& a, const fs::path& b) {
    const std::wstring_view ra = RootName(a.native()), rb = RootName(b.native());
    if (ra.empty() || ra.size() != rb.size()) return false;
    for (size_t i = 0; i < ra.size(); ++i)
        if (AsciiUpper(ra[i]) != AsciiUpper(rb[i])) return false;
    return true;
}

namespace {

// The folder the shell asks about a volume's Recycle Bin: "C:\" or "\\server\share\".
std::wstring VolumeRootOf(const fs::path& plain) {
    const std::wstring& p = plain.native();
    if (p.rfind(L"\\\\", 0) == 0) {
        const size_t server = p.find(L'\\', 2);
        const size_t share = server == std::wstring::npos ? server : p.find(L'\\', server + 1);
        return (share == std::wstring::npos ? p : p.substr(0, share)) + L"\\";
    }
    return plain.root_path().native();
}

}  // namespace

namespace {

// Whether the volume holding the path is there: its root can be looked up.
bool VolumeAnswers(const fs::path& path) {
    return GetFileAttributesW(ExtendedPath(VolumeRootOf(PlainPath(path))).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether items on this volume can go to a Recycle Bin. Removable, network, optical and RAM
// drives have none, and on a fixed drive the shell must be able to query its bin (under Wine:
// a usable trash folder). Without a bin SHFileOperationW with FOF_ALLOWUNDO deletes for good
// and reports success, so this is asked first. The shell enumerates the bin to answer, which
// can take a while for a full one: an answer is kept for a few seconds, so a batch asks about
// each volume about once. (Not thread_local: mingw runs thread_local destructors after the
// thread's emulated TLS is gone, which faulted now and then as batch threads ended.)
bool VolumeHasRecycleBin(const std::wstring& root) {
    struct Answer {
        std::wstring volume;
        bool has;
        ULONGLONG at;
    };
    static std::mutex mutex;
    static std::vector<Answer> known;
    constexpr ULONGLONG kKeepMs = 10'000;
    const ULONGLONG now = GetTickCount64();
    {
        std::lock_guard lock(mutex);
        for (const Answer& a : known)
            if (now - a.at < kKeepMs && _wcsicmp(a.volume.c_str(), root.c_str()) == 0) return a.has;
    }
    bool has = GetDriveTypeW(root.c_str()) == DRIVE_FIXED;
    if (has) {
        SHQUERYRBINFO info{};
        info.cbSize = sizeof info;
        has = SUCCEEDED(SHQueryRecycleBinW(root.c_str(), &info));
    }
    std::lock_guard lock(mutex);
    std::erase_if(known, [&](const Answer& a) { return now - a.at >= kKeepMs || _wcsicmp(a.volume.c_str(), root.c_str()) == 0; });
    known.push_back({root, has, now});
    return has;
}

// Only what the shell's plain-path parsing reaches exactly: it takes no \\?\ form, so a name
// that Win32 trims or reads as a device, or a path past MAX_PATH, would reach another item or
// none.
bool ShellNamesExactly(const fs::path& plain) {
    if (plain.native().size() >= MAX_PATH) return false;
    for (const fs::path& part : plain.relative_path())
        if (!part.empty() && !Win32KeepsName(part.native())) return false;
    return true;
}

}  // namespace

RecycleOutcome RecycleCheck(const fs::path& path) {
    if (path.empty() || IsVolumeRoot(path)) return RecycleOutcome::failed;
    const fs::path plain = PlainPath(path);
    if (!ShellNamesExactly(plain)) return RecycleOutcome::name_not_exact;
    // The shell asks about a missing item in a dialog when FOF_WANTNUKEWARNING is set.
    if (Lookup(path) != Presence::present) return RecycleOutcome::failed;
    if (!VolumeHasRecycleBin(VolumeRootOf(plain))) return RecycleOutcome::no_bin;
    return RecycleOutcome::recycled;
}

RecycleOutcome SendToRecycleBin(const fs::path& path) {
    if (const RecycleOutcome check = RecycleCheck(path); check != RecycleOutcome::recycled) return check;
    std::wstring from = PlainPath(path).native();
    from.push_back(L'\0');  // the list ends with a second NUL
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    // FOF_WANTNUKEWARNING: should the item still be unable to go to the bin (too big for it),
    // the shell asks the user before deleting it for good instead of doing so silently.
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI | FOF_WANTNUKEWARNING;
    const int status = SHFileOperationW(&operation);
    if (operation.fAnyOperationsAborted) return RecycleOutcome::declined;
    if (status != 0 || Lookup(path) != Presence::missing) return RecycleOutcome::failed;
    return RecycleOutcome::recycled;
}

RecycleMark MarkBeforeRecycling(const fs::path& path) {
    RecycleMark mark;
    WIN32_FILE_ATTRIBUTE_DATA facts{};
    if (GetFileAttributesExW(ExtendedPath(path).c_str(), GetFileExInfoStandard, &facts) &&
        !(facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        mark.bytes = (static_cast<uint64_t>(facts.nFileSizeHigh) << 32) | facts.nFileSizeLow;
    mark.at = SystemClock().UtcTicks();
    return mark;
}

RouteItemResult RecycleItem(const fs::path& source, const std::string& rule) {
    RouteItemResult r = Result(source, rule);
    r.target = "Recycle Bin";
    const RecycleMark mark = MarkBeforeRecycling(source);
    r.recycledAt = mark.at;
    r.recycledBytes = mark.bytes;
    switch (SendToRecycleBin(source)) {
        case RecycleOutcome::recycled:
            r.ok = true;
            r.message = "Sent to Recycle Bin via " + rule;
            return r;
        case RecycleOutcome::no_bin: return NotCarriedOut(r, kMessageNoRecycleBin);
        case RecycleOutcome::name_not_exact: return NotCarriedOut(r, kMessageRecycleName);
        case RecycleOutcome::declined: return NotCarriedOut(r, kMessageRecycleDeclined);
        case RecycleOutcome::failed: break;
    }
    r.message = kMessageRecycleFailed;
    return r;
}

namespace {

// How the item goes: moved, copied, or renamed in its own folder (a move to a new name there).
enum class Transfer { move, copy, rename };

// The move of one item whose look-up just found `kind`: the decision (MoveDecision.h), carried
// out, under `newName` when one is given. A name that turns out to be taken when the move tries it
// is decided again. Everything a cached fact could get wrong is asked afresh by the step that
// would act on it.

RouteItemResult MoveWithFacts(const fs::path& source, ItemKind kind, const fs::path& destination,
                              const fs::path& newName, ConflictPolicy conflict, const AutoRenameOptions& autoRename,
                              const std::string& rule, BatchCache& batch, const Clock& clock, bool mayLookAgain,
                              Transfer transfer) {
    const bool copy = transfer == Transfer::copy;
    RouteItemResult r = Result(source, rule);
    try {
        const bool destinationWasFolder = !destination.empty() && batch.Folder(destination).isFolder;
        // On one volume the rename itself refuses a taken name, so the conflict is found by
        // trying (a separate look-up of a name that is not there costs a scan of the folder
        // under Wine). A file's copy to another volume ends in such a rename too (from its
        // staging name). A folder's copy is costly, and overwriting must clear the way first:
        // for those, check ahead.
        const bool lookUpTarget = conflict == ConflictPolicy::overwrite ||
                                  (kind != ItemKind::file && (copy || !SameRootName(source, destination)));
        MoveDecision d = DecideMove(source, kind, destination, conflict, autoRename, batch, clock, lookUpTarget, newName);
        ReplacedItem replaced;
        for (int attempt = 0;; ++attempt) {
            r.target = d.target.empty() ? std::string() : PathToUtf8(d.target);
            switch (d.verdict) {
                case MoveVerdict::stays: return Skip(r, d.message.c_str());
                case MoveVerdict::skip: return Skip(r, d.message.c_str(), false);  // the rule's conflict policy
                case MoveVerdict::fail: r.message = d.message; return r;
                case MoveVerdict::move: break;
            }
            if (d.createsFolder) {
                CreateFolderTree(destination);  // a failure shows as the move's own error
                batch.Forget();
                d.createsFolder = false;
            }
            // What the item replaces goes to the Recycle Bin right before the item takes its name
            // (ReplacedItem.h); where no bin can take it, it is deleted now, as it always was.
            replaced = ReplacedItem{};
            if (d.replace) {
                batch.EnterComApartment();
                replaced.way = ReplaceWayFor(d.target);
                if (replaced.way == ReplaceWay::deleteForGood) DeleteTree(d.target);
                batch.Forget();  // it may have been a folder, even a routing folder
            }
            const bool toBin = d.replace && replaced.way == ReplaceWay::recycle;
            const ClearTarget clear = [&] { return RecycleReplaced(d.target, replaced); };
            // A name an earlier item of the batch took is never overwritten, whatever the policy;
            // nor is the item's own name in another case ("MoveFileExW": a folder cannot be
            // replaced, and the rename alone changes the case).
            const bool overwrite =
                !toBin && (d.replace || (conflict == ConflictPolicy::overwrite && d.clash == NameClash::none && !d.caseOnly));
            const std::error_code transferError =
                copy ? CopyToTarget(source, d.target, overwrite, &batch.Staging(), toBin ? clear : ClearTarget())
                     : MoveToTarget(source, d.target, overwrite, &batch.Staging(), toBin ? clear : ClearTarget());
            if (replaced.InBin()) {
                r.replacedAt = replaced.at;
                r.replacedBytes = replaced.bytes;
            }
            if (!transferError) break;
            if (IsSourceChanged(transferError)) {
                // Saved while it was being moved: it stays with its newer contents (SourceDeletion.h),
                // and the batch counts it as not routed.
                batch.Forget();
                NotCarriedOut(r, kMessageSourceChanged);
                if (replaced.InBin()) r.message += kOldOneInBin;
                return r;
            }
            if (replaced.tried) {
                // The item is where it was; the one it was to replace is in the bin, or still there.
                batch.Forget();
                r.replacedAt = 0;
                r.replacedBytes.reset();
                if (!replaced.InBin()) {
                    r.message = NotReplacedMessage(replaced);
                    return r;
                }
                r.message = std::system_category().message(transferError.value()) + kOldOneInBin;
                return r;
            }
            // The name is taken (it was, or something took it since): never replace it.
            if (!overwrite && IsNameTaken(transferError)) {
                if (attempt >= kRenameRetries) return NotCarriedOut(r, kMessageNameExists);
                d = DecideOnTakenName(std::move(d), source, conflict, autoRename, batch, clock);
                continue;
            }
            // The destination the batch saw may have been removed since: nothing was moved, so
            // the item is handled again with everything read afresh (the folder made anew).
            if (mayLookAgain && destinationWasFolder && !IsFolderItem(destination)) {
                batch.Forget();
                return MoveWithFacts(source, kind, destination, newName, conflict, autoRename, rule, batch, clock, false,
                                     transfer);
            }
            r.message = std::system_category().message(transferError.value());
            return r;
        }
        batch.Claim(d.target);
        if (kind != ItemKind::file) batch.Forget();  // a folder (or a link) left its place
        r.ok = true;
        r.copied = copy;
        r.renamed = transfer == Transfer::rename;
        r.message = (copy ? "Copied via " : r.renamed ? "Renamed via " : "Moved via ") + rule;
        if (d.replace) r.message = ReplacedMessage(r.message, copy, rule, replaced.way);
        if (d.clash == NameClash::batchItem)
            r.message += " \xE2\x80\x94 renamed: an earlier item of this batch took " + PathToUtf8(d.wanted.filename());
    } catch (const std::exception& e) {
        r.ok = false;
        r.skipped = false;
        r.message = e.what();
    }
    return r;
}

}  // namespace

namespace {

// One item outside any batch: looked up, then moved or copied.
RouteItemResult TransferOne(const fs::path& source, const fs::path& destination, ConflictPolicy conflict,
                            const AutoRenameOptions& autoRename, const std::string& rule, const Clock& clock,
                            Transfer transfer) {
    BatchCache batch{AppSettings{}};
    std::error_code lookupError;
    // What cannot be looked up is handled with every check read afresh, as a link would be.
    const ItemKind kind = ItemKindAt(source, lookupError).value_or(ItemKind::link);
    return MoveWithFacts(source, kind, destination, {}, conflict, autoRename, rule, batch, clock, true, transfer);
}

}  // namespace

RouteItemResult MoveItem(const fs::path& source, const fs::path& destination, ConflictPolicy conflict,
                         const AutoRenameOptions& autoRename, const std::string& rule, const Clock& clock) {
    return TransferOne(source, destination, conflict, autoRename, rule, clock, Transfer::move);
}

RouteItemResult CopyItem(const fs::path& source, const fs::path& destination, ConflictPolicy conflict,
                         const AutoRenameOptions& autoRename, const std::string& rule, const Clock& clock) {
    return TransferOne(source, destination, conflict, autoRename, rule, clock, Transfer::copy);
}

RouteItemResult RouteItem(const fs::path& item, BatchCache& batch) {
    RouteItemResult r;
    try {
        r.source = PathToUtf8(item);
        if (IsVolumeRoot(item)) return NotCarriedOut(r, kMessageWholeVolume);  // before anything touches the disk
        // Looked up literally: a name such as "CON" or "report." exists as itself. An item that
        // cannot even be looked up (its folder is closed to this user) is not said to be gone.
        std::error_code lookupError;
        const std::optional<ItemKind> kind = ItemKindAt(item, lookupError);
        if (!kind) {
            r.message = lookupError ? std::system_category().message(lookupError.value()) : kMessageNoSource;
            return r;
        }
        const AppSettings& settings = batch.Settings();
        PhaseClock selecting;
        const RuleDecision decision = batch.Rules().Select(item);
        selecting.Stop(batch.Phases().selection);
        r.rule = decision.ruleName;
        const auto act = [&]() -> RouteItemResult {
            if (decision.action == RuleAction::leave_in_place)
                return Skip(r, ("Left in place (" + decision.ruleName + ")").c_str());
            if (!decision.templateError.empty()) return NotCarriedOut(r, kMessageTemplateError);
            if (!decision.newNameError.empty()) return NotCarriedOut(r, kMessageNewNameError);
            if (batch.IsRoutingFolder(item, *kind)) return Skip(r, kMessageRoutingFolder);
            if (decision.action == RuleAction::recycle) {
                batch.EnterComApartment();
                RouteItemResult recycled = RecycleItem(item, decision.ruleName);
                if (*kind != ItemKind::file) batch.Forget();
                return recycled;
            }
            const bool copy = decision.action == RuleAction::copy ||
                              (decision.action == RuleAction::move && batch.Options().copyInsteadOfMove);
            const Transfer transfer = copy                                         ? Transfer::copy
                                      : decision.action == RuleAction::rename ? Transfer::rename
                                                                              : Transfer::move;
            return MoveWithFacts(item, *kind, PathFromUtf8(decision.destination), PathFromUtf8(decision.newName),
                                 decision.conflict, settings.autoRename, decision.ruleName, batch, SystemClock(), true,
                                 transfer);
        };
        RouteItemResult result = act();
        // A condition that could not be decided (a pattern that gave up) counted as false: the
        // log line says which, so that the outcome is not a mystery.
        if (!decision.note.empty()) result.message += " \xE2\x80\x94 " + decision.note;
        return result;
    } catch (const std::exception& e) {
        r.ok = false;
        r.skipped = false;
        r.message = e.what();
    } catch (...) {
        r.ok = false;
        r.skipped = false;
        r.message = "Unexpected error.";
    }
    return r;
}

}  // namespace kw
