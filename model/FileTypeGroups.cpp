#include "model/FileTypeGroups.h"

#include <array>

namespace kw {

namespace {

constexpr std::array kGroups = {
    FileTypeGroup{"Documents", ".pdf, .doc, .docx, .odt, .rtf, .txt, .md, .xls, .xlsx, .ods, .csv, .ppt, .pptx, .odp, .epub"},
    FileTypeGroup{"Pictures", ".jpg, .jpeg, .png, .gif, .bmp, .tif, .tiff, .webp, .heic, .svg, .raw, .cr2, .nef, .dng"},
    FileTypeGroup{"Videos", ".mp4, .mkv, .avi, .mov, .wmv, .webm, .m4v, .mpg, .mpeg, .3gp"},
    FileTypeGroup{"Music", ".mp3, .flac, .wav, .m4a, .aac, .ogg, .opus, .wma, .aiff"},
    FileTypeGroup{"Archives", ".zip, .7z, .rar, .tar, .gz, .tgz, .bz2, .xz, .cab, .iso"},
    FileTypeGroup{"Installers", ".exe, .msi, .msix, .msixbundle, .appx, .appxbundle"},
};

wchar_t Lower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; }

// Whether the comma-separated list holds ".ext" (ext given without its dot, any case).
bool ListHolds(std::string_view list, std::wstring_view ext) {
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string_view::npos) end = list.size();
        std::string_view item = list.substr(start, end - start);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        if (!item.empty() && item.front() == '.') item.remove_prefix(1);
        bool same = item.size() == ext.size();
        for (size_t i = 0; same && i < item.size(); ++i) same = static_cast<wchar_t>(item[i]) == Lower(ext[i]);
        if (same) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

std::span<const FileTypeGroup> FileTypeGroups() { return kGroups; }

const FileTypeGroup* FileTypeGroupOf(std::wstring_view extension) {
    if (!extension.empty() && extension.front() == L'.') extension.remove_prefix(1);
    if (extension.empty()) return nullptr;
    for (const FileTypeGroup& group : kGroups)
        if (ListHolds(group.extensions, extension)) return &group;
    return nullptr;
}

}  // namespace kw
