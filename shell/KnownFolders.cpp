#include "shell/KnownFolders.h"

#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include <memory>

#include "model/TextEncoding.h"

namespace kw {
namespace {

struct TaskMemFree {
    void operator()(wchar_t* text) const { CoTaskMemFree(text); }
};

std::string KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* raw = nullptr;
    const HRESULT result = SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &raw);
    // The buffer is the caller's to free with CoTaskMemFree whether the call succeeds or not.
    const std::unique_ptr<wchar_t, TaskMemFree> path(raw);
    if (FAILED(result) || !path) return {};
    return ToUtf8(path.get());
}

}  // namespace

UserFolders UserKnownFolders() {
    UserFolders folders;
    folders.profile = KnownFolder(FOLDERID_Profile);
    folders.documents = KnownFolder(FOLDERID_Documents);
    folders.pictures = KnownFolder(FOLDERID_Pictures);
    folders.videos = KnownFolder(FOLDERID_Videos);
    folders.music = KnownFolder(FOLDERID_Music);
    folders.downloads = KnownFolder(FOLDERID_Downloads);
    return folders;
}

}  // namespace kw
