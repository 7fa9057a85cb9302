#include "shell/SendToShortcut.h"

#include <windows.h>
#include <knownfolders.h>
#include <objidl.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <memory>

#include "model/AsciiCase.h"
#include "model/ExtendedPath.h"
#include "model/PathKind.h"
#include "routing/FileIdentity.h"
#include "model/TextEncoding.h"

namespace kw {
namespace {

using Microsoft::WRL::ComPtr;

std::string Failure(const char* what, HRESULT result) {
    return std::string(what) + " (" + std::system_category().message(result) + ").";
}

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = AsciiUpper(c);
    return text;
}

}  // namespace

std::filesystem::path SendToFolder() {
    PWSTR raw = nullptr;
    // Not verified: a profile that lacks the folder still has its place, created when needed.
    const HRESULT result = SHGetKnownFolderPath(FOLDERID_SendTo, KF_FLAG_DONT_VERIFY, nullptr, &raw);
    // The buffer is freed with CoTaskMemFree whether or not the call succeeded.
    std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> owner(raw, &CoTaskMemFree);
    if (FAILED(result) || !raw) return {};
    return std::filesystem::path(raw);
}

std::optional<std::filesystem::path> ShortcutTarget(const std::filesystem::path& shortcut) {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) ||
        FAILED(link.As(&file)) || FAILED(file->Load(shortcut.c_str(), STGM_READ)))
        return std::nullopt;
    // GetPath returns at most MAX_PATH characters; the raw path is the one stored, unresolved.
    wchar_t target[MAX_PATH + 1] = {};
    if (link->GetPath(target, MAX_PATH + 1, nullptr, SLGP_RAWPATH) != S_OK) return std::nullopt;
    return std::filesystem::path(target);
}

bool SameProgram(const std::filesystem::path& a, const std::filesystem::path& b) {
    if (Upper(a.lexically_normal().native()) == Upper(b.lexically_normal().native())) return true;
    return SameObject(a, b);
}

SendToEntry ReadSendTo(const std::filesystem::path& folder, const std::filesystem::path& exe) {
    SendToEntry entry;
    const std::filesystem::path shortcut = folder / kSendToFileName;
    if (folder.empty() || KindOf(shortcut) == PathKind::missing) return entry;
    const std::optional<std::filesystem::path> target = ShortcutTarget(shortcut);
    if (target && SameProgram(*target, exe)) {
        entry.state = SendToState::thisCopy;
    } else {
        entry.state = SendToState::otherCopy;
        if (target) entry.target = *target;
    }
    return entry;
}

std::string AddSendTo(const std::filesystem::path& folder, const std::filesystem::path& exe) {
    if (folder.empty()) return "The Send To folder could not be found.";
    // A profile may lack the folder (its parent, the user's Windows folder, is always there).
    CreateDirectoryW(ExtendedPath(folder).c_str(), nullptr);
    ComPtr<IShellLinkW> link;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link));
    if (FAILED(result)) return Failure("Could not make the Send To shortcut", result);
    link->SetPath(exe.c_str());
    link->SetWorkingDirectory(exe.parent_path().c_str());
    link->SetIconLocation(exe.c_str(), 0);
    link->SetDescription(L"Route with Kestrane Fileweir");
    ComPtr<IPersistFile> file;
    result = link.As(&file);
    if (SUCCEEDED(result)) {
        // Save wants an absolute path; TRUE makes it the link object's current file (unused after).
        result = file->Save((folder / kSendToFileName).c_str(), TRUE);
    }
    if (FAILED(result)) return Failure("Could not save the Send To shortcut", result);
    return {};
}

std::string RemoveSendTo(const std::filesystem::path& folder, const std::filesystem::path& exe) {
    // Another copy's entry (or the user's own of that name) is left alone.
    if (ReadSendTo(folder, exe).state != SendToState::thisCopy) return {};
    if (!DeleteFileW(ExtendedPath(folder / kSendToFileName).c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
        return "Could not remove the Send To shortcut (" + std::system_category().message(static_cast<int>(GetLastError())) + ").";
    return {};
}

}  // namespace kw
