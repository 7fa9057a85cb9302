#include "history/MoveIntents.h"

#include <windows.h>

#include <algorithm>
#include <charconv>
#include <optional>

#include "model/ExtendedPath.h"
#include "model/TextEncoding.h"
#include "model/UniqueFile.h"
#include "routing/FileTree.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

constexpr char kHeader[] = "intents 1 ";

bool WriteAll(HANDLE h, std::string_view text) {
    DWORD written = 0;
    return WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
}

std::string ReadWhole(HANDLE h) {
    std::string text;
    char buffer[64 * 1024];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    return text;
}

bool ParseNumber(std::string_view& text, uint64_t& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc()) return false;
    text.remove_prefix(static_cast<size_t>(end - text.data()));
    if (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return true;
}

bool SamePathText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

enum class Presence { present, missing, unknown };
Presence Lookup(const fs::path& path) {
    if (GetFileAttributesW(ExtendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) return Presence::present;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Presence::missing : Presence::unknown;
}

// The items one intents file adds to its batch: the last move written for each source (an
// earlier one was a name that turned out to be taken), found at its target and gone from where
// it was, and not yet in the history. A move to another volume killed between the copy's rename
// into place and the source's deletion has the item whole at both ends; the next batch finishes
// it (see MoveJournal.h), so its intent is `kept` for the next start to record.
std::vector<HistoryItem> MovesToRecord(const IntentsFile& intents, const HistoryBatch* recorded,
                                       std::vector<IntentsFile::Move>& kept) {
    std::vector<IntentsFile::Move> last;
    for (const IntentsFile::Move& move : intents.moves) {
        std::erase_if(last, [&](const IntentsFile::Move& m) { return SamePathText(m.source, move.source); });
        last.push_back(move);
    }
    std::vector<HistoryItem> items;
    for (const IntentsFile::Move& move : last) {
        if (recorded && std::any_of(recorded->items.begin(), recorded->items.end(), [&](const HistoryItem& item) {
                return SamePathText(PathFromUtf8(item.source).native(), move.source);
            }))
            continue;
        const Presence atSource = Lookup(move.source), atTarget = Lookup(move.target);
        if (atSource == Presence::present && atTarget == Presence::present && HoldsCopyOf(move.target, move.source))
            kept.push_back(move);
        if (atSource != Presence::missing || atTarget != Presence::present) continue;
        RouteItemResult r{PathToUtf8(fs::path(move.source)), PathToUtf8(fs::path(move.target)), "", intents.batch.undoOf ? "Put back" : "Moved",
                          true, false};
        items.push_back(RecordOf(intents.batch.id, r));
    }
    return items;
}

}  // namespace

void MoveIntents::Closer::operator()(void* handle) const { CloseHandle(static_cast<HANDLE>(handle)); }

