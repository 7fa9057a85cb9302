#include "watch/FolderWatcher.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "matching/ItemFacts.h"
#include "matching/RuleSelection.h"
#include "model/Clock.h"
#include "model/ExtendedPath.h"
#include "model/TextEncoding.h"
#include "model/UniqueFile.h"
#include "watch/WatchPolicy.h"

namespace kw {
namespace {

constexpr DWORD kNotifyFilter =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
// 64 KB: larger buffers are refused for folders on a network (those are polled here anyway),
// and a burst beyond it is an overflow, answered by listing the folder again.
constexpr size_t kBufferDwords = 64 * 1024 / sizeof(DWORD);
constexpr int64_t kBusyRetryMs = 1000;  // an item someone still has open is looked at again

int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

uint64_t Ticks(const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

std::wstring Folded(const std::filesystem::path& path) {
    std::wstring text = PlainPath(path).native();
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return text;
}

// Notifications are reliable only on local fixed drives: on a share they stop without a word
// when the connection drops, and a handle open on a stick keeps it from being ejected.
bool IsPolled(const std::filesystem::path& folder) {
    const std::filesystem::path plain = PlainPath(folder);
    std::wstring root = plain.root_path().native();
    if (root.empty()) return true;
    if (root.back() != L'\\') root += L'\\';  // GetDriveTypeW wants the root with its trailing backslash
    const UINT type = GetDriveTypeW(root.c_str());
    return type == DRIVE_REMOTE || type == DRIVE_REMOVABLE || type == DRIVE_CDROM || type == DRIVE_UNKNOWN;
}

struct Watch {
    WatchedFolder config;
    std::wstring root;  // \\?\ form
    bool polled = false;
    WatchState state = WatchState::starting;
    // Notifications (local folders): the folder's handle, the read in flight and its buffer.
    UniqueFile dir;
    UniqueFile event;
    OVERLAPPED overlapped{};
    std::vector<DWORD> buffer;
    bool reading = false;
    bool listPending = true;   // list at the next turn: start, overflow, resume
    int64_t nextListMs = 0;    // polling, or looking for a missing folder again
    int64_t nextRecheckMs = 0;
    bool started = false;      // the first listing is done
    bool offerWanted = false;  // added while running: what is there is offered, not routed
    bool keepExisting = true;  // what the first listing finds stays (unless offered and accepted)
    std::vector<uint64_t> existing;  // sorted keys of the items found by the first listing
    std::unordered_map<std::wstring, SettleState> waiting;  // \\?\ path -> settle state

    bool Existing(uint64_t key) const { return std::binary_search(existing.begin(), existing.end(), key); }
    void Arrived(uint64_t key) {
        const auto it = std::lower_bound(existing.begin(), existing.end(), key);
        if (it != existing.end() && *it == key) existing.erase(it);
    }
};

}  // namespace

struct FolderWatcher::Shared {
    std::function<void()> changed;
    WatchTiming timing;
    UniqueFile wake;  // auto-reset event: new settings, a rescan, the end
    mutable std::mutex mutex;
    std::unique_ptr<AppSettings> pending;  // settings not yet taken by the thread
    bool rescan = false;
    bool stop = false;
    std::vector<WatchArrival> arrivals;
    std::vector<WatchOffer> offers;
    std::vector<WatchFolderStatus> statuses;
    LoopGuard own;
    std::unordered_set<uint64_t> handed;  // keys of items handed over and not finished yet
    std::atomic<uint64_t> listed{0};

    void Announce() {
        if (changed) changed();
    }
};

class FolderWatcher::Worker {
public:
    explicit Worker(std::shared_ptr<Shared> s) : shared(std::move(s)), thread([this] { Run(); }) {}
    ~Worker() {
        {
            std::lock_guard lock(shared->mutex);
            shared->stop = true;
        }
        SetEvent(shared->wake.get());
        thread.join();
    }

private:
    void Run();
    bool TakeControl();  // false: the end
    void Apply(const AppSettings& settings);
    void Open(Watch& w, int64_t now);
    void StopReading(Watch& w);
    bool IssueRead(Watch& w);
    void Completed(Watch& w, int64_t now);
    void Noticed(Watch& w, const std::wstring& path, bool arrival, int64_t now);
    void List(Watch& w, int64_t now);
    void ListFolder(Watch& w, const std::wstring& folder, bool first, std::vector<std::filesystem::path>& offered,
                    int64_t now);
    void Settle(Watch& w, int64_t now, std::vector<std::filesystem::path>& ready);
    bool RulesTake(const std::filesystem::path& item) const;
    // Put there by the program, or handed over and not finished yet.
    bool Own(const std::wstring& path) const;
    void Publish();

