#include <gtest/gtest.h>

#include <windows.h>

#include <imgui.h>
#include <imgui_internal.h>
#include <imgui_stdlib.h>
#include <imm.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "render/RenderHost.h"
#include "render/ThemeColours.h"
#include "support/TempDir.h"

namespace kw {
namespace {
namespace fs = std::filesystem;

constexpr int kWidth = 640;
constexpr int kHeight = 480;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (RenderHost::ForwardMessage(window, message, wParam, lParam)) return 1;
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateTestWindow() {
    static const ATOM windowClass = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KwRenderHostTest";
        return RegisterClassExW(&wc);
    }();
    if (!windowClass) return nullptr;
    return CreateWindowExW(0, L"KwRenderHostTest", L"render host test", WS_OVERLAPPEDWINDOW, 40, 40, kWidth,
                           kHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The test exe carries the interface font as resource 102, as the application does.
HINSTANCE ModuleWithFont() { return GetModuleHandleW(nullptr); }
HINSTANCE ModuleWithoutFont() { return GetModuleHandleW(L"kernel32.dll"); }

DWORD FontResourceSize() {
    HRSRC info = FindResourceW(ModuleWithFont(), MAKEINTRESOURCEW(102), RT_RCDATA);
    return info ? SizeofResource(ModuleWithFont(), info) : 0;
}

// One frame with a window and a few widgets, so that the draw data is not empty and ImGui has
// window settings it would like to save. Returns the font size the frame was drawn with.
float DrawFrame(RenderHost& host) {
    PumpMessages();
    host.BeginFrame();
    ImGui::SetNextWindowPos(ImVec2(10, 10), ImGuiCond_FirstUseEver);
    ImGui::Begin("Rules");
    ImGui::Text("Fonts at %.0f px", ImGui::GetFontSize());
    ImGui::Button("Add rule");
    ImGui::End();
    const float fontSize = ImGui::GetFontSize();
    host.RenderFrame();
    return fontSize;
}

class RenderHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = CreateTestWindow();
        if (!window) GTEST_SKIP() << "No display: top-level windows cannot be created (run under Xvfb with DISPLAY set)";
        ShowWindow(window, SW_SHOWNOACTIVATE);
        PumpMessages();
    }
    void TearDown() override {
        host.Shutdown();
        if (window) DestroyWindow(window);
    }

    HWND window = nullptr;
    RenderHost host;
};

TEST_F(RenderHostTest, DeviceAndImGuiLiveUntilShutdown) {
    ASSERT_TRUE(host.CreateDevice(window));
    EXPECT_TRUE(host.HasImGui());
    EXPECT_TRUE(host.HasSwapChain());
    ASSERT_NE(ImGui::GetCurrentContext(), nullptr);
    EXPECT_TRUE(ImGui::GetIO().ConfigFlags & ImGuiConfigFlags_NavEnableKeyboard);
    EXPECT_NE(ImGui::GetIO().BackendPlatformUserData, nullptr);
    EXPECT_NE(ImGui::GetIO().BackendRendererUserData, nullptr);

    // Creating again replaces the first device and context instead of stacking a second.
    ASSERT_TRUE(host.CreateDevice(window));
    DrawFrame(host);
    // Wine's XInput runs a thread inside its DLL: a backend that loaded it and freed it at
    // shutdown made the process fault in unloaded code as it closed.
    for (const wchar_t* xinput : {L"xinput1_4.dll", L"xinput1_3.dll", L"xinput9_1_0.dll", L"xinput1_2.dll"})
        EXPECT_EQ(GetModuleHandleW(xinput), nullptr) << "gamepad input loaded";

    host.Shutdown();
    EXPECT_FALSE(host.HasImGui());
    EXPECT_FALSE(host.HasSwapChain());
    EXPECT_EQ(ImGui::GetCurrentContext(), nullptr);
    host.Shutdown();  // the destructor shuts down again
}

TEST_F(RenderHostTest, WithoutAWindowThereIsNoDeviceAndNoContext) {
    EXPECT_FALSE(host.CreateDevice(nullptr));
    EXPECT_FALSE(host.HasImGui());
    EXPECT_FALSE(host.HasSwapChain());
    EXPECT_EQ(ImGui::GetCurrentContext(), nullptr);
}

TEST_F(RenderHostTest, EveryCallBeforeCreateDeviceIsHarmless) {
    EXPECT_FALSE(host.LoadFonts(ModuleWithFont(), 16.0f));
    EXPECT_FALSE(host.RebuildFonts(ModuleWithFont(), 16.0f));
    host.ApplyTheme(true);
    host.BeginFrame();
    host.RenderFrame();
    host.ResizeBuffers(320, 200);
    EXPECT_EQ(RenderHost::ForwardMessage(window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5)), 0);
    EXPECT_EQ(ImGui::GetCurrentContext(), nullptr);
}

