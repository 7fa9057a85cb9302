#include "shell/RecycleBinRestore.h"

#include <windows.h>
#include <oleauto.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <optional>

namespace kw {

using Microsoft::WRL::ComPtr;

namespace {

// The Recycle Bin's "deleted from" (original folder) and "date deleted" columns.
constexpr GUID kFmtidDisplaced = {0x9B174B33, 0x40FF, 0x11D2, {0xA2, 0x7E, 0x00, 0xC0, 0x4F, 0xC3, 0x08, 0x71}};
constexpr DWORD kPidDisplacedFrom = 2, kPidDisplacedDate = 3;
constexpr DWORD kPidStorageName = 10;  // FMTID_Storage: the item's own (original) name

// COM for this thread, for the length of one call: the shell's folders need an apartment.
class ComScope {
public:
    ComScope() : hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComScope() {
        if (SUCCEEDED(hr)) CoUninitialize();  // S_FALSE too: every successful call is balanced
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT hr;
};

struct ChildFree {
    void operator()(ITEMID_CHILD* child) const { CoTaskMemFree(child); }
};
struct AbsoluteFree {
    void operator()(ITEMIDLIST_ABSOLUTE* list) const { CoTaskMemFree(list); }
};

std::optional<std::wstring> Text(IShellFolder2* folder, PCUITEMID_CHILD child, const GUID& fmtid, DWORD pid) {
    SHCOLUMNID column{fmtid, pid};
    VARIANT v;
    VariantInit(&v);
    if (FAILED(folder->GetDetailsEx(child, &column, &v))) return std::nullopt;
    std::optional<std::wstring> text;
    if (v.vt == VT_BSTR && v.bstrVal) text = std::wstring(v.bstrVal, SysStringLen(v.bstrVal));
    VariantClear(&v);
    return text;
}

std::optional<uint64_t> DeletedAt(IShellFolder2* folder, PCUITEMID_CHILD child) {
    SHCOLUMNID column{kFmtidDisplaced, kPidDisplacedDate};
    VARIANT v;
    VariantInit(&v);
    if (FAILED(folder->GetDetailsEx(child, &column, &v))) return std::nullopt;
    std::optional<uint64_t> ticks;
    SYSTEMTIME local{}, utc{};
    FILETIME time{};
    // VT_DATE in local time, as the column shows it.
    if (v.vt == VT_DATE && VariantTimeToSystemTime(v.date, &local) && TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) &&
        SystemTimeToFileTime(&utc, &time))
        ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    VariantClear(&v);
    return ticks;
}

bool SameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

}  // namespace

bool RestoreFromRecycleBin(const std::filesystem::path& original, uint64_t deletedAfter) {
    const ComScope com;
    ITEMIDLIST_ABSOLUTE* rawBin = nullptr;
    if (FAILED(SHGetKnownFolderIDList(FOLDERID_RecycleBinFolder, 0, nullptr, &rawBin)) || !rawBin) return false;
    const std::unique_ptr<ITEMIDLIST_ABSOLUTE, AbsoluteFree> bin(rawBin);
    ComPtr<IShellFolder2> folder;
    if (FAILED(SHBindToObject(nullptr, bin.get(), nullptr, IID_PPV_ARGS(&folder)))) return false;
    ComPtr<IEnumIDList> items;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &items) != S_OK)
        return false;
    const std::wstring wantFolder = original.parent_path().native(), wantName = original.filename().native();
    // The newest item deleted from that very path since the batch began.
    std::unique_ptr<ITEMID_CHILD, ChildFree> best;
    uint64_t bestTime = 0;
    ITEMID_CHILD* raw = nullptr;
    while (items->Next(1, &raw, nullptr) == S_OK) {
        std::unique_ptr<ITEMID_CHILD, ChildFree> child(raw);
        const auto from = Text(folder.Get(), child.get(), kFmtidDisplaced, kPidDisplacedFrom);
        const auto name = Text(folder.Get(), child.get(), FMTID_Storage, kPidStorageName);
        const auto when = DeletedAt(folder.Get(), child.get());
        if (!from || !name || !when || *when < deletedAfter || *when < bestTime) continue;
        if (!SameText(*from, wantFolder) || !SameText(*name, wantName)) continue;
        bestTime = *when;
        best = std::move(child);
    }
    if (!best) return false;
    ComPtr<IContextMenu> menu;
    PCUITEMID_CHILD one = best.get();
    if (FAILED(folder->GetUIObjectOf(nullptr, 1, &one, IID_IContextMenu, nullptr, &menu))) return false;
    CMINVOKECOMMANDINFO invoke{};
    invoke.cbSize = sizeof invoke;
    invoke.fMask = CMIC_MASK_FLAG_NO_UI;
    invoke.lpVerb = "undelete";  // the Recycle Bin's Restore
    invoke.nShow = SW_SHOWNORMAL;
    if (FAILED(menu->InvokeCommand(&invoke))) return false;
    return GetFileAttributesW(original.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace kw
