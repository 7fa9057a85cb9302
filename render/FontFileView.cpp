#include "render/FontFileView.h"

#include "model/ExtendedPath.h"

namespace kw {
namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const {
        if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

}  // namespace

std::shared_ptr<const FontFileView> FontFileView::Open(const std::wstring& path) {
    // Fonts are opened shared for reading and deleting, as the system's font cache opens them:
    // a font being uninstalled while mapped here stays readable until the view goes.
    OwnedHandle file(CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER length{};
    // CreateFileMapping refuses a file of zero bytes (ERROR_FILE_INVALID).
    if (!GetFileSizeEx(file.get(), &length) || length.QuadPart <= 0) return nullptr;
    OwnedHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return nullptr;
    // The view keeps the mapping (and the file) alive by itself once both handles are closed.
    const void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
    if (!view) return nullptr;
    std::shared_ptr<FontFileView> opened(new FontFileView());
    opened->data = static_cast<const unsigned char*>(view);
    opened->size = static_cast<size_t>(length.QuadPart);
    return opened;
}

FontFileView::~FontFileView() {
    if (data) UnmapViewOfFile(data);
}

}  // namespace kw
