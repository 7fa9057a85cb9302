#include "routing/ItemActions.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <system_error>

#include "matching/RuleSelection.h"
#include "model/AsciiCase.h"
#include "model/TextEncoding.h"
#include "routing/FileTree.h"
#include "routing/NameConflicts.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

constexpr char kMessageNoSource[] = "Source no longer exists.";
constexpr char kMessageRoutingFolder[] = "Skipped (routing destination folder \xE2\x80\x94 left in place).";
constexpr char kMessageNameExists[] = "Skipped (name already exists).";
// Fresh auto-rename names tried when the one chosen turns out to be taken.
constexpr int kRenameRetries = 16;

bool IsNameTaken(const std::error_code& ec) {
    return ec.value() == ERROR_ALREADY_EXISTS || ec.value() == ERROR_FILE_EXISTS;
}

std::error_code LastError() { return {static_cast<int>(GetLastError()), std::system_category()}; }

bool IsFolderItem(const fs::path& path) {
    const DWORD attributes = GetFileAttributesW(ExtendedPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A sibling name for a copy in progress: short, and plainly not a finished item.
fs::path StagingPath(const fs::path& folder) {
    static std::atomic<unsigned> counter{0};
    wchar_t name[40];
    swprintf(name, 40, L"~kfpart-%08x-%04x", static_cast<unsigned>(GetTickCount64()) ^ GetCurrentProcessId(),
             counter++ & 0xFFFF);
    return folder / name;
}

bool IsStagingName(std::wstring_view name) {
    constexpr std::wstring_view prefix = L"~kfpart-";
    if (name.size() != prefix.size() + 13 || name.substr(0, prefix.size()) != prefix || name[prefix.size() + 8] != L'-')
        return false;
    for (size_t i = prefix.size(); i < name.size(); ++i)
        if (i != prefix.size() + 8 && !iswxdigit(name[i])) return false;
    return true;
}

// A folder's source is renamed aside before it is deleted: if the deletion is cut short (the
// process killed, a file inside held open) nothing half-empty is left under the item's own
// name to pass for the item, which is whole at its target. When the deletion fails while the
// process lives on, the remains go back under their name, where the user looks for them.
std::error_code DeleteSource(const fs::path& source) {
    if (!IsFolderItem(source)) return DeleteTree(source);
    const fs::path aside = StagingPath(source.parent_path());
    if (!MoveFileExW(ExtendedPath(source).c_str(), ExtendedPath(aside).c_str(), 0)) return DeleteTree(source);
    const std::error_code ec = DeleteTree(aside);
    if (ec) MoveFileExW(ExtendedPath(aside).c_str(), ExtendedPath(source).c_str(), 0);
    return ec;
}

// Copy under a staging name, rename into place, and only then delete the source: a target
// name never holds a partial copy, and a failed copy leaves the source whole.
std::error_code CopyThenDelete(const fs::path& source, const fs::path& target, bool overwrite) {
    const DWORD targetAttributes = GetFileAttributesW(ExtendedPath(target).c_str());
    const bool mergeIntoFolder = overwrite && targetAttributes != INVALID_FILE_ATTRIBUTES &&
                                 (targetAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsFolderItem(source);
    if (mergeIntoFolder) {
        // A folder that survived the overwrite policy's deletion: merge, replacing same names.
        if (std::error_code ec = CopyTree(source, target, true)) return ec;
        return DeleteTree(source);
    }
    const fs::path staging = StagingPath(target.parent_path());
    if (std::error_code ec = CopyTree(source, staging, false)) {
        DeleteTree(staging);
        return ec;
    }
    const DWORD flags = overwrite ? MOVEFILE_REPLACE_EXISTING : 0;
    if (!MoveFileExW(ExtendedPath(staging).c_str(), ExtendedPath(target).c_str(), flags)) {
        const std::error_code ec = LastError();
        DeleteTree(staging);
        return ec;
    }
    return DeleteSource(source);
}

}  // namespace

int RemoveStagingLeftovers(const fs::path& folder) {
    const std::wstring root = ExtendedPath(folder);
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileExW((root + L"\\~kfpart-*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return 0;
    std::vector<std::wstring> names;
    do {
        if (IsStagingName(data.cFileName)) names.push_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    int removed = 0;
    for (const std::wstring& name : names) removed += !DeleteTree(fs::path(root + L"\\" + name));
    return removed;
}

std::error_code MoveToTarget(const fs::path& source, const fs::path& target, bool overwrite) {
    if (SameVolume(source, target)) {
        const DWORD flags = (overwrite ? MOVEFILE_REPLACE_EXISTING : 0) | MOVEFILE_COPY_ALLOWED;
        if (MoveFileExW(ExtendedPath(source).c_str(), ExtendedPath(target).c_str(), flags)) return {};
        const std::error_code ec = LastError();
        // Without the overwrite policy a name that got taken is a conflict, never a reason to copy over it.
        if (!overwrite && IsNameTaken(ec)) return ec;
    }
    return CopyThenDelete(source, target, overwrite);
}

namespace {

RouteItemResult Result(const fs::path& source, const std::string& rule) {
    RouteItemResult r;
    r.source = PathToUtf8(source);
    r.rule = rule;
    return r;
}

RouteItemResult& Skip(RouteItemResult& r, const char* message, bool ok = true) {
    r.ok = ok;
    r.skipped = true;
    r.message = message;
    return r;
}

}  // namespace

bool SameObject(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

bool IsInsideOrSame(const fs::path& child, const fs::path& parent) {
    if (SameObject(child, parent)) return true;
    std::error_code ec;
    const fs::path c = fs::weakly_canonical(child, ec);
    if (ec) return false;
    const fs::path p = fs::weakly_canonical(parent, ec);
    if (ec) return false;
    const fs::path rel = fs::relative(c, p, ec);
    if (ec || rel.empty()) return false;
    return *rel.begin() != L"..";
}

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// "C:" for drive paths, "\\server" for UNC paths (also in their \\?\ forms), else empty.
// libstdc++ does not recognise the server part of a UNC path as a root name.
std::wstring_view RootName(std::wstring_view p) {
    if (p.size() >= 4 && IsSeparator(p[0]) && IsSeparator(p[1]) && (p[2] == L'?' || p[2] == L'.') && IsSeparator(p[3])) {
        p.remove_prefix(4);
        if (p.size() >= 4 && (p.substr(0, 3) == L"UNC" || p.substr(0, 3) == L"unc") && IsSeparator(p[3])) {
            const size_t end = std::min(p.find_first_of(L"\\/", 4), p.size());
            return p.substr(4, end - 4);
        }
    }
    if (p.size() >= 2 && p[1] == L':') return p.substr(0, 2);
    if (p.size() >= 3 && IsSeparator(p[0]) && IsSeparator(p[1]) && !IsSeparator(p[2])) {
        const size_t end = std::min(p.find_first_of(L"\\/", 2), p.size());
        return p.substr(2, end - 2);
    }
    return {};
}

}  // namespace

bool SameVolume(const fs::path& a, const fs::path& b) {
    const std::wstring_view ra = RootName(a.native()), rb = RootName(b.native());
    if (ra.empty() || ra.size() != rb.size()) return false;
    for (size_t i = 0; i < ra.size(); ++i)
        if (AsciiUpper(ra[i]) != AsciiUpper(rb[i])) return false;
    return true;
}

RoutingFolderList RoutingFolders(const AppSettings& settings) {
    RoutingFolderList folders;
    const auto add = [&](const std::string& utf8) {
        const fs::path folder = PathFromUtf8(utf8);
        for (const fs::path& existing : folders)
            if (SameObject(existing, folder)) return;
        folders.push_back(folder);
    };
    for (const Rule& rule : settings.rules)
        if (rule.enabled && rule.action == RuleAction::move && !rule.destination.empty()) add(rule.destination);
    if (settings.noMatchPolicy == NoMatchPolicy::unsorted && !settings.catchAllPath.empty()) add(settings.catchAllPath);
    return folders;
}

bool IsRoutingFolder(const fs::path& item, const RoutingFolderList& folders) {
    for (const fs::path& folder : folders)
        if (SameObject(item, folder)) return true;
    return false;
}

bool SendToRecycleBin(const fs::path& path) {
    if (path.empty()) return false;
    std::wstring from = path.native();
    from.push_back(L'\0');  // the list ends with a second NUL
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI;
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

RouteItemResult RecycleItem(const fs::path& source, const std::string& rule) {
    RouteItemResult r = Result(source, rule);
    r.target = "Recycle Bin";
    if (!SendToRecycleBin(source)) {
        r.message = "Could not send to Recycle Bin.";
        return r;
    }
    r.ok = true;
    r.message = "Sent to Recycle Bin via " + rule;
    return r;
}

RouteItemResult MoveItem(const fs::path& source, const fs::path& destination, ConflictPolicy conflict,
                         const AutoRenameOptions& autoRename, const std::string& rule, const Clock& clock) {
    RouteItemResult r = Result(source, rule);
    try {
        if (destination.empty()) {
            r.message = "No destination folder is set.";
            return r;
        }
        if (SameObject(source, destination)) return Skip(r, "Skipped (cannot move destination folder into itself).");
        fs::path target = destination / source.filename();
        std::error_code ec;
        if (IsFolderItem(source) && IsInsideOrSame(destination, source))
            return Skip(r, "Skipped (would move a folder into itself).");
        if (IsInsideOrSame(source, destination)) {
            r.target = PathToUtf8(target);
            return Skip(r, "Skipped (already in destination folder).");
        }
        fs::create_directories(destination, ec);

        const fs::path wanted = target;
        const bool overwrite = conflict == ConflictPolicy::overwrite;
        // On one volume the rename itself refuses a taken name, so the conflict is found by
        // trying (a separate look-up first would cost as much as the rename). A copy to
        // another volume is costly, and overwriting must clear the way first: check ahead.
        if (overwrite || !SameVolume(source, target)) {
            std::error_code statusError;
            if (TargetExists(target, statusError)) {
                if (conflict == ConflictPolicy::skip) {
                    r.target = PathToUtf8(target);
                    return Skip(r, kMessageNameExists, false);
                }
                if (overwrite) DeleteTree(target);
                else target = UniqueTargetPath(target, autoRename, clock);
            }
        }
        r.target = PathToUtf8(target);

        std::error_code transferError = MoveToTarget(source, target, overwrite);
        // The name is taken (it was, or something took it since): never replace it.
        for (int attempt = 0; !overwrite && IsNameTaken(transferError); ++attempt) {
            if (conflict != ConflictPolicy::rename || attempt >= kRenameRetries) return Skip(r, kMessageNameExists, false);
            const fs::path next = UniqueTargetPath(wanted, autoRename, clock);
            if (next == target) return Skip(r, kMessageNameExists, false);  // the untested " (copy)" name is taken too
            target = next;
            r.target = PathToUtf8(target);
            transferError = MoveToTarget(source, target, overwrite);
        }
        if (transferError) {
            r.message = std::system_category().message(transferError.value());
            return r;
        }
        r.ok = true;
        r.message = "Moved via " + rule;
    } catch (const std::exception& e) {
        r.ok = false;
        r.skipped = false;
        r.message = e.what();
    }
    return r;
}

RouteItemResult RouteItem(const fs::path& item, const AppSettings& settings, const RoutingFolderList& folders) {
    RouteItemResult r;
    try {
        r.source = PathToUtf8(item);
        // Looked up literally: a name such as "CON" or "report." exists as itself.
        if (GetFileAttributesW(ExtendedPath(item).c_str()) == INVALID_FILE_ATTRIBUTES) {
            r.message = kMessageNoSource;
            return r;
        }
        const RuleDecision decision = SelectRule(settings, item);
        r.rule = decision.ruleName;
        if (decision.action == RuleAction::leave_in_place) return Skip(r, ("Left in place (" + decision.ruleName + ")").c_str());
        if (IsRoutingFolder(item, folders)) return Skip(r, kMessageRoutingFolder);
        if (decision.action == RuleAction::recycle) return RecycleItem(item, decision.ruleName);
        return MoveItem(item, PathFromUtf8(decision.destination), decision.conflict, settings.autoRename,
                        decision.ruleName);
    } catch (const std::exception& e) {
        r.ok = false;
        r.skipped = false;
        r.message = e.what();
    } catch (...) {
        r.ok = false;
        r.skipped = false;
        r.message = "Unexpected error.";
    }
    return r;
}

}  // namespace kw
