#include "routing/NameConflicts.h"

#include <windows.h>

#include <cstdio>

#include "model/FileName.h"
#include "model/TextEncoding.h"
#include "routing/FileIdentity.h"
#include "routing/FileTree.h"

namespace kw {
namespace fs = std::filesystem;

bool TargetExists(const fs::path& path, std::error_code& error) { return ItemKindAt(path, error).has_value(); }

std::wstring LetterSequence(int n) {
    if (n <= 0) return L"A";
    std::wstring letters;
    while (n > 0) {
        letters.insert(letters.begin(), static_cast<wchar_t>(L'A' + (n - 1) % 26));
        n = (n - 1) / 26;
    }
    return letters;
}

std::wstring CandidateName(std::wstring_view stem, std::wstring_view ext, int index, const AutoRenameOptions& options,
                           const Clock& clock) {
    const std::wstring n = std::to_wstring(index);
    const auto numbered = [&](std::wstring_view label) {
        return std::wstring(stem) + L" (" + std::wstring(label) + L")" + std::wstring(ext);
    };
    const auto date = [&] {
        const LocalTime t = clock.Local();
        wchar_t text[32];
        swprintf(text, 32, L"%04d-%02d-%02d", t.year, t.month, t.day);
        return std::wstring(text);
    };
    const std::wstring counter = index >= 2 ? L" (" + n + L")" : L"";
    switch (options.mode) {
        case AutoRenameMode::letters: return numbered(LetterSequence(index));
        case AutoRenameMode::date_suffix: return std::wstring(stem) + L"_" + date() + counter + std::wstring(ext);
        case AutoRenameMode::date_prefix: return date() + L"_" + std::wstring(stem) + counter + std::wstring(ext);
        case AutoRenameMode::prefix_numbered: return ToWide(options.customPrefix) + numbered(n);
        case AutoRenameMode::suffix_numbered:
            return std::wstring(stem) + ToWide(options.customSuffix) + L" (" + n + L")" + std::wstring(ext);
        default: return numbered(n);
    }
}

fs::path UniqueTargetPath(const fs::path& target, const AutoRenameOptions& options, const Clock& clock,
                          const std::function<bool(const fs::path&)>& alsoTaken) {
    const auto exists = [&](const fs::path& p) {
        if (alsoTaken && alsoTaken(p)) return true;
        std::error_code error;
        const bool found = TargetExists(p, error);
        if (error) throw fs::filesystem_error("exists", p, error);
        return found;
    };
    if (!exists(target)) return target;
    const fs::path parent = target.parent_path();
    const std::wstring name = target.filename().native();
    const FileNameParts parts = SplitFileName(name);
    for (int index = 1; index <= kMaxRenameCandidates; ++index) {
        const fs::path candidate = parent / CandidateName(parts.stem, parts.ext, index, options, clock);
        if (!exists(candidate)) return candidate;
    }
    return parent / (std::wstring(parts.stem) + L" (copy)" + std::wstring(parts.ext));
}

}  // namespace kw