TEST_F(RenderHostTest, FontsAreRebuiltAtTheNewSizeForTheNextFrame) {
    ASSERT_GT(FontResourceSize(), 0u) << "the test exe lacks its font resource";
    ASSERT_TRUE(host.CreateDevice(window));
    ASSERT_TRUE(host.LoadFonts(ModuleWithFont(), 16.0f));
    EXPECT_EQ(DrawFrame(host), 16.0f);

    ImFontAtlas* atlas = ImGui::GetIO().Fonts;
    ASSERT_EQ(atlas->Fonts.Size, 1);
    const ImFontConfig* config = atlas->Fonts[0]->ConfigData;
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(config->FontDataSize, static_cast<int>(FontResourceSize()));

    ASSERT_TRUE(host.RebuildFonts(ModuleWithFont(), 26.0f));
    EXPECT_TRUE(atlas->IsBuilt());
    EXPECT_NE(atlas->TexID, nullptr) << "the new font texture is uploaded before the next frame";
    ASSERT_EQ(atlas->Fonts.Size, 1);
    EXPECT_EQ(atlas->Fonts[0]->FontSize, 26.0f);
    EXPECT_EQ(DrawFrame(host), 26.0f);

    // Each rebuild replaces the host's bytes; an atlas that owned them would free them twice.
    ASSERT_TRUE(host.RebuildFonts(ModuleWithFont(), 20.0f));
    EXPECT_EQ(DrawFrame(host), 20.0f);
}

TEST_F(RenderHostTest, TheFontDrawsTheWindowsDashesAndNamesBeyondLatin1) {
    ASSERT_TRUE(host.CreateDevice(window));
    ASSERT_TRUE(host.LoadFonts(ModuleWithFont(), 16.0f));
    DrawFrame(host);
    const ImFont* font = ImGui::GetIO().Fonts->Fonts[0];
    // Em dash of the status texts, Cyrillic, Greek and Polish letters, "No." sign, replacement char.
    for (const ImWchar c : {0x2014, 0x0416, 0x03A9, 0x0142, 0x2116, 0xFFFD})
        EXPECT_NE(font->FindGlyphNoFallback(c), nullptr) << "U+" << std::hex << c;
}

TEST_F(RenderHostTest, WithoutTheFontResourceTheBuiltInFontStays) {
    ASSERT_EQ(FindResourceW(ModuleWithoutFont(), MAKEINTRESOURCEW(102), RT_RCDATA), nullptr);
    ASSERT_TRUE(host.CreateDevice(window));
    EXPECT_FALSE(host.LoadFonts(ModuleWithoutFont(), 16.0f));
    EXPECT_EQ(DrawFrame(host), 13.0f);
    EXPECT_EQ(std::string(ImGui::GetIO().Fonts->Fonts[0]->GetDebugName()).rfind("ProggyClean", 0), 0u);

    // A failed rebuild leaves the font that is already there.
    ASSERT_TRUE(host.RebuildFonts(ModuleWithFont(), 16.0f));
    EXPECT_FALSE(host.RebuildFonts(ModuleWithoutFont(), 26.0f));
    EXPECT_EQ(DrawFrame(host), 16.0f);
}

TEST_F(RenderHostTest, FontsAreNotRebuiltInTheMiddleOfAFrame) {
    ASSERT_TRUE(host.CreateDevice(window));
    ASSERT_TRUE(host.LoadFonts(ModuleWithFont(), 16.0f));
    DrawFrame(host);

    host.BeginFrame();
    ImGui::Text("drawn with the current font");
    EXPECT_FALSE(host.RebuildFonts(ModuleWithFont(), 26.0f));
    host.RenderFrame();
    EXPECT_EQ(DrawFrame(host), 16.0f);
}

// Restoring a backup with another font size applies its settings from inside the Settings
// tab's frame, where the atlas cannot be rebuilt: the new size is remembered and built once the
// frame is over, whatever the caller does next.
TEST_F(RenderHostTest, AFontSizeAskedForDuringAFrameIsBuiltAfterIt) {
    ASSERT_TRUE(host.CreateDevice(window));
    host.RequestFonts(ModuleWithFont(), 16.0f);
    EXPECT_EQ(DrawFrame(host), 16.0f);

    host.BeginFrame();
    ImGui::Text("the frame in which settings are restored");
    host.RequestFonts(ModuleWithFont(), 26.0f);
    host.RenderFrame();
    EXPECT_EQ(ImGui::GetIO().Fonts->Fonts[0]->FontSize, 16.0f);
    host.ApplyRequestedFonts();
    EXPECT_EQ(DrawFrame(host), 26.0f);
    host.ApplyRequestedFonts();  // nothing new asked for: the atlas is kept
    EXPECT_EQ(DrawFrame(host), 26.0f);
}

