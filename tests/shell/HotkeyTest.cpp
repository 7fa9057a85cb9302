#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "ShellTestSupport.h"
#include "shell/Hotkey.h"

namespace kw {
namespace {
using test::TestWindow;

TEST(KeyName, NamesKeysByTheirOwnTextOrTheSystemsName) {
    const struct {
        unsigned vk;
        const char* name;
    } cases[] = {
        {'A', "A"},          {'Z', "Z"},          {'0', "0"},          {'9', "9"},
        {VK_SPACE, "Space"}, {VK_TAB, "Tab"},     {VK_OEM_PLUS, "+"},  {VK_OEM_COMMA, ","},
        {VK_OEM_MINUS, "-"}, {VK_OEM_PERIOD, "."},
    };
    for (const auto& c : cases) EXPECT_EQ(KeyName(c.vk), c.name) << c.vk;
    // Other keys carry the keyboard layout's names ("Esc" on Windows, "Escape" under Wine).
    for (unsigned vk : {VK_ESCAPE, VK_BACK, VK_RETURN, VK_HOME, VK_OEM_1}) {
        const std::string name = KeyName(vk);
        EXPECT_FALSE(name.empty() || name.rfind("VK_", 0) == 0) << vk << ": " << name;
    }
    for (unsigned n = 1; n <= 24; ++n) EXPECT_EQ(KeyName(VK_F1 + n - 1), std::string("F").append(std::to_string(n)));
    // Codes no keyboard produces have no name of their own.
    EXPECT_EQ(KeyName(0xFF), "VK_255");
    EXPECT_EQ(KeyName(0), "VK_0");
}

TEST(HotkeyText, PutsModifiersInAFixedOrderBeforeTheKey) {
    const struct {
        unsigned modifiers;
        unsigned vk;
        const char* text;
    } cases[] = {
        {MOD_CONTROL | MOD_ALT, 'D', "Ctrl + Alt + D"},
        {MOD_WIN | MOD_SHIFT, VK_F5, "Shift + Win + F5"},
        {MOD_WIN | MOD_SHIFT | MOD_ALT | MOD_CONTROL, 'Z', "Ctrl + Alt + Shift + Win + Z"},
        {0, VK_F12, "F12"},
        {MOD_CONTROL | MOD_NOREPEAT, VK_OEM_PLUS, "Ctrl + +"},
    };
    for (const auto& c : cases) EXPECT_EQ(HotkeyText(c.modifiers, c.vk), c.text);
}

class FakeKeyState final : public KeyState {
public:
    explicit FakeKeyState(std::set<int> held) : held(std::move(held)) {}
    bool IsHeld(int virtualKey) const override { return held.count(virtualKey) != 0; }

private:
    std::set<int> held;
};

// Records what capture asked to register, answering with a fixed result.
struct FakeApply {
    bool succeed = true;
    std::vector<std::pair<unsigned, unsigned>> calls;
    std::function<bool(unsigned, unsigned, std::string&)> Function() {
        return [this](unsigned modifiers, unsigned vk, std::string& error) {
            calls.emplace_back(modifiers, vk);
            error = succeed ? "" : "refused " + HotkeyText(modifiers, vk);
            return succeed;
        };
    }
};

HotkeyCaptureState Capturing() { return {true, "earlier error", "Press a key combination now"}; }

TEST(CaptureHotkeyKey, IgnoresModifierKeysPressedAlone) {
    const FakeKeyState keys({VK_CONTROL, VK_SHIFT});
    for (unsigned vk : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN, VK_LSHIFT, VK_RSHIFT, VK_LCONTROL,
                        VK_RCONTROL, VK_LMENU, VK_RMENU}) {
        FakeApply apply;
        HotkeyCaptureState state = Capturing();
        EXPECT_FALSE(CaptureHotkeyKey(vk, state, keys, apply.Function()));
        EXPECT_TRUE(state.capturing) << vk;
        EXPECT_EQ(state.error, "earlier error") << vk;
        EXPECT_EQ(state.status, "Press a key combination now") << vk;
        EXPECT_TRUE(apply.calls.empty()) << vk;
    }
}

TEST(CaptureHotkeyKey, EscapeCancelsEvenWithModifiersHeld) {
    FakeApply apply;
    HotkeyCaptureState state = Capturing();
    EXPECT_FALSE(CaptureHotkeyKey(VK_ESCAPE, state, FakeKeyState({VK_CONTROL}), apply.Function()));
    EXPECT_FALSE(state.capturing);
    EXPECT_EQ(state.status, "");
    EXPECT_EQ(state.error, "earlier error");
    EXPECT_TRUE(apply.calls.empty());
}

TEST(CaptureHotkeyKey, AsksForAModifierWhenNoneIsHeld) {
    FakeApply apply;
    HotkeyCaptureState state = Capturing();
    EXPECT_FALSE(CaptureHotkeyKey('K', state, FakeKeyState({VK_CAPITAL}), apply.Function()));
    EXPECT_TRUE(state.capturing);
    EXPECT_EQ(state.error, "Include at least one modifier (Ctrl, Alt, Shift, or Win).");
    EXPECT_TRUE(apply.calls.empty());
}

TEST(CaptureHotkeyKey, AppliesTheHeldModifiersWithTheKey) {
    const struct {
        std::set<int> held;
        unsigned modifiers;
    } cases[] = {
        {{VK_CONTROL, VK_SHIFT}, MOD_CONTROL | MOD_SHIFT},
        {{VK_MENU}, MOD_ALT},
        {{VK_RWIN}, MOD_WIN},
        {{VK_LWIN, VK_MENU, VK_CONTROL, VK_SHIFT}, MOD_CONTROL | MOD_ALT | MOD_SHIFT | MOD_WIN},
    };
    for (const auto& c : cases) {
        FakeApply apply;
        HotkeyCaptureState state = Capturing();
        EXPECT_TRUE(CaptureHotkeyKey(VK_F7, state, FakeKeyState(c.held), apply.Function()));
        ASSERT_EQ(apply.calls.size(), 1u);
        EXPECT_EQ(apply.calls[0], std::make_pair(c.modifiers, static_cast<unsigned>(VK_F7)));
        EXPECT_FALSE(state.capturing);
        EXPECT_EQ(state.error, "");
    }
}

TEST(CaptureHotkeyKey, KeepsCapturingWhenTheCombinationIsRefused) {
    FakeApply apply;
    apply.succeed = false;
    HotkeyCaptureState state = Capturing();
    EXPECT_FALSE(CaptureHotkeyKey('J', state, FakeKeyState({VK_CONTROL}), apply.Function()));
    EXPECT_TRUE(state.capturing);
    EXPECT_EQ(state.error, "refused Ctrl + J");
    EXPECT_EQ(state.status, "Press a key combination now");
}

// Hotkeys are shared by every program on the desktop (tests may run side by side), so each
// test uses combinations nobody else does.
bool HeldElsewhere(unsigned modifiers, unsigned vk, DWORD* error = nullptr) {
    TestWindow other(TestWindow::Kind::messageOnly);
    if (RegisterHotKey(other.Handle(), 7, modifiers, vk)) {
        UnregisterHotKey(other.Handle(), 7);
        return false;
    }
    if (error) *error = GetLastError();
    return true;
}

TEST(ApplyHotkey, RegistersTheCombinationAndStoresIt) {
    TestWindow window(TestWindow::Kind::messageOnly);
    ASSERT_TRUE(window.Handle());
    AppSettings settings;
    std::string error = "stale";
    const unsigned modifiers = MOD_CONTROL | MOD_ALT | MOD_SHIFT;
    ASSERT_TRUE(ApplyHotkey(window.Handle(), settings, modifiers, VK_F21, error));
    EXPECT_EQ(error, "");
    EXPECT_EQ(settings.hotkeyModifiers, modifiers);  // without MOD_NOREPEAT
    EXPECT_EQ(settings.hotkeyVk, static_cast<uint32_t>(VK_F21));
    DWORD code = 0;
    EXPECT_TRUE(HeldElsewhere(modifiers, VK_F21, &code));
    EXPECT_EQ(code, static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));

