#include "render/SystemFontFinder.h"

#include <windows.h>
#include <dwrite.h>
#include <dwrite_2.h>
#include <wrl/client.h>

#include <algorithm>
#include <initializer_list>

namespace kw {
namespace {
using Microsoft::WRL::ComPtr;

// The text MapCharacters looks at: the characters in one string, read left to right, in the
// user's locale. DirectWrite asks for it through this interface only while the call runs, so it
// lives on the caller's stack and its reference count is never what frees it.
class CharacterSource final : public IDWriteTextAnalysisSource {
public:
    CharacterSource(const std::wstring& text, const std::wstring& locale) : text(text), locale(locale) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (id == __uuidof(IUnknown) || id == __uuidof(IDWriteTextAnalysisSource)) {
            *object = static_cast<IDWriteTextAnalysisSource*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetTextAtPosition(UINT32 position, const WCHAR** textString,
                                                UINT32* textLength) override {
        if (position >= text.size()) {
            *textString = nullptr;
            *textLength = 0;
        } else {
            *textString = text.data() + position;
            *textLength = static_cast<UINT32>(text.size() - position);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTextBeforePosition(UINT32 position, const WCHAR** textString,
                                                    UINT32* textLength) override {
        if (position == 0 || position > text.size()) {
            *textString = nullptr;
            *textLength = 0;
        } else {
            *textString = text.data();
            *textLength = position;
        }
        return S_OK;
    }
    DWRITE_READING_DIRECTION STDMETHODCALLTYPE GetParagraphReadingDirection() override {
        return DWRITE_READING_DIRECTION_LEFT_TO_RIGHT;
    }
    HRESULT STDMETHODCALLTYPE GetLocaleName(UINT32 position, UINT32* textLength, const WCHAR** localeName) override {
        *textLength = position < text.size() ? static_cast<UINT32>(text.size() - position) : 0;
        *localeName = locale.c_str();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetNumberSubstitution(UINT32 position, UINT32* textLength,
                                                    IDWriteNumberSubstitution** substitution) override {
        *textLength = position < text.size() ? static_cast<UINT32>(text.size() - position) : 0;
        *substitution = nullptr;
        return S_OK;
    }

private:
    const std::wstring& text;
    const std::wstring& locale;
};

void AppendUtf16(std::wstring& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<wchar_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
    }
}

bool LocaleIs(const std::wstring& locale, const wchar_t* prefix) {
    return _wcsnicmp(locale.c_str(), prefix, wcslen(prefix)) == 0;
}

bool InRange(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

// The fonts Windows 10 and 11 install everywhere, by script, in the order Windows' own
// fallback prefers them. Asked only where DirectWrite's fallback is missing or names a font
// that does not have the character.
std::vector<const wchar_t*> TableFamilies(char32_t c, const std::wstring& locale) {
    const bool hangul = InRange(c, 0x1100, 0x11FF) || InRange(c, 0x3130, 0x318F) || InRange(c, 0xAC00, 0xD7AF);
    const bool han = InRange(c, 0x2E80, 0x9FFF) || InRange(c, 0xF900, 0xFAFF) || InRange(c, 0xFE30, 0xFE4F) ||
                     InRange(c, 0xFF00, 0xFFEF) || InRange(c, 0x20000, 0x3FFFF);
    if (hangul) return {L"Malgun Gothic", L"Gulim"};
    if (han) {
        if (LocaleIs(locale, L"ja")) return {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic", L"Microsoft YaHei UI"};
        if (LocaleIs(locale, L"ko")) return {L"Malgun Gothic", L"Microsoft YaHei UI", L"Yu Gothic UI"};
        if (LocaleIs(locale, L"zh-TW") || LocaleIs(locale, L"zh-HK") || LocaleIs(locale, L"zh-MO") ||
            LocaleIs(locale, L"zh-Hant"))
            return {L"Microsoft JhengHei UI", L"Microsoft YaHei UI", L"Yu Gothic UI"};
        return {L"Microsoft YaHei UI", L"Yu Gothic UI", L"Microsoft JhengHei UI", L"Malgun Gothic"};
    }
    if (InRange(c, 0x0E00, 0x0EFF)) return {L"Leelawadee UI", L"Tahoma"};             // Thai, Lao
    if (InRange(c, 0x0900, 0x0DFF)) return {L"Nirmala UI"};                           // Indic scripts
    if (InRange(c, 0x1F000, 0x1FAFF) || InRange(c, 0x2600, 0x27BF) || InRange(c, 0x2B00, 0x2BFF))
        return {L"Segoe UI Emoji", L"Segoe UI Symbol"};
    return {L"Segoe UI", L"Segoe UI Symbol", L"Arial", L"Tahoma"};
}

}  // namespace

struct SystemFontFinder::DirectWrite {
    ComPtr<IDWriteFactory> factory;
    ComPtr<IDWriteFontCollection> fonts;
    ComPtr<IDWriteFontFallback> fallback;  // null before Windows 8.1

    // The file and face index of `font`; false for a font that is not a local file (one
    // streamed by a custom loader, which ImGui could not read).
    static bool FaceFile(IDWriteFont* font, FontFaceFile& out) {
        ComPtr<IDWriteFontFace> face;
        if (FAILED(font->CreateFontFace(&face))) return false;
        UINT32 count = 0;
        if (FAILED(face->GetFiles(&count, nullptr)) || count != 1) return false;
        ComPtr<IDWriteFontFile> file;
        if (FAILED(face->GetFiles(&count, &file))) return false;
        const void* key = nullptr;
        UINT32 keySize = 0;
        ComPtr<IDWriteFontFileLoader> loader;
        ComPtr<IDWriteLocalFontFileLoader> local;
        if (FAILED(file->GetReferenceKey(&key, &keySize)) || FAILED(file->GetLoader(&loader)) ||
            FAILED(loader.As(&local)))
            return false;
        UINT32 length = 0;
        if (FAILED(local->GetFilePathLengthFromKey(key, keySize, &length))) return false;
        std::wstring path(length + 1, L'\0');
        if (FAILED(local->GetFilePathFromKey(key, keySize, path.data(), length + 1))) return false;
        path.resize(length);
        out = {std::move(path), static_cast<int>(face->GetIndex())};
        return true;
    }

    static bool Has(IDWriteFont* font, char32_t c) {
        BOOL exists = FALSE;
        return SUCCEEDED(font->HasCharacter(static_cast<UINT32>(c), &exists)) && exists;
    }

    ComPtr<IDWriteFont> FromTable(char32_t c, const std::wstring& locale) const {
        for (const wchar_t* name : TableFamilies(c, locale)) {
            UINT32 index = 0;
            BOOL exists = FALSE;
            ComPtr<IDWriteFontFamily> family;
            ComPtr<IDWriteFont> font;
            if (FAILED(fonts->FindFamilyName(name, &index, &exists)) || !exists) continue;
            if (FAILED(fonts->GetFontFamily(index, &family))) continue;
            if (FAILED(family->GetFirstMatchingFont(DWRITE_FONT_WEIGHT_NORMAL, DWRITE_FONT_STRETCH_NORMAL,
                                                    DWRITE_FONT_STYLE_NORMAL, &font)))
                continue;
            if (Has(font.Get(), c)) return font;
        }
        return nullptr;
    }
};

SystemFontFinder::SystemFontFinder(std::wstring wantedLocale) : locale(std::move(wantedLocale)) {
    if (locale.empty()) {
        wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
        locale = GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) > 0 ? name : L"en-US";
    }
    auto made = std::make_unique<DirectWrite>();
    // A shared factory: DirectWrite documents it as safe to use from any thread, and it shares
    // the system font cache with every other program instead of building one of its own.
    if (FAILED(DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                   reinterpret_cast<IUnknown**>(made->factory.GetAddressOf()))))
        return;
    if (FAILED(made->factory->GetSystemFontCollection(&made->fonts, FALSE))) return;
    ComPtr<IDWriteFactory2> factory2;
    if (SUCCEEDED(made->factory.As(&factory2))) factory2->GetSystemFontFallback(&made->fallback);
    dwrite = std::move(made);
}

SystemFontFinder::~SystemFontFinder() = default;

bool SystemFontFinder::Available() const { return dwrite != nullptr; }

std::vector<FaceCharacters> SystemFontFinder::Find(const std::vector<char32_t>& characters) {
    std::vector<FaceCharacters> found;
    if (!dwrite) return found;
    const auto add = [&](IDWriteFont* font, char32_t c) {
        FontFaceFile face;
        if (!DirectWrite::FaceFile(font, face)) return;
        auto it = std::find_if(found.begin(), found.end(), [&](const FaceCharacters& f) { return f.face == face; });
        if (it == found.end()) it = found.insert(found.end(), FaceCharacters{std::move(face), {}});
        it->characters.push_back(c);
    };

    std::vector<char32_t> unplaced;
    if (dwrite->fallback) {
        // One call per character: each is placed on its own, as a name holding it alone would
        // be, and the face chosen is checked to have it.
        std::wstring text;
        for (char32_t c : characters) {
            text.clear();
            AppendUtf16(text, c);
            CharacterSource source(text, locale);
            UINT32 mappedLength = 0;
            ComPtr<IDWriteFont> font;
            FLOAT scale = 1.0f;
            const HRESULT mapped = dwrite->fallback->MapCharacters(
                &source, 0, static_cast<UINT32>(text.size()), dwrite->fonts.Get(), nullptr,
                DWRITE_FONT_WEIGHT_NORMAL, DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL, &mappedLength,
                &font, &scale);
            if (SUCCEEDED(mapped) && font && DirectWrite::Has(font.Get(), c)) add(font.Get(), c);
            else unplaced.push_back(c);
        }
    } else {
        unplaced = characters;
    }
    for (char32_t c : unplaced)
        if (ComPtr<IDWriteFont> font = dwrite->FromTable(c, locale)) add(font.Get(), c);
    for (FaceCharacters& f : found) std::sort(f.characters.begin(), f.characters.end());
    return found;
}

}  // namespace kw
