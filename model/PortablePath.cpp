#include "model/PortablePath.h"

#include <windows.h>

#include <cwctype>

#include "model/AppFolder.h"
#include "model/TextEncoding.h"

namespace kw {
namespace {

std::wstring Folded(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return text;
}

// A path that no folder gives a meaning to: "\Photos" (the current drive's root) and "D:Photos"
// (the current folder of drive D:) are left alone like full paths.
bool IsPlainRelative(const std::filesystem::path& path) {
    return !path.has_root_name() && !path.has_root_directory();
}

}  // namespace

PathContext SystemPathContext() {
    PathContext context;
    context.programFolder = AppFolder();
    context.variable = [](const std::wstring& name) -> std::optional<std::wstring> {
        // GetEnvironmentVariableW returns the size needed (with the terminator) when the buffer
        // is too small, and 0 with ERROR_ENVVAR_NOT_FOUND when the variable is not set.
        std::wstring value(256, L'\0');
        for (int attempt = 0; attempt < 3; ++attempt) {
            SetLastError(ERROR_SUCCESS);
            const DWORD length = GetEnvironmentVariableW(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
            if (length == 0) {
                if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
                return std::wstring();  // set, but empty
            }
            if (length < value.size()) {
                value.resize(length);
                return value;
            }
            value.assign(length, L'\0');
        }
        return std::nullopt;
    };
    return context;
}

std::wstring ExpandVariables(std::wstring_view text, const VariableLookup& variable) {
    std::wstring out;
    size_t at = 0;
    while (at < text.size()) {
        const size_t open = text.find(L'%', at);
        if (open == std::wstring_view::npos) break;
        const size_t close = text.find(L'%', open + 1);
        if (close == std::wstring_view::npos) break;
        out.append(text.substr(at, open - at));
        const std::wstring name(text.substr(open + 1, close - open - 1));
        const std::optional<std::wstring> value = name.empty() || !variable ? std::nullopt : variable(name);
        if (value) {
            out += *value;
            at = close + 1;
        } else {
            // Kept as typed; its closing % may open the next name ("%NOPE%HOME%").
            out.append(text.substr(open, close - open));
            at = close;
        }
    }
    out.append(text.substr(at));
    return out;
}

std::string ResolvedFolder(const std::string& typed, const PathContext& context) {
    if (typed.empty()) return typed;
    const std::filesystem::path expanded = ExpandVariables(PathFromUtf8(typed).native(), context.variable);
    // A variable this PC does not set stays as typed, for the rule check to name.
    const bool unsetVariable = typed.front() == '%' && !expanded.empty() && expanded.native().front() == L'%';
    if (IsPlainRelative(expanded) && !unsetVariable && !context.programFolder.empty())
        return PathToUtf8((context.programFolder / expanded).lexically_normal());
    return PathToUtf8(expanded);
}

std::string PortableForm(const std::string& path, const std::filesystem::path& programFolder) {
    if (path.empty() || programFolder.empty() || path.front() == '%') return path;
    const std::filesystem::path given = PathFromUtf8(path).lexically_normal();
    const std::wstring base = Folded(programFolder.lexically_normal().native());
    const std::wstring full = Folded(given.native());
    // Inside means below it: the folder followed by a separator (Windows ignores case in names).
    const bool baseEndsInSeparator = !base.empty() && (base.back() == L'\\' || base.back() == L'/');
    const size_t after = baseEndsInSeparator ? base.size() : base.size() + 1;
    if (full.size() <= after || full.compare(0, base.size(), base) != 0) return path;
    if (!baseEndsInSeparator && full[base.size()] != L'\\' && full[base.size()] != L'/') return path;
    return PathToUtf8(std::filesystem::path(given.native().substr(after)));
}

std::string InstalledForm(const std::string& stored, const std::filesystem::path& programFolder) {
    if (stored.empty() || programFolder.empty() || stored.front() == '%') return stored;
    const std::filesystem::path given = PathFromUtf8(stored);
    if (!IsPlainRelative(given)) return stored;
    return PathToUtf8((programFolder / given).lexically_normal());
}

void MapStoredPaths(AppSettings& settings, const std::function<std::string(const std::string&)>& form) {
    for (Rule& rule : settings.rules) rule.destination = form(rule.destination);
    settings.catchAllPath = form(settings.catchAllPath);
}

AppSettings WithResolvedFolders(AppSettings settings, const PathContext& context) {
    MapStoredPaths(settings, [&](const std::string& typed) { return ResolvedFolder(typed, context); });
    return settings;
}

}  // namespace kw
