#include "shell/RecycleBinRestore.h"

#include <windows.h>
#include <oleauto.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <optional>
#include <vector>

#include "history/RecycleBinMatch.h"
#include "model/ExtendedPath.h"
#include "routing/ComApartment.h"

namespace kw {

using Microsoft::WRL::ComPtr;

namespace {

// The Recycle Bin folder's own columns, read with IShellFolder2::GetDetailsEx by FMTID and PID:
// SCID_ORIGINAL_LOCATION (FMTID_Displaced, PID_DISPLACED_FROM: the folder the item was deleted
// from, as text) and SCID_DATE_DELETED (PID_DISPLACED_DATE: a VT_DATE in local time, as the
// column shows it).
constexpr GUID kFmtidDisplaced = {0x9B174B33, 0x40FF, 0x11D2, {0xA2, 0x7E, 0x00, 0xC0, 0x4F, 0xC3, 0x08, 0x71}};
constexpr DWORD kPidDisplacedFrom = 2, kPidDisplacedDate = 3;
// PKEY_FileName (System.FileName): "the file name, including its extension" (Microsoft's
// property documentation). The Name column (PKEY_ItemNameDisplay, what SHGDN_NORMAL gives) is
// what Explorer shows, and drops the extension under the default "hide extensions for known
// file types": it cannot tell "report.txt" from "report.pdf" deleted from the same folder.
// Whether the bin answers System.FileName with the original name or with its stored file's
// ("$R..."), only Windows shows; OriginalBinName takes either, and the shown name with the
// stored file's extension when there is no other.
constexpr GUID kFmtidFileName = {0x41CF5AE0, 0xF75A, 0x4806, {0xBD, 0x87, 0x59, 0xC7, 0xD9, 0x24, 0x8E, 0xB9}};
constexpr DWORD kPidFileName = 100;
// PKEY_Size (System.Size, FMTID_Storage / PID_STG_SIZE), the bin's Size column: GetDetailsEx
// gives a property in its legacyType (VT_UI8 here, per its documentation); read through
// VariantChangeType all the same. Not compared for folders.
constexpr DWORD kPidSize = 12;

struct ChildFree {
    void operator()(ITEMID_CHILD* child) const { CoTaskMemFree(child); }
};
using UniqueChild = std::unique_ptr<ITEMID_CHILD, ChildFree>;
struct AbsoluteFree {
    void operator()(ITEMIDLIST_ABSOLUTE* list) const { CoTaskMemFree(list); }
};

// A detail as a VARIANT, cleared when it goes.
class Detail {
public:
    Detail(IShellFolder2* folder, PCUITEMID_CHILD child, const GUID& fmtid, DWORD pid) {
        VariantInit(&v);
        const SHCOLUMNID column{fmtid, pid};
        ok = SUCCEEDED(folder->GetDetailsEx(child, &column, &v));
    }
    ~Detail() { VariantClear(&v); }
    Detail(const Detail&) = delete;
    Detail& operator=(const Detail&) = delete;

    std::optional<std::wstring> Text() const {
        if (!ok || v.vt != VT_BSTR || !v.bstrVal) return std::nullopt;
        return std::wstring(v.bstrVal, SysStringLen(v.bstrVal));
    }
    std::optional<uint64_t> Number() const {
        VARIANT n;
        VariantInit(&n);
        if (!ok || FAILED(VariantChangeType(&n, &v, 0, VT_UI8))) return std::nullopt;
        return n.ullVal;
    }
    // A local VT_DATE as UTC file-time ticks.
    std::optional<uint64_t> Time() const {
        SYSTEMTIME local{}, utc{};
        FILETIME time{};
        if (!ok || v.vt != VT_DATE || !VariantTimeToSystemTime(v.date, &local) ||
            !TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &time))
            return std::nullopt;
        return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    }

private:
    mutable VARIANT v;  // VariantChangeType reads it through a non-const pointer
    bool ok = false;
};

// GetDisplayNameOf as text: StrRetToStrW takes over the STRRET and hands back a string allocated
// with CoTaskMemAlloc, freed here with CoTaskMemFree (both per Microsoft's documentation).
std::wstring NameOf(IShellFolder2* folder, PCUITEMID_CHILD child, SHGDNF flags) {
    STRRET name{};
    if (FAILED(folder->GetDisplayNameOf(child, flags, &name))) return {};
    PWSTR text = nullptr;
    if (FAILED(StrRetToStrW(&name, child, &text)) || !text) return {};
    std::wstring result(text);
    CoTaskMemFree(text);
    return result;
}

}  // namespace