MoveIntents::MoveIntents(const fs::path& folder, const HistoryBatch& batch)
    : path_(folder / (L"intents-" + std::to_wstring(batch.id) + L".txt")) {
    // Not shared for writing or deletion: the next start leaves a file that is still open alone.
    const HANDLE h = CreateFileW(ExtendedPath(path_).c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;  // no record of intents: as before, the history alone
    file_.reset(h);
    if (!WriteAll(h, FormatIntentsHeader(batch))) file_.reset();
}

MoveIntents::~MoveIntents() {
    if (!file_) return;
    // Deleted through its own handle, so that nothing else by that name is.
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    SetFileInformationByHandle(static_cast<HANDLE>(file_.get()), FileDispositionInfo, &disposition, sizeof disposition);
}

void MoveIntents::Add(const fs::path& source, const fs::path& target) {
    if (file_ && !WriteAll(static_cast<HANDLE>(file_.get()), FormatIntent(source, target))) file_.reset();
}

std::string FormatIntentsHeader(const HistoryBatch& batch) {
    return kHeader + std::to_string(batch.id) + " " + std::to_string(batch.time) + " " + std::to_string(batch.undoOf) +
           "\n";
}

// Names hold no control characters (Windows refuses them), so a tab parts source and target.
std::string FormatIntent(const fs::path& source, const fs::path& target) {
    return PathToUtf8(source) + "\t" + PathToUtf8(target) + "\n";
}

bool ParseIntents(std::string_view text, IntentsFile& parsed) {
    parsed = IntentsFile{};
    const size_t headerEnd = text.find('\n');
    if (headerEnd == std::string_view::npos || !text.starts_with(kHeader)) return false;
    std::string_view header = text.substr(sizeof kHeader - 1, headerEnd - (sizeof kHeader - 1));
    if (!ParseNumber(header, parsed.batch.id) || !ParseNumber(header, parsed.batch.time) ||
        !ParseNumber(header, parsed.batch.undoOf) || !header.empty() || parsed.batch.id == 0)
        return false;
    text.remove_prefix(headerEnd + 1);
    while (!text.empty()) {
        const size_t end = text.find('\n');
        if (end == std::string_view::npos) break;  // cut short by a kill: never acted on
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        const size_t tab = line.find('\t');
        if (tab == std::string_view::npos || tab == 0 || tab + 1 == line.size()) continue;
        const fs::path source = PathFromUtf8(std::string(line.substr(0, tab)));
        const fs::path target = PathFromUtf8(std::string(line.substr(tab + 1)));
        // Only full paths: a record that could reach anything else is not one of ours.
        if (!source.is_absolute() || !target.is_absolute()) continue;
        parsed.moves.push_back({source.native(), target.native()});
    }
    return true;
}

size_t CompleteHistoryFromIntents(HistoryFile& historyFile, const fs::path& folder) {
    WIN32_FIND_DATAW data{};
    const HANDLE find = FindFirstFileExW(ChildPath(ExtendedPath(folder), L"intents-*.txt").c_str(), FindExInfoBasic,
                                         &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return 0;
    std::vector<std::wstring> names;
    do names.push_back(data.cFileName);
    while (FindNextFileW(find, &data));
    FindClose(find);
    std::optional<std::vector<HistoryBatch>> history;
    size_t added = 0;
    for (const std::wstring& name : names) {
        // Without sharing: a batch still under way (another running copy) keeps its file open.
        const UniqueFile h = OwnFile(CreateFileW(ChildPath(ExtendedPath(folder), name).c_str(),
                                                 GENERIC_READ | GENERIC_WRITE | DELETE, 0,
                                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h) continue;
        IntentsFile intents;
        bool settled = !ParseIntents(ReadWhole(h.get()), intents);  // not ours to read: dropped
        if (!settled) {
            if (!history) history = LoadHistory(historyFile.Path());
            const auto batch = std::find_if(history->begin(), history->end(),
                                            [&](const HistoryBatch& b) { return b.id == intents.batch.id; });
            std::vector<IntentsFile::Move> kept;
            const std::vector<HistoryItem> items =
                MovesToRecord(intents, batch == history->end() ? nullptr : &*batch, kept);
            std::string lines = batch == history->end() && !items.empty() ? FormatBatchLine(intents.batch) + "\n" : "";
            for (const HistoryItem& item : items) lines += FormatItemLine(item) + "\n";
            settled = lines.empty() || historyFile.Append(lines);
            if (settled) added += items.size();
            if (settled && !kept.empty()) {
                std::string rest = FormatIntentsHeader(intents.batch);
                for (const IntentsFile::Move& move : kept) rest += FormatIntent(move.source, move.target);
                LARGE_INTEGER start{};
                if (SetFilePointerEx(h.get(), start, nullptr, FILE_BEGIN) && SetEndOfFile(h.get()) &&
                    WriteAll(h.get(), rest))
                    continue;
            }
        }
        // Kept when the history could not take what it holds: the next start tries again.
        if (settled) {
            FILE_DISPOSITION_INFO disposition{};
            disposition.DeleteFile = TRUE;
            SetFileInformationByHandle(h.get(), FileDispositionInfo, &disposition, sizeof disposition);
        }
    }
    return added;
}

}  // namespace kw
