#include "shell/ConsoleOutput.h"

#include "model/TextEncoding.h"

namespace kw {
namespace {

enum class Kind { none, console, file };

Kind KindOf(HANDLE handle) {
    if (!handle || handle == INVALID_HANDLE_VALUE) return Kind::none;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) return Kind::console;
    const DWORD type = GetFileType(handle);
    return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE ? Kind::file : Kind::none;
}

}  // namespace

ConsoleOutput::ConsoleOutput() {
    // A windowed program's standard handles are valid only when its parent passed them on
    // (redirected output); otherwise they are not usable until AttachConsole.
    const HANDLE stdOut = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE stdErr = GetStdHandle(STD_ERROR_HANDLE);
    const Kind outKind = KindOf(stdOut);
    const Kind errKind = KindOf(stdErr);
    if (outKind != Kind::none) out = {stdOut, outKind == Kind::console};
    if (errKind != Kind::none) err = {stdErr, errKind == Kind::console};
    if (out.handle && err.handle) return;
    // ERROR_ACCESS_DENIED: this process has a console already (its handles were not usable).
    if (AttachConsole(ATTACH_PARENT_PROCESS) || GetLastError() == ERROR_ACCESS_DENIED) {
        consoleOut = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
        if (consoleOut == INVALID_HANDLE_VALUE) consoleOut = nullptr;
    }
    if (consoleOut) {
        if (!out.handle) out = {consoleOut, true};
        if (!err.handle) err = {consoleOut, true};
    }
    if (!err.handle) err = out;
}

ConsoleOutput::~ConsoleOutput() {
    if (consoleOut) CloseHandle(consoleOut);
}

void ConsoleOutput::Out(const std::string& utf8) { Write(out, utf8); }
void ConsoleOutput::Err(const std::string& utf8) { Write(err, utf8); }

void ConsoleOutput::Write(const Target& target, const std::string& utf8) {
    if (!target.handle || utf8.empty()) return;
    if (target.console) {
        const std::wstring wide = ToWide(utf8);
        DWORD written = 0;
        WriteConsoleW(target.handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    DWORD written = 0;
    WriteFile(target.handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace kw
