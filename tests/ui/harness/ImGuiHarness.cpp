#include "ui/harness/ImGuiHarness.h"

#include <gtest/gtest.h>

#include <cstdarg>

namespace kw::test {
namespace {

ImGuiHarness* g_active = nullptr;  // the hooks below have no user pointer of their own

ImVec2 Centre(const ImRect& r) { return ImVec2((r.Min.x + r.Max.x) / 2, (r.Min.y + r.Max.y) / 2); }

// Some widgets (combos among them) never report their label; their id still is the label
// hashed in the scope they were added in.
bool IdMatches(const RecordedItem& item, const std::string& label) {
    return item.label.empty() && item.seed != 0 && ImHashStr(label.c_str(), 0, item.seed) == item.id;
}

std::string Visible(const std::string& label) {
    const size_t hashes = label.find("##");
    return hashes == std::string::npos ? label : label.substr(0, hashes);
}

}  // namespace

ImGuiHarness::ImGuiHarness(std::function<void()> draw, ImVec2 displaySize) : draw_(std::move(draw)) {
    context_ = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    io.DisplaySize = displaySize;
    io.DeltaTime = 1.0f / 60.0f;
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    context_->TestEngineHookItems = true;
    io.ClipboardUserData = this;
    io.SetClipboardTextFn = [](void* self, const char* text) { static_cast<ImGuiHarness*>(self)->logged_ += text; };
    g_active = this;
    Frame();
}

ImGuiHarness::~ImGuiHarness() {
    g_active = nullptr;
    ImGui::DestroyContext(context_);
}

void ImGuiHarness::Frame(int count) {
    for (int i = 0; i < count; ++i) {
        ImGui::SetCurrentContext(context_);
        current.clear();
        ImGui::NewFrame();
        // ImGui's text log collects every text the frame renders and hands it to the
        // clipboard when a top-level window ends; the clipboard here is `logged_`. (A popup
        // also ends the log, so texts drawn after an open popup are not seen.)
        logged_.clear();
        ImGui::LogToClipboard();
        draw_();
        ImGui::LogFinish();
        shown_ = logged_;
        ImGui::Render();
        previous_ = current;
    }
}

const RecordedItem* ImGuiHarness::Find(const std::string& label) const {
    for (auto it = previous_.rbegin(); it != previous_.rend(); ++it)
        if (it->label == label) return &*it;
    for (auto it = previous_.rbegin(); it != previous_.rend(); ++it)
        if (!it->label.empty() && Visible(it->label) == label) return &*it;
    for (auto it = previous_.rbegin(); it != previous_.rend(); ++it)
        if (IdMatches(*it, label)) return &*it;
    return nullptr;
}

std::vector<RecordedItem> ImGuiHarness::FindAll(const std::string& label) const {
    std::vector<RecordedItem> found;
    for (const RecordedItem& item : previous_)
        if (item.label == label || (!item.label.empty() && Visible(item.label) == label) || IdMatches(item, label))
            found.push_back(item);
    return found;
}

void ImGuiHarness::ClickNth(const std::string& label, size_t n) {
    const std::vector<RecordedItem> found = FindAll(label);
    ASSERT_LT(n, found.size()) << "no item \"" << label << "\" #" << n << " among " << Labels();
    ClickAt(Centre(found[n].rect));
}

std::string ImGuiHarness::Labels() const {
    std::string text;
    for (const RecordedItem& item : previous_)
        if (!item.label.empty()) {
            text += "[";
            text += item.label;
            text += "] ";
        }
    return text;
}

void ImGuiHarness::MoveTo(ImVec2 point) {
    ImGui::GetIO().AddMousePosEvent(point.x, point.y);
    Frame();
}

void ImGuiHarness::ClickAt(ImVec2 point, ImGuiMouseButton button) {
    MoveTo(point);
    ImGui::GetIO().AddMouseButtonEvent(button, true);
    Frame();
    ImGui::GetIO().AddMouseButtonEvent(button, false);
    // One more frame, so that what the click changed is drawn before the next step looks.
    Frame(2);
}

void ImGuiHarness::Click(const std::string& label, ImGuiMouseButton button) {
    const RecordedItem* item = Find(label);
    ASSERT_NE(item, nullptr) << "no item \"" << label << "\" among " << Labels();
    ClickAt(Centre(item->rect), button);
}

void ImGuiHarness::DoubleClick(const std::string& label) {
    const RecordedItem* item = Find(label);
    ASSERT_NE(item, nullptr) << "no item \"" << label << "\" among " << Labels();
    MoveTo(Centre(item->rect));
    ImGuiIO& io = ImGui::GetIO();
    for (int click = 0; click < 2; ++click) {
        io.AddMouseButtonEvent(ImGuiMouseButton_Left, true);
        Frame();
        io.AddMouseButtonEvent(ImGuiMouseButton_Left, false);
        Frame();
    }
    Frame();
}

void ImGuiHarness::TypeText(const std::string& text) {
    ImGui::GetIO().AddInputCharactersUTF8(text.c_str());
    Frame();
}

void ImGuiHarness::TypeInto(const std::string& label, const std::string& text) {
    Click(label);
    ImGuiIO& io = ImGui::GetIO();
    io.AddKeyEvent(ImGuiMod_Ctrl, true);
    io.AddKeyEvent(ImGuiKey_A, true);
    Frame();
    io.AddKeyEvent(ImGuiKey_A, false);
    io.AddKeyEvent(ImGuiMod_Ctrl, false);
    Frame();
    if (text.empty()) PressKey(ImGuiKey_Delete);
    else TypeText(text);
}

void ImGuiHarness::PressKey(ImGuiKey key) {
    ImGui::GetIO().AddKeyEvent(key, true);
    Frame();
    ImGui::GetIO().AddKeyEvent(key, false);
    Frame();
}

void ImGuiHarness::PressChord(ImGuiKeyChord chord) {
    ImGuiIO& io = ImGui::GetIO();
    const ImGuiKey key = static_cast<ImGuiKey>(chord & ~ImGuiMod_Mask_);
    const auto mods = [&](bool down) {
        if (chord & ImGuiMod_Ctrl) io.AddKeyEvent(ImGuiMod_Ctrl, down);
        if (chord & ImGuiMod_Shift) io.AddKeyEvent(ImGuiMod_Shift, down);
        if (chord & ImGuiMod_Alt) io.AddKeyEvent(ImGuiMod_Alt, down);
    };
    mods(true);
    io.AddKeyEvent(key, true);
    Frame();
    io.AddKeyEvent(key, false);
    mods(false);
    Frame();
}

void ImGuiHarness::Choose(const std::string& combo, const std::string& item) {
    Click(combo);
    Click(item);
}

void ImGuiHarness::ChooseNth(const std::string& combo, size_t n, const std::string& item) {
    ClickNth(combo, n);
    Click(item);
}

void ImGuiHarness::DragBetween(ImVec2 from, ImVec2 to) {
    ImGuiIO& io = ImGui::GetIO();
    MoveTo(from);
    io.AddMouseButtonEvent(ImGuiMouseButton_Left, true);
    Frame();
    // Past the drag threshold first, then over the target in a few steps.
    MoveTo(ImVec2(from.x, from.y + (to.y >= from.y ? 12.0f : -12.0f)));
    for (int step = 1; step <= 4; ++step)
        MoveTo(ImVec2(from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4));
    io.AddMouseButtonEvent(ImGuiMouseButton_Left, false);
    Frame(2);
}

void ImGuiHarness::Drag(const std::string& from, const std::string& to) {
    const RecordedItem* source = Find(from);
    const RecordedItem* target = Find(to);
    ASSERT_NE(source, nullptr) << "no item \"" << from << "\" among " << Labels();
    ASSERT_NE(target, nullptr) << "no item \"" << to << "\" among " << Labels();
    DragBetween(Centre(source->rect), Centre(target->rect));
}

}  // namespace kw::test

// The hooks the test build of Dear ImGui calls for every item.
void ImGuiTestEngineHook_ItemAdd(ImGuiContext* ctx, ImGuiID id, const ImRect& bb, const ImGuiLastItemData*) {
    if (!kw::test::g_active) return;
    ImGuiWindow* window = ctx->CurrentWindow;
    const ImGuiID seed = window && !window->IDStack.empty() ? window->IDStack.back() : 0;
    kw::test::g_active->current.push_back(kw::test::RecordedItem{id, std::string(), bb, seed});
}

void ImGuiTestEngineHook_ItemInfo(ImGuiContext*, ImGuiID id, const char* label, ImGuiItemStatusFlags) {
    if (!kw::test::g_active || !label) return;
    auto& items = kw::test::g_active->current;
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        if (it->id == id) {
            it->label = label;
            return;
        }
    }
}

void ImGuiTestEngineHook_Log(ImGuiContext*, const char*, ...) {}

const char* ImGuiTestEngine_FindItemDebugLabel(ImGuiContext*, ImGuiID) { return nullptr; }
