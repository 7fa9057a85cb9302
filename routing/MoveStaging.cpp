#include "routing/MoveStaging.h"

#include <windows.h>

#include <atomic>
#include <cwchar>

#include "model/ExtendedPath.h"
#include "routing/JournalSeal.h"

namespace kw {
namespace fs = std::filesystem;

fs::path StagingPath(const fs::path& folder) {
    static std::atomic<unsigned> counter{0};
    wchar_t name[40];
    swprintf(name, 40, L"~kfpart-%08x-%04x", static_cast<unsigned>(GetTickCount64()) ^ GetCurrentProcessId(),
             counter++ & 0xFFFF);
    return folder / name;
}

MoveStaging::MoveStaging(fs::path folder) : journalFolder(std::move(folder)) {}

bool MoveStaging::Append(std::wstring_view text, bool flush) {
    if (!journal) {
        if (journalFailed) return false;
        journalPath = journalFolder / JournalName(StagingPath(journalFolder).filename().native());
        // Kept open for writing: a settle that starts meanwhile (it opens without sharing writes)
        // leaves a journal under way alone.
        HANDLE h = CreateFileW(ExtendedPath(journalPath).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            journalFailed = true;
            return false;
        }
        journal = h;
    }
    const DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    DWORD written = 0;
    // On the disk before the step it protects (a copy into a staging folder, the deletion of a
    // source); a record of a group is flushed with the group, before any of its sources goes.
    if (!WriteFile(static_cast<HANDLE>(journal), text.data(), size, &written, nullptr) || written != size) return false;
    if (!flush) {
        unflushed = true;
        return true;
    }
    unflushed = false;
    return FlushFileBuffers(static_cast<HANDLE>(journal));
}

void MoveStaging::AddPending(const fs::path& source, std::function<std::error_code()> finish) {
    pending.push_back(std::move(finish));
    pendingSources.push_back(ExtendedPath(source));
}

bool MoveStaging::PendingWithin(const fs::path& item) const {
    if (pendingSources.empty()) return false;
    std::wstring folder = ExtendedPath(item);
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    for (const std::wstring& source : pendingSources) {
        if (source.size() < folder.size() || (source.size() > folder.size() && source[folder.size()] != L'\\')) continue;
        if (CompareStringOrdinal(source.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                                 static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

std::vector<std::error_code> MoveStaging::Commit() {
    // A flush that fails leaves the records as a failed write would have: the moves go on, and
    // the batch says a kill could have left items at both ends.
    if (journal && unflushed && !FlushFileBuffers(static_cast<HANDLE>(journal))) lost = true;
    unflushed = false;
    std::vector<std::error_code> outcomes;
    outcomes.reserve(pending.size());
    std::vector<std::function<std::error_code()>> finishing;
    finishing.swap(pending);
    pendingSources.clear();
    for (const auto& finish : finishing) outcomes.push_back(finish());
    return outcomes;
}

fs::path MoveStaging::CopyPath(const fs::path& folder) {
    const std::wstring key = ExtendedPath(folder);
    const auto found = areas.find(key);
    if (found != areas.end()) return StagingPath(found->second.empty() ? folder : found->second);
    if (firstCopy) firstCopy(folder);
    fs::path staging = StagingPath(folder);
    if (CreateDirectoryW(ExtendedPath(staging).c_str(), nullptr)) {
        made.push_back(staging);
        // Named in the journal before anything is copied into it, so that the next batch clears
        // what a kill leaves there, whichever destination that batch routes to.
        const std::wstring literal = ExtendedPath(staging);
        const auto seal = SealJournal(AreaBody(literal));
        if (!seal || !Append(AreaLine({literal, *seal}))) lost = true;
    } else {
        staging.clear();
    }
    areas[key] = staging;
    return StagingPath(staging.empty() ? folder : staging);
}

bool MoveStaging::Record(const fs::path& copy, MoveJournal move) {
    const auto found = areas.find(ExtendedPath(copy.parent_path().parent_path()));
    if (found == areas.end() || found->second.empty() || found->second != copy.parent_path()) return false;
    move.copy = ExtendedPath(copy);
    const std::optional<std::wstring> seal = SealJournal(MoveJournalBody(move));
    if (seal) {
        move.seal = *seal;
        if (Append(FormatMoveJournal(move), !grouped)) return true;
    }
    // An unsealed record would never be honoured: none is written.
    lost = true;
    return false;
}

void MoveStaging::Settled(const fs::path& copy) { Append(SettledLine(ExtendedPath(copy))); }

bool MoveStaging::Drop(const fs::path& folder) {
    const auto found = areas.find(ExtendedPath(folder));
    if (found == areas.end()) return false;
    const bool hadFolder = !found->second.empty();
    areas.erase(found);
    return hadFolder;
}

MoveStaging::~MoveStaging() { Close(); }

bool MoveStaging::Close() {
    if (!pending.empty()) Commit();
    // The folders go first, so a kill in between leaves a journal that names nothing left to act on.
    bool cleared = true;
    for (const fs::path& folder : made)
        if (!RemoveDirectoryW(ExtendedPath(folder).c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND &&
            GetLastError() != ERROR_PATH_NOT_FOUND)
            cleared = false;
    made.clear();
    areas.clear();
    if (!journal) return cleared;
    CloseHandle(static_cast<HANDLE>(journal));
    journal = nullptr;
    if (cleared) DeleteFileW(ExtendedPath(journalPath).c_str());
    return cleared;
}

}  // namespace kw
