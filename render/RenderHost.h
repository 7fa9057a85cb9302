#pragma once
// The Direct3D 11 device and swap chain of the main window and the process's one Dear ImGui
// context (Win32 + DirectX 11 backends), the embedded font and the two themes.

#include <windows.h>
#include <d3d11.h>
#include <wrl/client.h>

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "render/GlyphSupply.h"

namespace kw {

class RenderHost {
public:
    RenderHost() = default;
    ~RenderHost();  // Shutdown
    RenderHost(const RenderHost&) = delete;
    RenderHost& operator=(const RenderHost&) = delete;

    // Device (hardware, else WARP), swap chain, render target, ImGui context (no imgui.ini)
    // and both backends. False when no device could be created.
    bool CreateDevice(HWND window);
    // The RT_RCDATA font resource 102 of `module` at `pixelSize`; false (built-in font kept)
    // when the resource is missing or empty.
    bool LoadFonts(HINSTANCE module, float pixelSize);
    // LoadFonts, then the font texture is recreated for the next frame.
    bool RebuildFonts(HINSTANCE module, float pixelSize);
    // The fonts wanted from now on. Rebuilt at once outside a frame; asked for inside one (a
    // restore runs in the Settings tab's frame) they wait for ApplyRequestedFonts after it.
    void RequestFonts(HINSTANCE module, float pixelSize);
    // Rebuilds the fonts last requested, if they are not the ones built (true when it did).
    // Call after each frame.
    bool ApplyRequestedFonts();
    // Colours, rounding and ImGui's spacing, the spacing scaled (1.5 at 144 DPI).
    void ApplyTheme(bool dark, float scale = 1.0f);
    void BeginFrame();
    void RenderFrame();  // render, clear, draw, present
    void ResizeBuffers(UINT width, UINT height);
    // Makes the device, the swap chain and the renderer's objects anew, keeping ImGui's state;
    // done by the frame calls when DXGI reports the device removed or reset.
    bool RecreateDevice();
    void Shutdown();

    // A text the window is about to show: characters the embedded font lacks are drawn with
    // the system's fonts from a frame soon after (the atlas grows off this thread).
    void NoteText(std::string_view utf8) { glyphs.Note(utf8); }
    // Called from the builder's thread when grown glyphs wait for the next frame (post a message).
    void OnGlyphsReady(std::function<void()> ready) { glyphs.SetReady(std::move(ready)); }
    // A grown atlas asked for and not yet drawn with.
    bool GlyphsPending() const { return glyphs.Pending(); }
    struct GlyphFigures {
        int swaps = 0;              // grown atlases drawn with
        size_t characters = 0;      // noted characters the current atlas was built for
        double buildMs = 0.0;       // the latest build, on the builder's thread
        double longestSwapMs = 0.0; // the longest the window thread spent swapping one in
    };
    const GlyphFigures& Glyphs() const { return glyphFigures; }

    bool HasImGui() const { return imguiReady; }
    // A text field of the last frame has the keyboard (keys then edit text, not the program).
    bool TextFieldActive() const;
    float FontPixels() const { return builtPixels; }
    bool HasSwapChain() const { return swapChain != nullptr; }
    // Passes a main-window message to the ImGui Win32 backend (only while ImGui exists).
    static LRESULT ForwardMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    bool CreateDeviceObjects();
    static bool IsDeviceLost(HRESULT result);
    void CreateRenderTarget();
    void WaitForIdleDevice();
    // Between frames: the newest grown atlas, uploaded and made ImGui's (the old one freed).
    void SwapInGrownAtlas();

    HWND window = nullptr;
    Microsoft::WRL::ComPtr<ID3D11Device> device;
    Microsoft::WRL::ComPtr<ID3D11DeviceContext> context;
    Microsoft::WRL::ComPtr<IDXGISwapChain> swapChain;
    Microsoft::WRL::ComPtr<ID3D11RenderTargetView> renderTarget;
    // The embedded font's bytes; the atlas borrows them, and so do the grown atlases' builds.
    std::shared_ptr<const std::vector<unsigned char>> fontData;
    GlyphSupply glyphs;
    // The texture of a grown atlas (ImGui's backend owns only the one it uploaded itself).
    Microsoft::WRL::ComPtr<ID3D11ShaderResourceView> grownTexture;
    GlyphFigures glyphFigures;
    HINSTANCE requestedModule = nullptr;
    float requestedPixels = 0.0f;  // 0: nothing requested
    float builtPixels = 0.0f;
    bool imguiReady = false;
    bool rendererReady = false;  // the DirectX 11 backend runs on the current device
};

}  // namespace kw