// What the frame calls do when Present reports the device removed or reset (which Wine never
// does on its own): a new device, and frames drawn on it with the fonts of the old one.
TEST_F(RenderHostTest, FramesGoOnOnANewDeviceWithTheSameFonts) {
    ASSERT_TRUE(host.CreateDevice(window));
    host.RequestFonts(ModuleWithFont(), 20.0f);
    DrawFrame(host);

    ASSERT_TRUE(host.RecreateDevice());
    EXPECT_TRUE(host.HasSwapChain());
    EXPECT_EQ(DrawFrame(host), 20.0f);
    EXPECT_NE(ImGui::GetIO().Fonts->TexID, nullptr) << "no font texture on the new device";
    host.ResizeBuffers(320, 200);
    EXPECT_EQ(DrawFrame(host), 20.0f);
}

TEST_F(RenderHostTest, FramesSurviveResizingToATinyAreaAndBack) {
    ASSERT_TRUE(host.CreateDevice(window));
    ASSERT_TRUE(host.LoadFonts(ModuleWithFont(), 16.0f));
    host.ApplyTheme(true);
    for (int i = 0; i < 3; ++i) DrawFrame(host);

    host.ResizeBuffers(1, 1);
    EXPECT_TRUE(host.HasSwapChain());
    for (int i = 0; i < 3; ++i) DrawFrame(host);

    host.ResizeBuffers(kWidth, kHeight);
    for (int i = 0; i < 3; ++i) DrawFrame(host);
    host.ApplyTheme(false);
    DrawFrame(host);
    EXPECT_TRUE(host.HasSwapChain());
}

TEST_F(RenderHostTest, NoImGuiSettingsFileIsWritten) {
    wchar_t exePath[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, exePath, MAX_PATH), 0u);
    const fs::path besideExe = fs::path(exePath).parent_path() / L"imgui.ini";
    ASSERT_FALSE(fs::exists(besideExe)) << "a stale " << besideExe << " hides the result";

    test::TempDir workDir;
    wchar_t previousDir[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, previousDir), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(workDir.Path().c_str()));

    ASSERT_TRUE(host.CreateDevice(window));
    for (int i = 0; i < 5; ++i) DrawFrame(host);
    host.Shutdown();  // ImGui saves its window positions when the context goes, given a file name

    SetCurrentDirectoryW(previousDir);
    EXPECT_FALSE(fs::exists(workDir / L"imgui.ini"));
    EXPECT_FALSE(fs::exists(besideExe));
}

TEST_F(RenderHostTest, MessagesReachImGuiOnlyThroughItsBackend) {
    // A context without the Win32 backend (as headless screen tests make) must not be fed.
    ImGuiContext* bare = ImGui::CreateContext();
    EXPECT_EQ(RenderHost::ForwardMessage(window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5)), 0);
    ImGui::DestroyContext(bare);

    ASSERT_TRUE(host.CreateDevice(window));
    DrawFrame(host);
    RenderHost::ForwardMessage(window, WM_MOUSEMOVE, 0, MAKELPARAM(100, 50));
    host.BeginFrame();
    EXPECT_EQ(ImGui::GetIO().MousePos.x, 100.0f);
    EXPECT_EQ(ImGui::GetIO().MousePos.y, 50.0f);
    host.RenderFrame();
}

