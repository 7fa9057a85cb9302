#include "app/CommandLineRun.h"

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/App.h"
#include "model/AppFolder.h"
#include "model/SettingsJson.h"
#include "model/TextEncoding.h"
#include "routing/BatchCache.h"
#include "routing/ItemPlan.h"
#include "shell/ConsoleOutput.h"
#include "shell/InstanceHandoff.h"
#include "shell/PathFiltering.h"
#include "shell/ProgramVersion.h"
#include "ui/PlanText.h"

namespace kw {
namespace {

constexpr auto kStartingPatience = std::chrono::seconds(30);

std::filesystem::path WorkingFolder() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);  // characters, with the NUL
    std::wstring folder(size, L'\0');
    const DWORD length = size ? GetCurrentDirectoryW(size, folder.data()) : 0;
    folder.resize(length < size ? length : 0);
    return std::filesystem::path(folder);
}

std::wstring ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return path.substr(0, length);
        if (path.size() >= 0x10000) return {};
        path.resize(path.size() * 2);
    }
}

// The settings the running copy routes with, read without writing anything (a dry run changes
// nothing, not even a missing or broken config.json).
bool ReadSettingsForPlan(AppSettings& settings, std::string& problem) {
    settings = AppSettings();
    std::ifstream file(ConfigPath(), std::ios::binary);
    if (file) {
        std::stringstream text;
        text << file.rdbuf();
        Json document;
        if (!ParseSettingsDocument(text.str(), document) || !SettingsFromJson(document, settings)) {
            problem = "config.json beside the program is not a valid settings file.";
            return false;
        }
    }
    EnsureCatchAllPath(settings);
    return true;
}

int DryRun(const std::vector<std::wstring>& paths, BatchOptions options, ConsoleOutput& console) {
    AppSettings settings;
    std::string problem;
    if (!ReadSettingsForPlan(settings, problem)) {
        console.Err(problem + "\n");
        return 1;
    }
    std::vector<std::filesystem::path> items(paths.begin(), paths.end());
    std::vector<std::filesystem::path> batch;
    ExpandFolders(items, settings.expandFoldersOnDrop, batch);
    BatchCache cache(settings, options);
    bool anyFails = false;
    for (const std::filesystem::path& item : batch) {
        const ItemPlan plan = PlanItem(item, cache);
        anyFails = anyFails || plan.outcome.fate == PlannedFate::fail;
        console.Out(PathToUtf8(item) + " \xE2\x80\x94 " + OutcomeLine(plan) + "\n");
    }
    console.Out("Dry run: " + std::to_string(batch.size()) + " item(s) planned; nothing was changed.\n");
    return anyFails ? 1 : 0;
}

// No copy runs: one is started in the notification area (its window hidden, as a minimised
// start) and keeps running, so the batch shows in its Activity tab and can be undone there.
HWND StartRunningCopy() {
    // A copy that holds the single-instance mutex is starting already: wait for its window.
    if (HANDLE starting = OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutexName)) {
        CloseHandle(starting);
        return FindRunningCopy(kMainWindowClass, kStartingPatience);
    }
    const std::wstring exe = ExecutablePath();
    if (exe.empty()) return nullptr;
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINIMIZED;  // the program starts hidden in the tray
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return nullptr;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return FindRunningCopy(kMainWindowClass, kStartingPatience);
}

int Route(const CommandLine& line, ConsoleOutput& console) {
    std::vector<std::string> problems = line.problems;
    const std::vector<std::wstring> paths = CheckedPaths(line.paths, WorkingFolder(), problems);
    if (!problems.empty()) {
        for (const std::string& problem : problems) console.Err(problem + "\n");
        console.Err("Nothing was routed.\n");
        return 2;
    }
    if (line.dryRun) return DryRun(paths, BatchOptions{line.copy}, console);

    HWND target = FindRunningCopy(kMainWindowClass, std::chrono::milliseconds(0));
    if (!target) {
        target = StartRunningCopy();
        if (!target) {
            console.Err("Kestrane Fileweir could not be started; nothing was routed.\n");
            return 1;
        }
        console.Out("Started Kestrane Fileweir in the notification area.\n");
    }
    IntakeRequest request;
    request.paths = paths;
    request.preview = line.preview;
    request.copy = line.copy;
    request.fromConsole = true;
    ReplyWindow reply;
    const HandOverResult result = HandOver(target, request, line.wait ? reply.Handle() : nullptr);
    if (result != HandOverResult::accepted) {
        // Only what is known: a list sent but not confirmed may have been routed.
        console.Err(HandOverProblem(result, paths.size()) +
                    (result == HandOverResult::unconfirmed ? "\n" : " Nothing was routed.\n"));
        return 1;
    }
    if (!line.wait) {
        console.Out("Handed " + std::to_string(paths.size()) + " item(s) to Kestrane Fileweir.\n");
        return 0;
    }
    const ReplyWindow::Outcome outcome = reply.Wait(target, [&](const std::string& text) { console.Out(text + "\n"); });
    if (!outcome.text.empty()) console.Out(outcome.text + "\n");
    return outcome.exitCode;
}

}  // namespace

int RunConsoleCommand(const CommandLine& line) {
    ConsoleOutput console;
    // Run from Explorer's Run box there is no console to print to: a message box says it.
    const auto say = [&console](const std::string& text, bool problem) {
        if (!console.Reaches())
            MessageBoxW(nullptr, ToWide(text).c_str(), L"Kestrane Fileweir", problem ? MB_ICONWARNING : MB_ICONINFORMATION);
        else if (problem)
            console.Err(text);
        else
            console.Out(text);
    };
    switch (line.mode) {
        case CommandLine::Mode::help: say(UsageText(), false); return 0;
        case CommandLine::Mode::version: say("Kestrane Fileweir " + ProgramVersion() + "\n", false); return 0;
        case CommandLine::Mode::invalid: {
            std::string text;
            for (const std::string& problem : line.problems) text += problem + "\n";
            say(text + "Nothing was routed.\n", true);
            return 2;
        }
        default: break;
    }
    return Route(line, console);
}

IntakeRequest RequestFromShell(const CommandLine& line) {
    IntakeRequest request;
    request.notes = line.problems;
    // Shell objects and missing paths are taken out here, and logged by the copy that routes.
    request.paths = CheckedPaths(line.paths, WorkingFolder(), request.notes);
    return request;
}

int HandPathsToRunningCopy(const CommandLine& line) {
    const IntakeRequest request = RequestFromShell(line);
    HWND target = FindRunningCopy(kMainWindowClass, kStartingPatience);
    HandOverResult result = HandOverResult::noAnswer;
    if (target) {
        // The copy that takes the list is brought forward only if the list asks for its window.
        DWORD process = 0;
        GetWindowThreadProcessId(target, &process);
        if (process) AllowSetForegroundWindow(process);
        result = HandOver(target, request, nullptr);
    }
    if (result == HandOverResult::accepted) return 0;
    // Started from Explorer there is nobody else to tell.
    std::string text = HandOverProblem(result, request.paths.size());
    if (result != HandOverResult::unconfirmed)
        text += "\n\n" + std::to_string(request.paths.size()) + " item(s) were not routed; they stay where they are.";
    MessageBoxW(nullptr, ToWide(text).c_str(), L"Kestrane Fileweir", MB_ICONWARNING);
    return 1;
}

}  // namespace kw
