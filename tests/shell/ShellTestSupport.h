#pragma once
// What shell tests share: windows that record the commands they receive, drag sources and
// file lists as the shell makes them, and locks on state that every program on the desktop shares.

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kw::test {

// A message-only window (works without a display), or a hidden or visible top-level popup
// (both need one).
class TestWindow {
public:
    enum class Kind { messageOnly, hidden, popup };
    // A popup covers `area` in screen coordinates.
    explicit TestWindow(Kind kind, RECT area = {100, 100, 300, 300});
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    // Null when the window could not be created (a popup without a display).
    HWND Handle() const { return window; }
    // WM_COMMAND identifiers in the order they arrived since the last call.
    std::vector<UINT> TakeCommands() { return std::exchange(commands, {}); }
    // Sees every message first; a result ends its handling there.
    using Hook = std::function<std::optional<LRESULT>(UINT, WPARAM, LPARAM)>;
    void SetHook(Hook hook) { this->hook = std::move(hook); }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window = nullptr;
    std::vector<UINT> commands;
    Hook hook;
};

// A DROPFILES block as drag sources build it: header, NUL-terminated names, a final NUL. The
// header's point is in client coordinates of the window dropped on.
std::string DropFilesBytes(const std::vector<std::wstring>& names, POINT point = {0, 0});
std::string AnsiDropFilesBytes(const std::vector<std::string>& names);
// Movable global memory holding the bytes (an HDROP when they are a DROPFILES block).
HGLOBAL GlobalFromBytes(const std::string& bytes);

struct GlobalFreer {
    void operator()(void* global) const { GlobalFree(global); }
};
using UniqueGlobal = std::unique_ptr<void, GlobalFreer>;

// A drag source's data object offering one format in an HGLOBAL. Lives on the test's stack.
class TestDataObject final : public IDataObject {
public:
    TestDataObject(CLIPFORMAT format, std::string bytes) : format(format), bytes(std::move(bytes)) {}
    static TestDataObject Files(const std::vector<std::wstring>& names) { return {CF_HDROP, DropFilesBytes(names)}; }
    static TestDataObject Text(const char* text) { return {CF_TEXT, std::string(text) + '\0'}; }

    int getDataCalls = 0;
    int released = 0;  // media the receiver gave back
    // The drop descriptions a target set, in order: the image type and the message with its insert.
    std::vector<std::pair<int, std::wstring>> descriptions;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* wanted, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* wanted) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    // Takes drop descriptions, as the shell's data objects do; nothing else.
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    CLIPFORMAT format;
    std::string bytes;
};

// Lets the drag run for a few polls over `point`, then drops, as a user releasing the button.
// The pointer is put back on every poll: other tests on the display may move it.
class TestDropSource final : public IDropSource {
public:
    explicit TestDropSource(POINT point) : point(point) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropSource)) {
            *object = static_cast<IDropSource*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override {
        SetCursorPos(point.x, point.y);
        return ++polls < 4 ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    POINT point;
    int polls = 0;
};

// OLE for the tests that use the shell's own data objects and OLE's drag loop.
class OleSession {
public:
    OleSession() : ok(SUCCEEDED(OleInitialize(nullptr))) {}
    ~OleSession() {
        if (ok) OleUninitialize();
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
    const bool ok;
};

// Serialises tests on state shared by every program on the desktop (the mouse pointer and
// menu mode, a registry value), since test programs run side by side.
class DesktopLock {
public:
    explicit DesktopLock(const wchar_t* name);  // waits up to a minute for other holders
    ~DesktopLock();
    DesktopLock(const DesktopLock&) = delete;
    DesktopLock& operator=(const DesktopLock&) = delete;

private:
    HANDLE mutex;
};

// Dispatches whatever is queued for this thread.
void PumpMessages();

}  // namespace kw::test
