#pragma once
// A font file mapped read-only into memory: only the pages of the tables and glyphs a build
// reads are ever loaded, so a 20 MB collection of CJK faces costs what its used glyphs cost,
// and the pages are the system's file cache, shared with every program that draws that font.

#include <windows.h>

#include <memory>
#include <string>

namespace kw {

class FontFileView {
public:
    // Null when the file cannot be opened or mapped (gone, locked, empty).
    static std::shared_ptr<const FontFileView> Open(const std::wstring& path);
    ~FontFileView();
    FontFileView(const FontFileView&) = delete;
    FontFileView& operator=(const FontFileView&) = delete;

    const unsigned char* Data() const { return data; }
    size_t Size() const { return size; }

private:
    FontFileView() = default;
    const unsigned char* data = nullptr;
    size_t size = 0;
};

}  // namespace kw
