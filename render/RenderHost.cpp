#include "render/RenderHost.h"

#include <dxgi.h>

#include <algorithm>

#include <imgui.h>
#include <imgui_impl_dx11.h>
#include <imgui_impl_win32.h>

#include "render/InputMethodPlacement.h"
#include "render/NotedCharacters.h"
#include "render/ThemeColours.h"

extern IMGUI_IMPL_API LRESULT ImGui_ImplWin32_WndProcHandler(HWND, UINT, WPARAM, LPARAM);

namespace kw {
namespace {

constexpr WORD kFontResourceId = 102;

// The font bytes as they sit in the module's image (valid as long as the module is loaded).
struct ResourceBytes {
    const unsigned char* data = nullptr;
    size_t size = 0;
};

ResourceBytes FindFontResource(HINSTANCE module) {
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(kFontResourceId), RT_RCDATA);
    if (!info) return {};
    HGLOBAL loaded = LoadResource(module, info);
    const DWORD size = SizeofResource(module, info);
    if (!loaded || size == 0) return {};
    const void* bytes = LockResource(loaded);
    if (!bytes) return {};
    return {static_cast<const unsigned char*>(bytes), size};
}

// Rounding is part of both themes; nothing else of the style is touched but by the DPI scale.
void ApplyRounding(ImGuiStyle& style) {
    style.WindowRounding = 8.0f;
    style.FrameRounding = 6.0f;
    style.GrabRounding = 6.0f;
    style.TabRounding = 6.0f;
}

}  // namespace

RenderHost::~RenderHost() { Shutdown(); }

bool RenderHost::CreateDevice(HWND targetWindow) {
    Shutdown();  // a second call starts from scratch rather than leaking the first device
    window = targetWindow;
    if (!CreateDeviceObjects()) {
        Shutdown();
        return false;
    }

    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
    io.IniFilename = nullptr;  // the settings document is the only thing the program stores
    io.SetPlatformImeDataFn = PlaceInputMethod;

    // A backend that did not start would crash the first frame, so it fails the call instead.
    const bool win32Ready = ImGui_ImplWin32_Init(targetWindow);
    rendererReady = win32Ready && ImGui_ImplDX11_Init(device.Get(), context.Get());
    if (!rendererReady) {
        if (win32Ready) ImGui_ImplWin32_Shutdown();
        ImGui::DestroyContext();
        Shutdown();
        return false;
    }
    imguiReady = true;
    return true;
}

bool RenderHost::CreateDeviceObjects() {
    DXGI_SWAP_CHAIN_DESC desc{};
    desc.BufferCount = 2;
    desc.BufferDesc.Width = 0;
    desc.BufferDesc.Height = 0;
    desc.BufferDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    desc.BufferDesc.RefreshRate = {60, 1};
    desc.BufferDesc.ScanlineOrdering = DXGI_MODE_SCANLINE_ORDER_UNSPECIFIED;
    desc.BufferDesc.Scaling = DXGI_MODE_SCALING_UNSPECIFIED;
    desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    desc.OutputWindow = window;
    desc.SampleDesc = {1, 0};
    desc.Windowed = TRUE;
    desc.SwapEffect = DXGI_SWAP_EFFECT_DISCARD;
    desc.Flags = DXGI_SWAP_CHAIN_FLAG_ALLOW_MODE_SWITCH;

    const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_0};
    auto create = [&](D3D_DRIVER_TYPE driver) {
        D3D_FEATURE_LEVEL obtained{};
        return D3D11CreateDeviceAndSwapChain(nullptr, driver, nullptr, 0, levels, ARRAYSIZE(levels),
                                             D3D11_SDK_VERSION, &desc, &swapChain, &device, &obtained,
                                             &context);
    };
    if (FAILED(create(D3D_DRIVER_TYPE_HARDWARE)) && FAILED(create(D3D_DRIVER_TYPE_WARP))) return false;
    // The settings window is never full screen: Alt+Enter is a key for the window, not DXGI's
    // mode switch. The association is made on the factory that created the swap chain.
    Microsoft::WRL::ComPtr<IDXGIFactory> factory;
    if (SUCCEEDED(swapChain->GetParent(IID_PPV_ARGS(&factory))))
        factory->MakeWindowAssociation(window, DXGI_MWA_NO_ALT_ENTER);
    CreateRenderTarget();
    return true;
}

bool RenderHost::RecreateDevice() {
    if (!imguiReady) return false;
    // Everything made on the old device is lost with it; ImGui's context, its Win32 side and
    // the font atlas (kept in memory) stay, and the texture is uploaded again from the atlas.
    if (rendererReady) ImGui_ImplDX11_Shutdown();
    rendererReady = false;
    grownTexture.Reset();  // the backend uploads whichever atlas ImGui holds to the new device
    WaitForIdleDevice();
    renderTarget.Reset();
    swapChain.Reset();
    context.Reset();
    device.Reset();
    rendererReady = CreateDeviceObjects() && ImGui_ImplDX11_Init(device.Get(), context.Get());
    return rendererReady;
}

