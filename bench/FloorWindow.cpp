// The floor of start-up for this stack: a program that only opens a window, makes a Direct3D 11
// device and swap chain, starts Dear ImGui with its Win32 and DirectX 11 backends and draws
// one frame. Prints the time from entry to that frame's Present and the memory afterwards, in
// the same form as ShellBench.

#include <windows.h>
#include <d3d11.h>
#include <psapi.h>
#include <wrl/client.h>

#include <chrono>
#include <cstdio>

#include <imgui.h>
#include <imgui_impl_dx11.h>
#include <imgui_impl_win32.h>

extern IMGUI_IMPL_API LRESULT ImGui_ImplWin32_WndProcHandler(HWND, UINT, WPARAM, LPARAM);

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (ImGui_ImplWin32_WndProcHandler(window, message, w, l)) return 1;
    return DefWindowProcW(window, message, w, l);
}

}  // namespace

int main() {
    const auto start = std::chrono::steady_clock::now();
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"KestraneFloorWindow";
    RegisterClassExW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Floor", WS_OVERLAPPEDWINDOW, 100, 100, 900, 640,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) return 1;

    DXGI_SWAP_CHAIN_DESC desc{};
    desc.BufferCount = 2;
    desc.BufferDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    desc.OutputWindow = window;
    desc.SampleDesc = {1, 0};
    desc.Windowed = TRUE;
    desc.SwapEffect = DXGI_SWAP_EFFECT_DISCARD;
    desc.Flags = DXGI_SWAP_CHAIN_FLAG_ALLOW_MODE_SWITCH;
    // The device the program asks for, so that the floor differs from it in nothing but the rest.
    const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_0};
    Microsoft::WRL::ComPtr<ID3D11Device> device;
    Microsoft::WRL::ComPtr<ID3D11DeviceContext> context;
    Microsoft::WRL::ComPtr<IDXGISwapChain> swapChain;
    if (FAILED(D3D11CreateDeviceAndSwapChain(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, levels, ARRAYSIZE(levels),
                                             D3D11_SDK_VERSION, &desc, &swapChain, &device, nullptr, &context)))
        return 1;
    Microsoft::WRL::ComPtr<ID3D11Texture2D> backBuffer;
    Microsoft::WRL::ComPtr<ID3D11RenderTargetView> target;
    swapChain->GetBuffer(0, IID_PPV_ARGS(&backBuffer));
    device->CreateRenderTargetView(backBuffer.Get(), nullptr, &target);
    ShowWindow(window, SW_SHOWDEFAULT);

    ImGui::CreateContext();
    ImGui::GetIO().IniFilename = nullptr;
    ImGui_ImplWin32_Init(window);
    ImGui_ImplDX11_Init(device.Get(), context.Get());
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    ImGui_ImplDX11_NewFrame();
    ImGui_ImplWin32_NewFrame();
    ImGui::NewFrame();
    ImGui::Begin("Floor");
    ImGui::Text("One frame.");
    ImGui::End();
    ImGui::Render();
    const float clear[4] = {0.1f, 0.1f, 0.1f, 1.0f};
    context->OMSetRenderTargets(1, target.GetAddressOf(), nullptr);
    context->ClearRenderTargetView(target.Get(), clear);
    ImGui_ImplDX11_RenderDrawData(ImGui::GetDrawData());
    swapChain->Present(1, 0);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

    // Measured as ShellBench measures the program: from another moment than the frame itself,
    // once the window has had its messages for a while.
    for (const DWORD end = GetTickCount() + 500; GetTickCount() < end; Sleep(20))
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    std::printf("RESULT memory after start-up: working set %.1f MB, private %.1f MB\n",
                static_cast<double>(counters.WorkingSetSize) / 1048576.0,
                static_cast<double>(counters.PagefileUsage) / 1048576.0);
    std::printf("RESULT start-up to first frame: %.1f ms\n", ms);

    ImGui_ImplDX11_Shutdown();
    ImGui_ImplWin32_Shutdown();
    ImGui::DestroyContext();
    DestroyWindow(window);
    return 0;
}
