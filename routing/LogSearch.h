#pragma once
// Finds the lines of the whole activity log that pass a filter, on a thread of its own, newest
// line first, so that a log of any length is searched without holding up the window. The
// matches are handed over as they are found; the caller collects them once per frame.

#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace kw {

struct LogQuery {
    std::string text;  // anywhere in the line, ASCII letters in any case; empty: every line
    int outcome = 0;   // 1-5: only "[ok]", "[skip]", "[fail]", "[undo]" or "[left]" lines

    bool Empty() const { return text.empty() && outcome == 0; }
    bool operator==(const LogQuery&) const = default;
};

// Whether a log line passes the filter: `text` anywhere in it (ASCII letters in any case), and
// for `outcome` 1-5 only "[ok]", "[skip]", "[fail]", "[undo]" or "[left]" lines.
bool LogLineShown(std::string_view line, std::string_view text, int outcome);

class LogSearch {
public:
    // At most this many matching lines are kept (the newest); all are counted.
    static constexpr size_t kKeptLines = 100000;

    // `wake` is called from the search thread when matches are ready to collect and when the
    // search ends (it posts a message; it must not touch the window).
    explicit LogSearch(std::function<void()> wake = {});
    ~LogSearch();  // stops the search and waits for its thread
    LogSearch(const LogSearch&) = delete;
    LogSearch& operator=(const LogSearch&) = delete;

    // Before the first Start only.
    void SetWake(std::function<void()> wakeUp) { wake = std::move(wakeUp); }
    // Forgets what was found and searches `file` for `query` from its end.
    void Start(const std::filesystem::path& file, LogQuery query);
    // Stops the search (within one block of the file) and forgets what was found.
    void Clear();

    // Appends the matches found since the last call to `lines` (the newest first overall);
    // true when it appended any.
    bool Collect(std::vector<std::string>& lines);
    bool Running() const { return running.load(); }
    // Lines that matched so far, including those beyond kKeptLines.
    size_t Matched() const { return matched.load(); }
    // The log could not be opened or read to its beginning.
    bool Failed() const { return failed.load(); }
    // There is no log file (nothing was ever written, or it could not be made).
    bool Missing() const { return missing.load(); }
    const LogQuery& Query() const { return query; }

private:
    void Search(std::filesystem::path file, LogQuery what);
    void Join();

    std::function<void()> wake;
    LogQuery query;
    std::thread worker;
    std::atomic<bool> stop{false};
    std::atomic<bool> running{false};
    std::atomic<bool> failed{false};
    std::atomic<bool> missing{false};
    std::atomic<size_t> matched{0};
    std::mutex handOver;
    std::vector<std::string> found;  // guarded by handOver
};

}  // namespace kw