bool RenderHost::IsDeviceLost(HRESULT result) {
    return result == DXGI_ERROR_DEVICE_REMOVED || result == DXGI_ERROR_DEVICE_RESET;
}


bool RenderHost::LoadFonts(HINSTANCE module, float pixelSize) {
    if (!imguiReady) return false;
    ImFontAtlas* atlas = ImGui::GetIO().Fonts;
    // Between BeginFrame and RenderFrame the current frame still draws with the atlas's fonts.
    if (atlas->Locked) return false;
    const ResourceBytes font = FindFontResource(module);
    if (!font.data) return false;

    auto bytes = std::make_shared<const std::vector<unsigned char>>(font.data, font.data + font.size);
    atlas->Clear();
    ImFontConfig config;
    config.FontDataOwnedByAtlas = false;  // the bytes are fontData's; the atlas must never free them
    // ImGui takes the data as a mutable pointer but never writes through it.
    atlas->AddFontFromMemoryTTF(const_cast<unsigned char*>(bytes->data()), static_cast<int>(bytes->size()), pixelSize,
                                &config, EmbeddedFontRanges());
    fontData = std::move(bytes);
    builtPixels = pixelSize;
    // The characters beyond the embedded font follow at this size in a grown atlas.
    glyphs.SetBase(fontData, pixelSize);
    return true;
}

bool RenderHost::RebuildFonts(HINSTANCE module, float pixelSize) {
    if (!LoadFonts(module, pixelSize)) return false;
    // The old texture holds the old glyphs; the backend uploads the new atlas now rather than
    // drawing the next frame with a texture that no longer matches it.
    grownTexture.Reset();  // the atlas it showed is gone
    if (!rendererReady) return true;  // the texture comes with the next device
    ImGui_ImplDX11_InvalidateDeviceObjects();
    return ImGui_ImplDX11_CreateDeviceObjects();
}

void RenderHost::RequestFonts(HINSTANCE module, float pixelSize) {
    requestedModule = module;
    requestedPixels = pixelSize;
    ApplyRequestedFonts();
}

bool RenderHost::ApplyRequestedFonts() {
    if (requestedPixels <= 0.0f || requestedPixels == builtPixels || !imguiReady) return false;
    // Inside a frame the atlas is locked and the rebuild is refused; the request stays.
    if (ImGui::GetIO().Fonts->Locked) return false;
    if (RebuildFonts(requestedModule, requestedPixels)) {
        builtPixels = requestedPixels;
        return true;
    }
    requestedPixels = builtPixels;  // no such font: keep what is built, do not retry each frame
    return false;
}

void RenderHost::ApplyTheme(bool dark, float scale) {
    if (!imguiReady) return;
    ImGuiStyle& style = ImGui::GetStyle();
    style = ImGuiStyle();  // sizes from their defaults, so that scaling never compounds
    StyleColours(style, dark);
    ApplyRounding(style);
    if (scale != 1.0f) style.ScaleAllSizes(scale);
}

void RenderHost::BeginFrame() {
    if (!imguiReady) return;
    // A device lost in an earlier frame is made again; until that works the frames are laid
    // out (the window keeps working) but not drawn.
    if (!rendererReady) RecreateDevice();
    SwapInGrownAtlas();
    if (rendererReady) ImGui_ImplDX11_NewFrame();
    ImGui_ImplWin32_NewFrame();
    ImGui::NewFrame();
}

void RenderHost::RenderFrame() {
    if (!imguiReady) return;
    ImGui::Render();
    // Without a render target (a resize failed) the frame is finished but not drawn.
    if (!rendererReady || !renderTarget) return;
    ID3D11RenderTargetView* targets[] = {renderTarget.Get()};
    context->OMSetRenderTargets(1, targets, nullptr);
    const float clear[4] = {0.05f, 0.07f, 0.10f, 1.00f};
    context->ClearRenderTargetView(renderTarget.Get(), clear);
    ImGui_ImplDX11_RenderDrawData(ImGui::GetDrawData());
    // A driver update, a reset after a hang or an adapter that went away: the device and all
    // made on it must be created again (Present is where DXGI reports it).
    if (IsDeviceLost(swapChain->Present(1, 0))) RecreateDevice();
}

void RenderHost::ResizeBuffers(UINT width, UINT height) {
    if (!swapChain) return;
    // The swap chain refuses to resize while a view of its back buffer is still bound.
    if (context) context->OMSetRenderTargets(0, nullptr, nullptr);
    renderTarget.Reset();
    const HRESULT resized = swapChain->ResizeBuffers(0, width, height, DXGI_FORMAT_UNKNOWN, 0);
    if (IsDeviceLost(resized)) {
        RecreateDevice();  // the new swap chain takes the window's current size
        return;
    }
    if (FAILED(resized)) return;
    CreateRenderTarget();
}