    // A new combination replaces the old one; the old one is free again.
    ASSERT_TRUE(ApplyHotkey(window.Handle(), settings, modifiers, VK_F22, error));
    EXPECT_FALSE(HeldElsewhere(modifiers, VK_F21));
    EXPECT_TRUE(HeldElsewhere(modifiers, VK_F22));
    // Applying the registered combination again succeeds.
    EXPECT_TRUE(ApplyHotkey(window.Handle(), settings, modifiers, VK_F22, error));
    UnregisterHotKey(window.Handle(), kHotkeyId);
}

TEST(ApplyHotkey, ARefusedCombinationKeepsThePreviousOne) {
    TestWindow window(TestWindow::Kind::messageOnly);
    TestWindow holder(TestWindow::Kind::messageOnly);
    ASSERT_TRUE(window.Handle() && holder.Handle());
    const unsigned modifiers = MOD_CONTROL | MOD_ALT | MOD_WIN;
    ASSERT_TRUE(RegisterHotKey(holder.Handle(), 3, modifiers, VK_F19));

    AppSettings settings;
    std::string error;
    ASSERT_TRUE(ApplyHotkey(window.Handle(), settings, modifiers, VK_F18, error));
    EXPECT_FALSE(ApplyHotkey(window.Handle(), settings, modifiers, VK_F19, error));
    EXPECT_EQ(error,
              "Could not register Ctrl + Alt + Win + F19 (Win32 error 1409). The combination may already be in use "
              "by another application.");
    EXPECT_EQ(settings.hotkeyModifiers, modifiers);
    EXPECT_EQ(settings.hotkeyVk, static_cast<uint32_t>(VK_F18));
    EXPECT_TRUE(HeldElsewhere(modifiers, VK_F18));  // still ours

    UnregisterHotKey(window.Handle(), kHotkeyId);
    EXPECT_FALSE(HeldElsewhere(modifiers, VK_F18));
    UnregisterHotKey(holder.Handle(), 3);
}

TEST(ApplyHotkey, ABareKeyFromAHandEditedFileIsNeverTakenFromOtherPrograms) {
    TestWindow window(TestWindow::Kind::messageOnly);
    ASSERT_TRUE(window.Handle());
    AppSettings settings;
    settings.hotkeyModifiers = 0;  // as read from the file
    settings.hotkeyVk = VK_F17;
    std::string error;
    EXPECT_FALSE(ApplyHotkey(window.Handle(), settings, settings.hotkeyModifiers, settings.hotkeyVk, error));
    EXPECT_EQ(error, "Could not register F17: include at least one modifier (Ctrl, Alt, Shift, or Win).");
    EXPECT_FALSE(HeldElsewhere(0, VK_F17));

    // Nor does a refused combination fall back to the stored bare key.
    const unsigned modifiers = MOD_ALT | MOD_SHIFT | MOD_WIN;
    TestWindow holder(TestWindow::Kind::messageOnly);
    ASSERT_TRUE(RegisterHotKey(holder.Handle(), 3, modifiers, VK_F17));
    EXPECT_FALSE(ApplyHotkey(window.Handle(), settings, modifiers, VK_F17, error));
    EXPECT_FALSE(HeldElsewhere(0, VK_F17));
    UnregisterHotKey(holder.Handle(), 3);
}

}  // namespace
}  // namespace kw
