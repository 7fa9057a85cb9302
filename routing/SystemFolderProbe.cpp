#include "routing/SystemFolderProbe.h"

#include "model/PortablePath.h"

#include <windows.h>

#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cwctype>

#include "model/AppFolder.h"
#include "model/ExtendedPath.h"
#include "model/PathKind.h"
#include "model/TextEncoding.h"

namespace kw {
namespace {

std::string KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    const HRESULT result = SHGetKnownFolderPath(id, 0, nullptr, &path);
    std::string text = SUCCEEDED(result) && path ? ToUtf8(path) : std::string();
    CoTaskMemFree(path);  // owed whether the call succeeded or not
    return text;
}

// Critical-error boxes off for this thread while `work` runs: asked about a drive without its
// medium (an empty card reader), Windows would otherwise ask the user to insert a disk.
template <typename Work>
auto WithoutErrorBoxes(Work work) {
    DWORD previous = 0;
    const bool changed = SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous) != FALSE;
    auto result = work();
    if (changed) SetThreadErrorMode(previous, nullptr);
    return result;
}

FolderState StateOf(const std::string& utf8) {
    const std::filesystem::path path = PlainPath(PathFromUtf8(utf8));
    const std::wstring drive = path.root_name().native();
    if (drive.size() != 2 || drive[1] != L':' || !std::iswalpha(static_cast<wint_t>(drive[0])))
        return FolderState::unknown;  // a share, a volume name or a relative path
    const std::wstring root = drive + L"\\";  // the trailing backslash is required
    const UINT type = GetDriveTypeW(root.c_str());
    if (type == DRIVE_NO_ROOT_DIR) return FolderState::no_drive;
    if (type == DRIVE_REMOTE) return FolderState::unknown;
    return WithoutErrorBoxes([&] {
        const std::wstring literal = ExtendedPath(path);
        const DWORD attributes = GetFileAttributesW(literal.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            switch (GetLastError()) {
                case ERROR_FILE_NOT_FOUND:
                case ERROR_PATH_NOT_FOUND: return FolderState::missing;
                case ERROR_NOT_READY: return FolderState::no_drive;
                default: return FolderState::unknown;  // access denied and the like: moves will say
            }
        }
        // A link's own attributes say little: what counts is what it leads to.
        const PathKind kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? KindOf(path)
                              : (attributes & FILE_ATTRIBUTE_DIRECTORY)  ? PathKind::folder
                                                                         : PathKind::file;
        return kind == PathKind::folder ? FolderState::folder
               : kind == PathKind::file ? FolderState::file
                                        : FolderState::missing;
    });
}

}  // namespace

FolderProbe SystemFolderProbe() {
    FolderProbe probe;
    probe.stateOf = StateOf;
    for (const KNOWNFOLDERID* id : {&FOLDERID_Windows, &FOLDERID_System, &FOLDERID_ProgramFiles, &FOLDERID_ProgramFilesX86}) {
        std::string folder = KnownFolder(*id);
        if (!folder.empty() &&
            std::find(probe.systemFolders.begin(), probe.systemFolders.end(), folder) == probe.systemFolders.end())
            probe.systemFolders.push_back(std::move(folder));
    }
    probe.appFolder = PathToUtf8(AppFolder());
    probe.resolve = [context = SystemPathContext()](const std::string& typed) { return ResolvedFolder(typed, context); };
    return probe;
}

}  // namespace kw