// Typing with an input method (a Japanese IME, say): the composition window sits at the caret in
// the field and the candidate list keeps off the caret's line; what the IME commits (WM_IME_CHAR,
// which the window's default handling turns into characters) and an emoji's two surrogate
// halves arrive whole; with no field active the window takes no input method at all.
TEST_F(RenderHostTest, AnInputMethodComposesAtTheCaretAndItsTextArrivesWhole) {
    ASSERT_TRUE(host.CreateDevice(window));
    ASSERT_TRUE(host.LoadFonts(ModuleWithFont(), 16.0f));
    std::string name;
    bool takeFocus = true;
    ImRect field;
    const auto frame = [&](bool withField) {
        PumpMessages();
        host.BeginFrame();
        ImGui::SetNextWindowPos(ImVec2(10, 10));
        ImGui::Begin("Rules");
        if (withField) {
            if (std::exchange(takeFocus, false)) ImGui::SetKeyboardFocusHere();
            ImGui::InputText("Name", &name);
            field = ImRect(ImGui::GetItemRectMin(), ImGui::GetItemRectMax());
        }
        ImGui::End();
        host.RenderFrame();
    };
    frame(true);
    frame(true);
    for (const wchar_t committed : {L'\u5831', L'\u544A'}) SendMessageW(window, WM_IME_CHAR, committed, 1);
    PumpMessages();  // the default handling posts them on as WM_CHAR
    SendMessageW(window, WM_CHAR, 0xD83D, 1);  // U+1F4F7 as the keyboard sends it, in two halves
    SendMessageW(window, WM_CHAR, 0xDCF7, 1);
    for (int i = 0; i < 4; ++i) frame(true);
    EXPECT_EQ(name, "\xE5\xA0\xB1\xE5\x91\x8A\xF0\x9F\x93\xB7");

    HIMC context = ImmGetContext(window);
    ASSERT_NE(context, nullptr) << "a text field has the keyboard, but the window has no input context";
    COMPOSITIONFORM composition{};
    CANDIDATEFORM candidates{};
    EXPECT_TRUE(ImmGetCompositionWindow(context, &composition));
    EXPECT_TRUE(ImmGetCandidateWindow(context, 0, &candidates));
    ImmReleaseContext(window, context);
    EXPECT_EQ(composition.dwStyle, static_cast<DWORD>(CFS_FORCE_POSITION));
    // After the three characters, inside the field.
    EXPECT_GT(composition.ptCurrentPos.x, field.Min.x + 20);
    EXPECT_LT(composition.ptCurrentPos.x, field.Max.x);
    EXPECT_GE(composition.ptCurrentPos.y, field.Min.y - 1);
    EXPECT_LT(composition.ptCurrentPos.y, field.Max.y);
    EXPECT_EQ(candidates.dwStyle, static_cast<DWORD>(CFS_EXCLUDE));
    EXPECT_LE(candidates.rcArea.top, composition.ptCurrentPos.y);
    EXPECT_GE(candidates.rcArea.bottom, composition.ptCurrentPos.y + 14) << "the caret's line is not kept clear";

    frame(false);
    frame(false);
    EXPECT_EQ(ImmGetContext(window), nullptr) << "keys outside a text field would start a composition";
}

// The theme is the colour set of its scheme (render/ThemeColours, whose contrast is tested there);
// every size is ImGui's default.
struct ThemeCase {
    bool dark;
};

class RenderHostThemeTest : public RenderHostTest, public ::testing::WithParamInterface<ThemeCase> {};

TEST_P(RenderHostThemeTest, ColoursAreTheBuiltInSetWithTheOverrides) {
    const ThemeCase& theme = GetParam();
    ASSERT_TRUE(host.CreateDevice(window));
    host.ApplyTheme(!theme.dark);  // nothing of the other theme may linger
    host.ApplyTheme(theme.dark);

    ImGuiStyle expected;
    StyleColours(expected, theme.dark);
    const ImGuiStyle& style = ImGui::GetStyle();
    for (int c = 0; c < ImGuiCol_COUNT; ++c) {
        const ImVec4& want = expected.Colors[c];
        const ImVec4& got = style.Colors[c];
        EXPECT_TRUE(want.x == got.x && want.y == got.y && want.z == got.z && want.w == got.w)
            << ImGui::GetStyleColorName(c) << ": got (" << got.x << ", " << got.y << ", " << got.z << ", " << got.w
            << "), want (" << want.x << ", " << want.y << ", " << want.z << ", " << want.w << ")";
    }

    EXPECT_EQ(style.WindowRounding, 8.0f);
    EXPECT_EQ(style.FrameRounding, 6.0f);
    EXPECT_EQ(style.GrabRounding, 6.0f);
    EXPECT_EQ(style.TabRounding, 6.0f);
    const ImGuiStyle defaults;
    EXPECT_EQ(style.WindowPadding.x, defaults.WindowPadding.x);
    EXPECT_EQ(style.FramePadding.y, defaults.FramePadding.y);
    EXPECT_EQ(style.ItemSpacing.x, defaults.ItemSpacing.x);
    EXPECT_EQ(style.ScrollbarSize, defaults.ScrollbarSize);
    EXPECT_EQ(style.ChildRounding, defaults.ChildRounding);
}

INSTANTIATE_TEST_SUITE_P(
    Themes, RenderHostThemeTest,
    ::testing::Values(ThemeCase{true}, ThemeCase{false}),
    [](const ::testing::TestParamInfo<ThemeCase>& info) { return std::string(info.param.dark ? "Dark" : "Light"); });

}  // namespace
}  // namespace kw
