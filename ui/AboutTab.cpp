#include "ui/AboutTab.h"

#include <imgui.h>

#include "model/AppFolder.h"
#include "model/DataFolder.h"
#include "model/TextEncoding.h"
#include "shell/ProgramVersion.h"

namespace kw {
namespace {

void PlaceRow(const char* what, const std::filesystem::path& where) {
    ImGui::TextDisabled("%s", what);
    ImGui::SameLine();
    ImGui::TextWrapped("%s", PathToUtf8(where).c_str());
}

}  // namespace

AboutFacts RunningProgramFacts(const std::filesystem::path& logFile) {
    AboutFacts facts;
    facts.version = ProgramVersion();
    facts.settingsFile = ConfigPath();
    facts.logFile = logFile;
    facts.historyFolder = DataFolder().folder;
    return facts;
}

void DrawAboutTab(const AboutFacts& facts, const std::function<void(const std::string&)>& reveal) {
    ImGui::BeginChild("about_scroll", ImVec2(0.0f, 0.0f));  // scrolls in a small window
    ImGui::Dummy(ImVec2(0.0f, 8.0f));
    ImGui::Text("Kestrane Fileweir");
    ImGui::SameLine();
    ImGui::TextDisabled("version %s", facts.version.c_str());
    ImGui::Separator();
    ImGui::Spacing();
    ImGui::TextWrapped(
        "Drag files onto the floating drop zone and they are moved to folders by your rules \xE2\x80\x94 by "
        "extension, size, name, date, keyword or a name pattern.");
    ImGui::Spacing();
    ImGui::TextWrapped(
        "The drop zone can be shown and hidden with a hotkey. Large batches are moved in the background: you can "
        "keep using the window, and cancel, while they run.");
    ImGui::Spacing();
    ImGui::Separator();
    ImGui::Text("Where your settings and records are kept");
    PlaceRow("Settings:", facts.settingsFile);
    PlaceRow("Activity log:", facts.logFile);
    PlaceRow("History (for undo):", facts.historyFolder);
    ImGui::TextWrapped(
        "The program is portable: copy or move its folder and everything comes along. To remove it, turn off "
        "\"Start with Windows\" and delete the folder.");
    if (ImGui::Button("Open settings folder") && reveal) reveal(PathToUtf8(facts.settingsFile));
    ImGui::Spacing();
    ImGui::Separator();
    ImGui::TextDisabled("Kestrane Fileweir \xE2\x80\x94 made by the Kestrane Fileweir team.");
    ImGui::EndChild();
}

}  // namespace kw
