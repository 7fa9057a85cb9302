#include "ui/FileDialogs.h"

#include <commdlg.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include "model/TextEncoding.h"

namespace kw {

using Microsoft::WRL::ComPtr;

namespace {

// Frees a shell-allocated string when it goes out of scope.
struct CoTaskString {
    PWSTR text = nullptr;
    ~CoTaskString() { CoTaskMemFree(text); }
};

}  // namespace

std::string PickFolder(HWND owner, const std::string& current) {
    ComPtr<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog))))
        return current;
    FILEOPENDIALOGOPTIONS options = 0;
    if (SUCCEEDED(dialog->GetOptions(&options))) dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM);
    if (!current.empty()) {
        ComPtr<IShellItem> start;
        if (SUCCEEDED(SHCreateItemFromParsingName(ToWide(current).c_str(), nullptr, IID_PPV_ARGS(&start))))
            dialog->SetFolder(start.Get());
    }
    if (FAILED(dialog->Show(owner))) return current;
    ComPtr<IShellItem> result;
    if (FAILED(dialog->GetResult(&result))) return current;
    CoTaskString name;
    if (FAILED(result->GetDisplayName(SIGDN_FILESYSPATH, &name.text)) || !name.text) return current;
    return ToUtf8(name.text);
}

std::string ChooseBackupFile(HWND owner, bool save) {
    wchar_t file[260] = {};
    if (save) wcscpy_s(file, L"KestraneFileweir-backup.json");
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = L"Fileweir settings (*.json)\0*.json\0All files\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = 260;
    ofn.lpstrDefExt = L"json";
    ofn.Flags = save ? (OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST) : (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    return chosen ? ToUtf8(file) : std::string();
}

}  // namespace kw
