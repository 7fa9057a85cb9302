// The texts of the user's names that the settings window shows (log lines, rules, folders,
// plans, typed text), noted for the render host where they are set: it adds the glyphs the
// embedded font lacks from the system's fonts, character by character, off the window thread.

#include <utility>

#include "app/App.h"
#include "model/TextEncoding.h"

namespace kw {

void App::NoteSettingsTexts() {
    renderHost.NoteText(settings.catchAllPath);
    renderHost.NoteText(settings.autoRename.customPrefix);
    renderHost.NoteText(settings.autoRename.customSuffix);
    for (const Rule& rule : settings.rules) {
        renderHost.NoteText(rule.name);
        renderHost.NoteText(rule.destination);
        renderHost.NoteText(rule.renameTo);
        for (const RuleClause& clause : rule.clauses) {
            renderHost.NoteText(clause.extensions);
            renderHost.NoteText(clause.keyword);
            renderHost.NoteText(clause.regex);
        }
    }
    for (const WatchedFolder& folder : settings.watching.folders) renderHost.NoteText(folder.path);
}

void App::NoteFrameTexts() {
    renderHost.NoteText(statusText);
    renderHost.NoteText(folderWarning);
    // Lines the search of the whole log found (older than the recent ones) since the last frame.
    const std::vector<std::string>& found = uiState.activity.found;
    if (found.size() < notedSearchLines) notedSearchLines = 0;  // a new search
    for (; notedSearchLines < found.size(); ++notedSearchLines) renderHost.NoteText(found[notedSearchLines]);
}

void App::NoteTypedCharacter(wchar_t unit) {
    // WM_CHAR brings a character beyond the BMP (an emoji) as two messages, one per surrogate.
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        typedHighSurrogate = unit;
        return;
    }
    std::wstring text;
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
        if (typedHighSurrogate) text = {std::exchange(typedHighSurrogate, 0), unit};
    } else {
        text = {unit};
        typedHighSurrogate = 0;
    }
    if (!text.empty()) renderHost.NoteText(ToUtf8(text));
}

}  // namespace kw