    std::shared_ptr<Shared> shared;
    AppSettings settings;
    std::unique_ptr<RuleSelector> selector;
    bool configured = false;
    bool paused = false;
    std::vector<std::unique_ptr<Watch>> watches;
    std::vector<WatchFolderStatus> published;
    std::thread thread;  // last: starts once everything above exists
};

bool FolderWatcher::Worker::TakeControl() {
    std::unique_ptr<AppSettings> next;
    bool rescan = false;
    {
        std::lock_guard lock(shared->mutex);
        if (shared->stop) return false;
        next = std::move(shared->pending);
        rescan = std::exchange(shared->rescan, false);
    }
    if (next) Apply(*next);
    if (rescan)
        for (auto& w : watches) w->listPending = true;
    return true;
}

void FolderWatcher::Worker::Apply(const AppSettings& next) {
    const bool first = !configured;
    configured = true;
    settings = next;
    selector = std::make_unique<RuleSelector>(settings);  // keeps a reference to `settings`
    const bool resumed = paused && !settings.watching.paused;
    paused = settings.watching.paused;
    std::vector<std::unique_ptr<Watch>> kept;
    for (const WatchedFolder& raw : settings.watching.folders) {
        if (!raw.enabled || raw.path.empty()) continue;
        const WatchedFolder config = Sanitized(raw);
        const std::wstring key = Folded(PathFromUtf8(config.path));
        auto same = std::find_if(watches.begin(), watches.end(), [&](const std::unique_ptr<Watch>& w) {
            return w && Folded(PathFromUtf8(w->config.path)) == key;
        });
        std::unique_ptr<Watch> w;
        if (same != watches.end()) {
            w = std::move(*same);
            if (w->config.includeSubfolders != config.includeSubfolders) {
                StopReading(*w);  // the read asks for the subtree or not
                w->state = WatchState::starting;
                w->listPending = true;
            }
            w->config = config;
        } else {
            w = std::make_unique<Watch>();
            w->config = config;
            w->root = ExtendedPath(PathFromUtf8(config.path));
            w->polled = IsPolled(PathFromUtf8(config.path));
            w->offerWanted = !first;
            w->keepExisting = !first || !config.routeExisting;
        }
        if (resumed) w->listPending = true;  // what arrived while paused
        kept.push_back(std::move(w));
    }
    for (auto& gone : watches)
        if (gone) StopReading(*gone);  // removed or turned off
    watches = std::move(kept);
    const int64_t now = SteadyMs();
    for (auto& w : watches) {
        if (paused) {
            StopReading(*w);
            w->waiting.clear();
            w->state = WatchState::paused;
        } else if (w->state == WatchState::paused || w->state == WatchState::starting) {
            w->state = WatchState::starting;
            Open(*w, now);
        }
    }
}

void FolderWatcher::Worker::Open(Watch& w, int64_t now) {
    w.nextRecheckMs = now + shared->timing.recheckMs;
    if (w.polled) {
        w.state = WatchState::polling;
        w.listPending = true;
        return;
    }
    // FILE_LIST_DIRECTORY is the right ReadDirectoryChangesW needs; FILE_FLAG_BACKUP_SEMANTICS
    // is what lets CreateFileW open a folder at all; every sharing mode, so that the user can
    // still rename or delete the folder (the read then ends with an error: unavailable).
    w.dir = OwnFile(CreateFileW(w.root.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    if (w.dir && !w.event) w.event.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!w.dir || !w.event || !IssueRead(w)) {
        w.dir.reset();
        w.state = WatchState::unavailable;
        w.nextListMs = now + shared->timing.retryMs;
        return;
    }
    w.state = WatchState::watching;
    w.listPending = true;  // what arrived before the read was in place
}

bool FolderWatcher::Worker::IssueRead(Watch& w) {
    if (w.buffer.empty()) w.buffer.resize(kBufferDwords);  // DWORD-aligned, as the call requires
    ResetEvent(w.event.get());
    w.overlapped = OVERLAPPED{};
    w.overlapped.hEvent = w.event.get();
    w.reading = ReadDirectoryChangesW(w.dir.get(), w.buffer.data(), static_cast<DWORD>(w.buffer.size() * sizeof(DWORD)),
                                      w.config.includeSubfolders, kNotifyFilter, nullptr, &w.overlapped, nullptr) != 0;
    return w.reading;
}

void FolderWatcher::Worker::StopReading(Watch& w) {
    if (w.reading && w.dir) {
        // The buffer and the OVERLAPPED belong to the system until the read completes, also
        // once cancelled: wait for that before either is reused or freed.
        DWORD bytes = 0;
        CancelIoEx(w.dir.get(), &w.overlapped);
        GetOverlappedResult(w.dir.get(), &w.overlapped, &bytes, TRUE);
    }
    w.reading = false;
    w.dir.reset();
}

void FolderWatcher::Worker::Completed(Watch& w, int64_t now) {
    DWORD bytes = 0;
    const bool ok = GetOverlappedResult(w.dir.get(), &w.overlapped, &bytes, FALSE) != 0;
    w.reading = false;
    if (!ok) {
        const DWORD error = GetLastError();
        if (error != ERROR_NOTIFY_ENUM_DIR) {
            // The folder went away (deleted, renamed, its drive removed): looked for again later.
            w.dir.reset();
            w.waiting.clear();
            w.state = WatchState::unavailable;
            w.nextListMs = now + shared->timing.retryMs;
            return;
        }
        bytes = 0;
    }
    if (bytes == 0) {
        // More changes than the buffer holds: the system kept none of them.
        w.listPending = true;
    } else {
        const auto* base = reinterpret_cast<const BYTE*>(w.buffer.data());
        for (size_t offset = 0;;) {
            const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(base + offset);
            const std::wstring name(info->FileName, info->FileNameLength / sizeof(WCHAR));
            const bool arrival = info->Action == FILE_ACTION_ADDED || info->Action == FILE_ACTION_RENAMED_NEW_NAME;
            if (arrival || info->Action == FILE_ACTION_MODIFIED) Noticed(w, ChildPath(w.root, name), arrival, now);
            if (info->NextEntryOffset == 0) break;
            offset += info->NextEntryOffset;
        }
    }
    if (!IssueRead(w)) {
        w.dir.reset();
        w.state = WatchState::unavailable;
        w.nextListMs = now + shared->timing.retryMs;
    }
}

bool FolderWatcher::Worker::Own(const std::wstring& path) const {
    std::lock_guard lock(shared->mutex);
    return shared->own.Holds(path) || shared->handed.count(PathKey(path)) != 0;
}

void FolderWatcher::Worker::Noticed(Watch& w, const std::wstring& path, bool arrival, int64_t now) {
    const uint64_t key = PathKey(path);
    if (arrival) w.Arrived(key);  // a new item under the name of one that was there at the start
    if (w.waiting.count(path)) return;  // already waiting: its next look sees the change
    if (w.Existing(key) || Own(path)) return;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return;
    const std::wstring name = std::filesystem::path(path).filename().native();
    if (IsNeverRouted(name, data.dwFileAttributes)) return;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        // A folder moved in arrives as one notification: what it holds is listed now.
        if (arrival && w.config.includeSubfolders) {
            std::vector<std::filesystem::path> none;
            ListFolder(w, path, false, none, now);
        }
        return;
    }
    SettleState state;
    Observe(state, Sighting{(static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow, Ticks(data.ftLastWriteTime)},
            now, SystemClock().UtcTicks(), w.config.settleSeconds * 1000LL);
    w.waiting.emplace(path, state);
}

void FolderWatcher::Worker::List(Watch& w, int64_t now) {
    w.listPending = false;
    const bool first = !w.started;
    std::vector<std::filesystem::path> offered;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(w.root.c_str(), GetFileExInfoStandard, &data) ||
        !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        StopReading(w);
        w.state = WatchState::unavailable;
        w.waiting.clear();
        w.nextListMs = now + shared->timing.retryMs;
        return;
    }
    ListFolder(w, w.root, first, offered, now);
    if (first) {
        std::sort(w.existing.begin(), w.existing.end());
        w.started = true;
        if (w.offerWanted && !offered.empty()) {
            std::lock_guard lock(shared->mutex);
            shared->offers.push_back(WatchOffer{w.config.path, std::move(offered)});
        }
        w.offerWanted = false;
    }
}

void FolderWatcher::Worker::ListFolder(Watch& w, const std::wstring& folder, bool first,
                                       std::vector<std::filesystem::path>& offered, int64_t now) {
    std::vector<std::wstring> below;
    WIN32_FIND_DATAW found{};
    // FindExInfoBasic skips the short names nobody here asks for; large fetches halve the calls.
    HANDLE find = FindFirstFileExW(ChildPath(folder, L"*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return;
    const uint64_t nowTicks = SystemClock().UtcTicks();
    const FolderKeys keys(folder);
    uint64_t count = 0;
    do {
        const wchar_t* name = found.cFileName;
        if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
        ++count;
        if (IsNeverRouted(name, found.dwFileAttributes)) continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // Links to folders are not followed: they may lead anywhere, even back here.
            if (w.config.includeSubfolders && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                below.push_back(ChildPath(folder, name));
            continue;
        }
        const uint64_t key = keys.Of(name);
        if (first && w.keepExisting) {
            // Only the key is kept: the start-up listing of a large folder costs little more than
            // the listing itself.
            w.existing.push_back(key);
            if (w.offerWanted && RulesTake(PlainPath(ChildPath(folder, name)))) offered.push_back(PlainPath(ChildPath(folder, name)));
            continue;
        }
        std::wstring path = ChildPath(folder, name);
        if ((!first && w.Existing(key)) || w.waiting.count(path) || Own(path)) continue;
        // Only what the rules would take waits to settle: a folder of 100,000 items the rules
        // leave costs no memory between listings.
        if (!RulesTake(PlainPath(path))) continue;
        SettleState state;
        Observe(state, Sighting{(static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow,
                                Ticks(found.ftLastWriteTime)},
                now, nowTicks, w.config.settleSeconds * 1000LL);
        w.waiting.emplace(std::move(path), state);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    shared->listed += count;
    for (const std::wstring& sub : below) ListFolder(w, sub, first, offered, now);
}

bool FolderWatcher::Worker::RulesTake(const std::filesystem::path& item) const {
    if (!selector) return false;
    ItemFacts facts(item);
    const RuleDecision decision = selector->Select(facts, SystemClock(), nullptr);
    if (decision.action == RuleAction::recycle) return true;
    // A new name the item does not have yet. What a rename puts here, under its new name, is the
    // program's own (NoteOwnItem) and not renamed again: "{name}_x" never runs away.
    const bool renames = !decision.newName.empty() && PathFromUtf8(decision.newName) != item.filename();
    if (decision.action == RuleAction::rename) return renames;
    if (decision.action != RuleAction::move || decision.destination.empty()) return false;
    // Already where the rule would put it: nothing to route (and never a folder into itself).
    return renames || Folded(PathFromUtf8(decision.destination)) != Folded(item.parent_path());
}

void FolderWatcher::Worker::Settle(Watch& w, int64_t now, std::vector<std::filesystem::path>& ready) {
    const uint64_t nowTicks = SystemClock().UtcTicks();
    for (auto it = w.waiting.begin(); it != w.waiting.end();) {
        SettleState& state = it->second;
        if (state.dueMs > now) {
            ++it;
            continue;
        }
        const std::wstring& path = it->first;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            IsNeverRouted(std::filesystem::path(path).filename().native(), data.dwFileAttributes) || Own(path)) {
            it = w.waiting.erase(it);  // gone, hidden since, or put there by this program meanwhile
            continue;
        }
        const Sighting sighting{(static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                                Ticks(data.ftLastWriteTime)};
        if (Observe(state, sighting, now, nowTicks, w.config.settleSeconds * 1000LL) == SettleVerdict::wait) {
            ++it;
            continue;
        }
        // Settled by its times; the last word is whether anyone still has it open for writing:
        // an open without sharing fails while any other handle is open on it.
        UniqueFile probe = OwnFile(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe) {
            const DWORD error = GetLastError();
            if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
                state.dueMs = now + kBusyRetryMs;
                ++it;
            } else {
                it = w.waiting.erase(it);  // cannot be read at all: a later change brings it back
            }
            continue;
        }
        probe.reset();
        const std::filesystem::path plain = PlainPath(path);
        if (RulesTake(plain)) ready.push_back(plain);
        it = w.waiting.erase(it);
    }
}

void FolderWatcher::Worker::Publish() {
    std::vector<WatchFolderStatus> now;
    for (const auto& w : watches) now.push_back(WatchFolderStatus{w->config.path, w->state});
    // Folders that are configured but off are shown as such.
    for (const WatchedFolder& f : settings.watching.folders)
        if (!f.enabled && !f.path.empty()) now.push_back(WatchFolderStatus{f.path, WatchState::off});
    const bool changed = now.size() != published.size() ||
                         !std::equal(now.begin(), now.end(), published.begin(), [](const auto& a, const auto& b) {
                             return a.folder == b.folder && a.state == b.state;
                         });
    if (!changed) return;
    published = now;
    {
        std::lock_guard lock(shared->mutex);
        shared->statuses = std::move(now);
    }
    shared->Announce();
}

void FolderWatcher::Worker::Run() {
    while (TakeControl()) {
        int64_t now = SteadyMs();
        bool announce = false;
        for (auto& w : watches) {
            if (paused) break;
            if (w->state == WatchState::unavailable && now >= w->nextListMs) {
                Open(*w, now);
                if (w->state == WatchState::unavailable) continue;
            }
            if (w->state == WatchState::polling && now >= w->nextListMs) {
                w->listPending = true;
                w->nextListMs = now + w->config.pollSeconds * 1000LL;
            }
            if (now >= w->nextRecheckMs) {
                w->listPending = true;  // date conditions may hold by now
                w->nextRecheckMs = now + shared->timing.recheckMs;
            }
            if (w->listPending) List(*w, now);
            if (w->state == WatchState::polling && w->nextListMs <= now) w->nextListMs = now + w->config.pollSeconds * 1000LL;
            std::vector<std::filesystem::path> ready;
            Settle(*w, SteadyMs(), ready);
            if (!ready.empty()) {
                std::sort(ready.begin(), ready.end());  // a batch in the order a listing shows
                std::lock_guard lock(shared->mutex);
                for (const std::filesystem::path& item : ready) shared->handed.insert(PathKey(item));
                shared->arrivals.push_back(WatchArrival{w->config.path, std::move(ready)});
                announce = true;
            }
        }
        {
            std::lock_guard lock(shared->mutex);
            announce = announce || !shared->offers.empty();
        }
        if (announce) shared->Announce();
        Publish();

        // Sleep until the next thing is due, or a notification or a wake comes.
        now = SteadyMs();
        int64_t due = INT64_MAX;
        std::vector<HANDLE> handles{shared->wake.get()};
        std::vector<Watch*> reading;
        if (!paused) {
            for (auto& w : watches) {
                if (w->state == WatchState::unavailable || w->state == WatchState::polling)
                    due = std::min(due, w->nextListMs);
                if (w->started || w->state != WatchState::unavailable) due = std::min(due, w->nextRecheckMs);
                for (const auto& [path, state] : w->waiting) due = std::min(due, state.dueMs);
                // WaitForMultipleObjects takes 64 handles; folders past that are still looked at
                // on the hourly listing.
                if (w->reading && handles.size() < MAXIMUM_WAIT_OBJECTS) {
                    handles.push_back(w->event.get());
                    reading.push_back(w.get());
                }
            }
        }
        const DWORD timeout =
            due == INT64_MAX ? INFINITE : static_cast<DWORD>(std::clamp<int64_t>(due - now, 10, 24LL * 3600 * 1000));
        const DWORD signalled = WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, timeout);
        if (signalled > WAIT_OBJECT_0 && signalled < WAIT_OBJECT_0 + handles.size())
            Completed(*reading[signalled - WAIT_OBJECT_0 - 1], SteadyMs());
        // Other folders whose reads completed meanwhile are served on the next turns.
    }
    for (auto& w : watches) StopReading(*w);
}

FolderWatcher::FolderWatcher(std::function<void()> changed, WatchTiming timing) : shared(std::make_shared<Shared>()) {
    shared->changed = std::move(changed);
    shared->timing = timing;
    shared->wake.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    worker = std::make_unique<Worker>(shared);
}

FolderWatcher::~FolderWatcher() { worker.reset(); }

void FolderWatcher::Configure(const AppSettings& settings) {
    {
        std::lock_guard lock(shared->mutex);
        shared->pending = std::make_unique<AppSettings>(settings);
    }
    SetEvent(shared->wake.get());
}

void FolderWatcher::Stop() { worker.reset(); }

void FolderWatcher::Rescan() {
    {
        std::lock_guard lock(shared->mutex);
        shared->rescan = true;
    }
    SetEvent(shared->wake.get());
}

void FolderWatcher::NoteOwnItem(const std::filesystem::path& item) {
    std::lock_guard lock(shared->mutex);
    shared->own.Note(item);
}

bool FolderWatcher::IsOwnItem(const std::filesystem::path& item) const {
    std::lock_guard lock(shared->mutex);
    return shared->own.Holds(item);
}

std::vector<WatchArrival> FolderWatcher::TakeArrivals() {
    std::lock_guard lock(shared->mutex);
    return std::exchange(shared->arrivals, {});
}

void FolderWatcher::Finished(const std::vector<std::filesystem::path>& items) {
    std::lock_guard lock(shared->mutex);
    for (const std::filesystem::path& item : items) shared->handed.erase(PathKey(item));
}

std::vector<WatchOffer> FolderWatcher::TakeOffers() {
    std::lock_guard lock(shared->mutex);
    return std::exchange(shared->offers, {});
}

std::vector<WatchFolderStatus> FolderWatcher::Statuses() const {
    std::lock_guard lock(shared->mutex);
    return shared->statuses;
}

uint64_t FolderWatcher::ItemsListed() const { return shared->listed.load(); }

}  // namespace kw
