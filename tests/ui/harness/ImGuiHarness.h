#pragma once
// Runs Dear ImGui frames in the test process without a window or renderer and plays a user's
// mouse and keyboard input into them. The test build of ImGui reports every item it adds
// (id, label, rectangle) through its test-engine hooks; the harness keeps the items of the
// last frame so a test can find a widget by its label and click or type into it.

#include <imgui.h>
#include <imgui_internal.h>

#include <functional>
#include <string>
#include <vector>

namespace kw::test {

struct RecordedItem {
    ImGuiID id = 0;
    std::string label;  // as given to the widget, "##" suffix included
    ImRect rect;
    ImGuiID seed = 0;  // the id scope the item was added in
};

class ImGuiHarness {
public:
    // `draw` is called once per frame between NewFrame and Render.
    explicit ImGuiHarness(std::function<void()> draw, ImVec2 displaySize = ImVec2(1180, 1800));
    ~ImGuiHarness();
    ImGuiHarness(const ImGuiHarness&) = delete;
    ImGuiHarness& operator=(const ImGuiHarness&) = delete;

    void Frame(int count = 1);

    // The last item of the previous frame whose label is `label`, or whose visible part
    // (before "##") is; null when there is none. Later items win, so a popup's entry is found
    // before a button of the same name beneath it.
    const RecordedItem* Find(const std::string& label) const;
    bool Has(const std::string& label) const { return Find(label) != nullptr; }
    // Every item of the previous frame with that label (or visible part), in drawing order.
    std::vector<RecordedItem> FindAll(const std::string& label) const;
    // True when the previous frame drew `text` (labels and plain texts alike) before any open popup.
    bool Shows(const std::string& text) const { return shown_.find(text) != std::string::npos; }
    const std::string& ShownText() const { return shown_; }
    // Labels of the previous frame in drawing order (for failure messages).
    std::string Labels() const;

    void MoveTo(ImVec2 point);
    // Left click (or right click) in the middle of the item; fails the test if it is missing.
    void Click(const std::string& label, ImGuiMouseButton button = ImGuiMouseButton_Left);
    // Left click on the n-th (0-based) item of that label.
    void ClickNth(const std::string& label, size_t n);
    void ClickAt(ImVec2 point, ImGuiMouseButton button = ImGuiMouseButton_Left);
    // Two left clicks in the middle of the item, quick enough to count as a double-click.
    void DoubleClick(const std::string& label);
    // Clicks the field, selects all of its text and types `text` over it (no Enter).
    void TypeInto(const std::string& label, const std::string& text);
    // Types UTF-8 text one character (code point) at a time, as the keyboard would.
    void TypeText(const std::string& text);
    void PressKey(ImGuiKey key);
    // A key with modifiers held, as ImGuiMod_Ctrl | ImGuiKey_Z: the modifiers go down first and up last.
    void PressChord(ImGuiKeyChord chord);
    void PressEnter() { PressKey(ImGuiKey_Enter); }
    // Opens the combo `combo` and picks `item` from its list.
    void Choose(const std::string& combo, const std::string& item);
    void ChooseNth(const std::string& combo, size_t n, const std::string& item);
    // Presses the mouse on `from`, drags it over `to` and lets go there.
    void Drag(const std::string& from, const std::string& to);
    void DragBetween(ImVec2 from, ImVec2 to);

private:
    std::function<void()> draw_;
    ImGuiContext* context_ = nullptr;
    std::vector<RecordedItem> previous_;
    std::string shown_;
    std::string logged_;

public:
    // Filled by the hooks while a frame runs.
    std::vector<RecordedItem> current;
};

}  // namespace kw::test
