#include "app/BatchPhaseReport.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "model/UniqueFile.h"

namespace kw {
namespace {

double Ms(BatchPhases::Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The file named by KW_BATCH_PHASES, read once; empty when it is not set.
const std::wstring& ReportFile() {
    static const std::wstring file = [] {
        wchar_t name[1024];
        const DWORD n = GetEnvironmentVariableW(L"KW_BATCH_PHASES", name, 1024);
        return n > 0 && n < 1024 ? std::wstring(name, n) : std::wstring();
    }();
    return file;
}

// ", redraws asked by 0x0200 x12, ..." or nothing.
std::string RedrawMessages(const LoopStats& stats) {
    std::string text;
    for (const auto& [id, count] : stats.batchRedrawMessages) {
        if (count == 0) break;
        char one[32];
        std::snprintf(one, sizeof one, "%s0x%04X x%u", text.empty() ? "; redraws asked by " : ", ", id, count);
        text += one;
    }
    return text;
}

}  // namespace

void CountRedrawMessage(LoopStats& stats, UINT message) {
    for (auto& [id, count] : stats.batchRedrawMessages) {
        if (count != 0 && id != message) continue;
        id = message;
        ++count;
        return;
    }
}

void ReportBatchPhases(const BatchPhases& p, double logWriteMs, const LoopStats& stats) {
    if (ReportFile().empty()) return;
    char line[1024];
    const int n = std::snprintf(
        line, sizeof line,
        "phases: items %lld, listing %.1f ms, selection %.1f ms, move %.1f ms, history record %.1f ms, "
        "progress %.1f ms, log write %.1f ms, frames %llu drawn in %.1f ms (largest gap %.1f ms; for a change %u, "
        "a text %u, input %u, queued input %u, a hover %u)%s\n",
        static_cast<long long>(p.items), Ms(p.listing), Ms(p.selection), Ms(p.move), Ms(p.record), Ms(p.progress),
        logWriteMs, static_cast<unsigned long long>(stats.batchFrames), stats.batchDrawMs, stats.batchMaxGapMs,
        stats.batchFrameCauses[0], stats.batchFrameCauses[1], stats.batchFrameCauses[2], stats.batchFrameCauses[3],
        stats.batchFrameCauses[4], RedrawMessages(stats).c_str());
    const UniqueFile file = OwnFile(CreateFileW(ReportFile().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file && n > 0) WriteFile(file.get(), line, static_cast<DWORD>(std::min<int>(n, sizeof line - 1)), &written, nullptr);
}

}  // namespace kw
