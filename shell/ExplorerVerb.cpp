#include "shell/ExplorerVerb.h"

#include <shlobj.h>

#include <system_error>
#include <vector>

#include "model/AsciiCase.h"

namespace kw {
namespace {

constexpr const wchar_t* kClasses[] = {L"*", L"Directory"};

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& key, const wchar_t* value) {
    DWORD bytes = 0;
    if (RegGetValueW(root, key.c_str(), value, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(root, key.c_str(), value, RRF_RT_REG_SZ, nullptr, text.data(), &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

LSTATUS WriteString(HKEY root, const std::wstring& key, const wchar_t* value, const std::wstring& text) {
    if (ReadString(root, key, value) == text) return ERROR_SUCCESS;
    // RegSetKeyValueW creates the key when missing; REG_SZ data counts its terminating NUL.
    return RegSetKeyValueW(root, key.c_str(), value, REG_SZ, text.c_str(),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

std::string Failure(const char* what, LSTATUS status) {
    return std::string(what) + " (" + std::system_category().message(static_cast<int>(status)) + ").";
}

void NotifyShell(const ClassesKey& classes) {
    // Explorer reads verbs again once told that associations changed; both items must be null.
    if (classes.notifyShell) SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

bool SameText(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

}  // namespace

std::wstring VerbCommand(const std::filesystem::path& exe) { return L"\"" + exe.native() + L"\" \"%1\""; }

std::wstring VerbKeyPath(const ClassesKey& classes, const wchar_t* className) {
    return classes.path + L"\\" + className + L"\\shell\\" + kVerbName;
}

std::optional<std::wstring> RegisteredVerbCommand(const ClassesKey& classes) {
    return ReadString(classes.root, VerbKeyPath(classes, kClasses[0]) + L"\\command", nullptr);
}

std::string AddExplorerVerb(const ClassesKey& classes, const std::filesystem::path& exe) {
    const std::wstring icon = L"\"" + exe.native() + L"\",0";
    bool changed = false;
    for (const wchar_t* className : kClasses) {
        const std::wstring key = VerbKeyPath(classes, className);
        const std::optional<std::wstring> before = ReadString(classes.root, key + L"\\command", nullptr);
        // Player: one verb for any number of items. Explorer still starts a classic verb's
        // command once per item (and offers it for up to 100); the running copy gathers those
        // processes into one batch.
        for (LSTATUS status : {WriteString(classes.root, key, nullptr, kVerbText),
                               WriteString(classes.root, key, L"MultiSelectModel", L"Player"),
                               WriteString(classes.root, key, L"Icon", icon),
                               WriteString(classes.root, key + L"\\command", nullptr, VerbCommand(exe))})
            if (status != ERROR_SUCCESS) return Failure("Could not add the Explorer menu entry", status);
        changed = changed || before != VerbCommand(exe);
    }
    if (changed) NotifyShell(classes);
    return {};
}

std::string RemoveExplorerVerb(const ClassesKey& classes, const std::filesystem::path& exe) {
    bool removed = false;
    for (const wchar_t* className : kClasses) {
        const std::wstring key = VerbKeyPath(classes, className);
        const std::optional<std::wstring> command = ReadString(classes.root, key + L"\\command", nullptr);
        const std::wstring ours = VerbCommand(exe);
        if (!command || !SameText(*command, ours)) continue;
        // The verb's key goes with everything in it (its command key, its values).
        const LSTATUS status = RegDeleteTreeW(classes.root, key.c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return Failure("Could not remove the Explorer menu entry", status);
        RegDeleteKeyW(classes.root, key.c_str());  // in case only its contents went
        removed = true;
    }
    if (removed) NotifyShell(classes);
    return {};
}

}  // namespace kw
