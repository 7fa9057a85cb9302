#include "ShellTestSupport.h"

#include <cstring>
#include <new>
#include <string>

namespace kw::test {

namespace {

constexpr wchar_t kClassName[] = L"KwShellTestWindow";

}  // namespace

TestWindow::TestWindow(Kind kind, RECT area) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassExW(&wc);  // already registered by an earlier window is fine
    if (kind == Kind::messageOnly) {
        window = CreateWindowExW(0, kClassName, L"shell test", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 wc.hInstance, this);
    } else {
        const DWORD style = kind == Kind::popup ? WS_POPUP | WS_VISIBLE : WS_POPUP;
        window = CreateWindowExW(WS_EX_TOPMOST, kClassName, L"shell test", style, area.left,
                                 area.top, area.right - area.left, area.bottom - area.top, nullptr, nullptr,
                                 wc.hInstance, this);
        if (window && kind == Kind::popup) UpdateWindow(window);
    }
}

TestWindow::~TestWindow() {
    if (window) DestroyWindow(window);
}

LRESULT CALLBACK TestWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TestWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && self->hook)
        if (const std::optional<LRESULT> result = self->hook(message, wParam, lParam)) return *result;
    if (self && message == WM_COMMAND) self->commands.push_back(LOWORD(wParam));
    return DefWindowProcW(window, message, wParam, lParam);
}

std::string DropFilesBytes(const std::vector<std::wstring>& names, POINT point) {
    DROPFILES header{};
    header.pFiles = sizeof header;
    header.pt = point;
    header.fWide = TRUE;
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
    for (const std::wstring& name : names)
        bytes.append(reinterpret_cast<const char*>(name.c_str()), (name.size() + 1) * sizeof(wchar_t));
    bytes.append(sizeof(wchar_t), '\0');
    return bytes;
}

std::string AnsiDropFilesBytes(const std::vector<std::string>& names) {
    DROPFILES header{};
    header.pFiles = sizeof header;
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
    for (const std::string& name : names) bytes.append(name.c_str(), name.size() + 1);
    bytes.push_back('\0');
    return bytes;
}

HGLOBAL GlobalFromBytes(const std::string& bytes) {
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!global) throw std::bad_alloc();
    std::memcpy(GlobalLock(global), bytes.data(), bytes.size());
    GlobalUnlock(global);
    return global;
}

namespace {

// Owns the memory handed out by one GetData and counts when the receiver releases it.
class MediumHolder final : public IUnknown {
public:
    MediumHolder(HGLOBAL global, int& released) : global(global), released(released) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs;
        if (left == 0) {
            GlobalFree(global);
            ++released;
            delete this;
        }
        return left;
    }

private:
    ULONG refs = 1;
    HGLOBAL global;
    int& released;
};

}  // namespace

HRESULT STDMETHODCALLTYPE TestDataObject::QueryInterface(REFIID riid, void** object) {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
        *object = static_cast<IDataObject*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TestDataObject::GetData(FORMATETC* wanted, STGMEDIUM* medium) {
    if (HRESULT hr = QueryGetData(wanted); hr != S_OK) return hr;
    ++getDataCalls;
    HGLOBAL global = GlobalFromBytes(bytes);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = global;
    medium->pUnkForRelease = new MediumHolder(global, released);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestDataObject::QueryGetData(FORMATETC* wanted) {
    if (wanted->cfFormat != format) return DV_E_FORMATETC;
    if (!(wanted->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
    return wanted->dwAspect == DVASPECT_CONTENT ? S_OK : DV_E_DVASPECT;
}

HRESULT STDMETHODCALLTYPE TestDataObject::SetData(FORMATETC* wanted, STGMEDIUM* medium, BOOL release) {
    if (!wanted || !medium || wanted->cfFormat != RegisterClipboardFormatW(CFSTR_DROPDESCRIPTION) ||
        medium->tymed != TYMED_HGLOBAL)
        return E_NOTIMPL;
    if (const auto* d = static_cast<const DROPDESCRIPTION*>(GlobalLock(medium->hGlobal))) {
        std::wstring text = d->szMessage;
        if (const size_t at = text.find(L"%1"); at != std::wstring::npos) text.replace(at, 2, d->szInsert);
        descriptions.emplace_back(d->type, text);
        GlobalUnlock(medium->hGlobal);
    }
    if (release) ReleaseStgMedium(medium);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    FORMATETC offered{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return SHCreateStdEnumFmtEtc(1, &offered, out);
}

DesktopLock::DesktopLock(const wchar_t* name)
    : mutex(CreateMutexW(nullptr, FALSE, (std::wstring(L"Local\\KwShellTest.") + name).c_str())) {
    // An abandoned lock (a test that crashed) is taken over like a released one.
    if (mutex) WaitForSingleObject(mutex, 60000);
}

DesktopLock::~DesktopLock() {
    if (!mutex) return;
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace kw::test
