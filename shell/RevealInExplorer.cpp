#include "shell/RevealInExplorer.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>

namespace kw {

namespace {

struct IdListFree {
    void operator()(PIDLIST_ABSOLUTE list) const { ILFree(list); }
};

}  // namespace

bool RevealInExplorer(const std::filesystem::path& item) {
    // Called on the UI thread, whose apartment is initialised as SHOpenFolderAndSelectItems
    // requires. The shell parses display names, not the \\?\ form: a plain path is given.
    PIDLIST_ABSOLUTE raw = nullptr;
    if (FAILED(SHParseDisplayName(item.c_str(), nullptr, &raw, 0, nullptr)) || !raw) return false;
    const std::unique_ptr<ITEMIDLIST, IdListFree> list(raw);
    // With no children given, the folder of `list` opens with `list` itself selected.
    return SUCCEEDED(SHOpenFolderAndSelectItems(list.get(), 0, nullptr, 0));
}

}  // namespace kw
