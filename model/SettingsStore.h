#pragma once
// The program's own settings document and whether a save may replace it.
//
// A save replaces the document; that is safe only once the program has adopted it: read it,
// kept a copy of it aside, or found none and created it. A document that exists but cannot be
// opened (held without sharing by a virus scanner, a sync client or an editor) is "held": the
// program runs on defaults, and until the document can be read no save writes those defaults
// over the user's rules. Each save, and each Retry, tries the load again.

#include <filesystem>
#include <optional>
#include <string>

#include "model/AppSettings.h"
#include "model/Clock.h"

namespace kw {

struct StoreResult {
    bool replaced = false;  // the settings passed in now hold the document's: apply them all
    std::string message;    // for the status line; empty when there is nothing new to tell
};

class SettingsStore {
public:
    explicit SettingsStore(std::filesystem::path path, const Clock& clock = SystemClock());

    // Start-up load into `settings`: the document's settings, or the defaults when it cannot
    // be read. A missing document is created.
    StoreResult Load(AppSettings& settings);
    // Writes `settings` once the document is adopted. While it is held the load is tried first:
    // a document that reads now replaces `settings` and nothing is written; one that opens but
    // does not parse is copied aside and the save goes ahead; a held one is left as it is.
    StoreResult Save(AppSettings& settings);
    // Tries the load again while held; the result is what a start-up now would give. Nothing
    // to do once adopted.
    StoreResult Retry(AppSettings& settings);

    bool Held() const { return held_.has_value(); }

private:
    enum class HeldReason { in_use, cannot_open, cannot_copy };
    enum class Mode { start, retry, save };

    StoreResult Attempt(AppSettings& settings, Mode mode);
    std::string DocumentName() const;
    std::string HeldText() const;
    std::string NotWrittenText() const;

    std::filesystem::path path_;
    const Clock& clock_;
    std::optional<HeldReason> held_;
};

}  // namespace kw
