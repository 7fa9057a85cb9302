#include "ui/FrameSettling.h"

#include <imgui.h>
#include <imgui_internal.h>

namespace kw {
namespace {

// FNV-1a over the bytes of the draw lists.
struct Fnv {
    uint64_t value = 1469598103934665603ull;
    void Add(const void* data, size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) value = (value ^ p[i]) * 1099511628211ull;
    }
};

}  // namespace

void FrameSettling::Invalidate() {
    settled = false;
    oneFrame = false;
    frames = 0;
}

void FrameSettling::FrameDrawn() {
    const uint64_t hash = CurrentDrawHash();
    ++frames;
    if ((frames >= 2 && hash == lastHash) || frames >= kMaxFrames || oneFrame) settled = true;
    oneFrame = false;
    lastHash = hash;
}

uint64_t CurrentDrawHash() {
    Fnv fnv;
    const ImDrawData* data = ImGui::GetCurrentContext() ? ImGui::GetDrawData() : nullptr;
    if (!data) return fnv.value;
    fnv.Add(&data->DisplaySize, sizeof data->DisplaySize);
    for (const ImDrawList* list : data->CmdLists) {
        fnv.Add(list->VtxBuffer.Data, static_cast<size_t>(list->VtxBuffer.Size) * sizeof(ImDrawVert));
        fnv.Add(list->IdxBuffer.Data, static_cast<size_t>(list->IdxBuffer.Size) * sizeof(ImDrawIdx));
        for (const ImDrawCmd& command : list->CmdBuffer) {
            fnv.Add(&command.ClipRect, sizeof command.ClipRect);
            fnv.Add(&command.TextureId, sizeof command.TextureId);
            fnv.Add(&command.ElemCount, sizeof command.ElemCount);
        }
    }
    return fnv.value;
}

ImGuiAwaits WhatImGuiAwaits() {
    const ImGuiContext* g = ImGui::GetCurrentContext();
    if (!g) return ImGuiAwaits::nothing;
    // With io.ConfigInputTrickleEventQueue (on by default) events of one frame are spread over
    // several ("button down + up", and a key's down and up around its character); what is left
    // waits in this queue. The queue and the hover-delay fields below are imgui_internal.h's: read
    // only, and checked against each new Dear ImGui by FrameSettlingTest.
    if (!g->InputEventsQueue.empty()) return ImGuiAwaits::input;
    // An item asked for a delayed hover (a tooltip) this frame: until the pointer has rested on it
    // long enough to unlock it and the longest delay has passed, later frames may show more.
    const ImGuiID id = g->HoverItemDelayId;
    if (id != 0 && (g->HoverItemUnlockedStationaryId != id || g->HoverItemDelayTimer < g->Style.HoverDelayNormal))
        return ImGuiAwaits::hover;
    return ImGuiAwaits::nothing;
}

}  // namespace kw