struct RecycleBinIndex::Listing {
    ComApartment com;  // first in, last out: every COM object below goes before the apartment
    ComPtr<IShellFolder2> folder;
    std::vector<UniqueChild> children;
    std::vector<BinRecord> records;
    std::vector<bool> taken;
};

RecycleBinIndex::RecycleBinIndex() = default;
RecycleBinIndex::~RecycleBinIndex() = default;

bool RecycleBinIndex::Restore(const UndoStep& step) {
    if (!listed) {
        listed = true;
        auto list = std::make_unique<Listing>();
        ITEMIDLIST_ABSOLUTE* rawBin = nullptr;
        if (FAILED(SHGetKnownFolderIDList(FOLDERID_RecycleBinFolder, 0, nullptr, &rawBin)) || !rawBin) return false;
        const std::unique_ptr<ITEMIDLIST_ABSOLUTE, AbsoluteFree> bin(rawBin);
        if (FAILED(SHBindToObject(nullptr, bin.get(), nullptr, IID_PPV_ARGS(&list->folder)))) return false;
        ComPtr<IEnumIDList> items;
        if (list->folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &items) != S_OK)
            return false;
        ITEMID_CHILD* raw = nullptr;
        while (items->Next(1, &raw, nullptr) == S_OK) {
            UniqueChild child(raw);
            IShellFolder2* f = list->folder.Get();
            const auto from = Detail(f, child.get(), kFmtidDisplaced, kPidDisplacedFrom).Text();
            const auto when = Detail(f, child.get(), kFmtidDisplaced, kPidDisplacedDate).Time();
            const std::wstring name =
                OriginalBinName(Detail(f, child.get(), kFmtidFileName, kPidFileName).Text().value_or(L""),
                                NameOf(f, child.get(), SHGDN_INFOLDER),
                                NameOf(f, child.get(), SHGDN_INFOLDER | SHGDN_FORPARSING));
            if (!from || name.empty() || !when) continue;  // cannot be told apart from another: never restored
            list->records.push_back({name, *from, Detail(f, child.get(), FMTID_Storage, kPidSize).Number(), *when});
            list->children.push_back(std::move(child));
        }
        list->taken.assign(list->records.size(), false);
        listing = std::move(list);
    }
    if (!listing) return false;
    // The bin records the path as the shell was given it: the plain form.
    const std::filesystem::path original = PlainPath(step.to);
    const std::optional<size_t> found = PickBinRecord(
        listing->records, {original.filename().native(), original.parent_path().native(), step.bytes, step.deletedAfter},
        listing->taken);
    if (!found) return false;
    listing->taken[*found] = true;  // restored or not, never offered to another item of this undo
    ComPtr<IContextMenu> menu;
    PCUITEMID_CHILD one = listing->children[*found].get();
    if (FAILED(listing->folder->GetUIObjectOf(nullptr, 1, &one, IID_IContextMenu, nullptr, &menu))) return false;
    CMINVOKECOMMANDINFO invoke{};
    invoke.cbSize = sizeof invoke;
    invoke.fMask = CMIC_MASK_FLAG_NO_UI;
    invoke.lpVerb = "undelete";  // the Recycle Bin's Restore
    invoke.nShow = SW_SHOWNORMAL;
    if (FAILED(menu->InvokeCommand(&invoke))) return false;
    return GetFileAttributesW(ExtendedPath(step.to).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace kw