void RenderHost::Shutdown() {
    if (imguiReady) {
        if (rendererReady) ImGui_ImplDX11_Shutdown();
        ImGui_ImplWin32_Shutdown();
        ImGui::DestroyContext();
        imguiReady = false;
    }
    rendererReady = false;
    // Only now, with the atlas gone, may the borrowed font bytes go.
    builtPixels = requestedPixels = 0.0f;
    grownTexture.Reset();
    glyphs.SetBase(nullptr, 0.0f);
    fontData.reset();
    WaitForIdleDevice();
    renderTarget.Reset();
    swapChain.Reset();
    context.Reset();
    device.Reset();
    window = nullptr;
}

bool RenderHost::TextFieldActive() const { return imguiReady && ImGui::GetIO().WantTextInput; }

LRESULT RenderHost::ForwardMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A context without the Win32 backend (a headless one, or one mid-teardown) would make the
    // handler dereference missing backend data.
    if (!ImGui::GetCurrentContext() || !ImGui::GetIO().BackendPlatformUserData) return 0;
    return ImGui_ImplWin32_WndProcHandler(window, message, wParam, lParam);
}

void RenderHost::WaitForIdleDevice() {
    // Under Wine the device renders on helper threads (command stream, software rasteriser);
    // releasing it while they still execute queued work has crashed the process at exit.
    // Unbind everything, submit, and wait (bounded) until the device reports the work done.
    if (!device || !context) return;
    context->ClearState();
    D3D11_QUERY_DESC desc{D3D11_QUERY_EVENT, 0};
    Microsoft::WRL::ComPtr<ID3D11Query> done;
    if (FAILED(device->CreateQuery(&desc, &done))) {
        context->Flush();
        return;
    }
    context->End(done.Get());
    context->Flush();
    const ULONGLONG deadline = GetTickCount64() + 2000;
    BOOL finished = FALSE;
    while (context->GetData(done.Get(), &finished, sizeof finished, 0) == S_FALSE && GetTickCount64() < deadline)
        Sleep(1);
}

void RenderHost::SwapInGrownAtlas() {
    if (!imguiReady || ImGui::GetIO().Fonts->Locked) return;
    std::optional<GrownAtlas> grown = glyphs.Take();
    if (!grown || grown->pixels != builtPixels) return;
    const int64_t start = [] {
        LARGE_INTEGER t{};
        QueryPerformanceCounter(&t);
        return t.QuadPart;
    }();
    Microsoft::WRL::ComPtr<ID3D11ShaderResourceView> view;
    if (rendererReady) {
        // The same texture ImGui's DirectX 11 backend makes for its atlas: RGBA, one level,
        // sampled only; made from the pixels at once (an immutable upload, no map and copy).
        unsigned char* pixels = nullptr;
        int width = 0, height = 0;
        grown->atlas->GetTexDataAsRGBA32(&pixels, &width, &height);
        D3D11_TEXTURE2D_DESC desc{};
        desc.Width = static_cast<UINT>(width);
        desc.Height = static_cast<UINT>(height);
        desc.MipLevels = 1;
        desc.ArraySize = 1;
        desc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
        desc.SampleDesc.Count = 1;
        desc.Usage = D3D11_USAGE_IMMUTABLE;
        desc.BindFlags = D3D11_BIND_SHADER_RESOURCE;
        const D3D11_SUBRESOURCE_DATA data{pixels, desc.Width * 4, 0};
        Microsoft::WRL::ComPtr<ID3D11Texture2D> texture;
        if (!pixels || FAILED(device->CreateTexture2D(&desc, &data, &texture))) return;  // keep drawing the old one
        D3D11_SHADER_RESOURCE_VIEW_DESC viewDesc{};
        viewDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
        viewDesc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
        viewDesc.Texture2D.MipLevels = 1;
        if (FAILED(device->CreateShaderResourceView(texture.Get(), &viewDesc, &view))) return;
        grown->atlas->SetTexID(reinterpret_cast<ImTextureID>(view.Get()));
    }
    // Without a renderer (a device being made again) the backend uploads it with the device.
    AdoptAtlas(std::move(grown->atlas));
    grownTexture = std::move(view);
    LARGE_INTEGER end{}, frequency{};
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    ++glyphFigures.swaps;
    glyphFigures.characters = grown->characters;
    glyphFigures.buildMs = grown->buildMs;
    glyphFigures.longestSwapMs = std::max(glyphFigures.longestSwapMs, static_cast<double>(end.QuadPart - start) * 1000.0 /
                                                                          static_cast<double>(frequency.QuadPart));
}

void RenderHost::CreateRenderTarget() {
    Microsoft::WRL::ComPtr<ID3D11Texture2D> backBuffer;
    if (FAILED(swapChain->GetBuffer(0, IID_PPV_ARGS(&backBuffer)))) return;
    device->CreateRenderTargetView(backBuffer.Get(), nullptr, &renderTarget);
}

}  // namespace kw
