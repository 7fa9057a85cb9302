#include "model/SettingsStore.h"

#include <windows.h>

#include "model/SettingsFile.h"
#include "model/TextEncoding.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

constexpr char kEmDash[] = "\xE2\x80\x94";

}  // namespace

SettingsStore::SettingsStore(fs::path path, const Clock& clock) : path_(std::move(path)), clock_(clock) {}

StoreResult SettingsStore::Load(AppSettings& settings) {
    held_.reset();
    return Attempt(settings, Mode::start);
}

StoreResult SettingsStore::Retry(AppSettings& settings) {
    if (!held_) return {};
    return Attempt(settings, Mode::retry);
}

StoreResult SettingsStore::Save(AppSettings& settings) {
    StoreResult result;
    if (held_) {
        result = Attempt(settings, Mode::save);
        if (held_ || result.replaced) return result;
    }
    if (!WriteSettingsFile(path_, settings)) result.message = NotWrittenText();
    return result;
}

StoreResult SettingsStore::Attempt(AppSettings& settings, Mode mode) {
    // Read into a scratch copy: while the document stays held, the caller's settings (with any
    // changes the user made meanwhile) stay as they are.
    AppSettings loaded;
    const DocumentRead found = ReadSettingsDocument(path_, loaded, clock_);
    StoreResult result;
    switch (found.state) {
        case DocumentRead::read:
            held_.reset();
            settings = std::move(loaded);
            if (mode != Mode::start) {
                result.replaced = true;
                result.message = DocumentName() + " can be read again " + kEmDash + " its settings are now in use.";
            }
            return result;
        case DocumentRead::missing:
            // Nothing on disk to lose: the document is created, as at any start.
            held_.reset();
            if (mode == Mode::start) settings = std::move(loaded);
            else result.message = DocumentName() + " was gone; it was created with the settings in use.";
            if (mode != Mode::save && !WriteSettingsFile(path_, settings)) result.message = NotWrittenText();
            return result;
        case DocumentRead::invalid: {
            if (found.aside.empty()) {
                held_ = HeldReason::cannot_copy;
                break;
            }
            held_.reset();
            const std::string aside = PathToUtf8(found.aside.filename());
            if (mode == Mode::save) {
                result.message =
                    "Settings saved; " + DocumentName() + " could not be read in full and was kept as " + aside + ".";
                return result;
            }
            settings = std::move(loaded);
            result.replaced = mode == Mode::retry;
            result.message =
                "Settings could not be read in full: a copy of " + DocumentName() + " was kept as " + aside + ".";
            return result;
        }
        case DocumentRead::unopened:
            const bool inUse = found.error == ERROR_SHARING_VIOLATION || found.error == ERROR_LOCK_VIOLATION;
            held_ = inUse ? HeldReason::in_use : HeldReason::cannot_open;
            break;
    }
    if (mode == Mode::start) {
        settings = AppSettings{};
        EnsureCatchAllPath(settings);
        result.message =
            "Settings could not be read: " + HeldText() + " " + kEmDash + " running on defaults until it can be read.";
    } else if (mode == Mode::save) {
        result.message = "Settings not saved: " + HeldText() + ".";
    }
    return result;
}

std::string SettingsStore::DocumentName() const { return PathToUtf8(path_.filename()); }

std::string SettingsStore::NotWrittenText() const {
    return "Settings not saved: " + DocumentName() + " could not be written.";
}

std::string SettingsStore::HeldText() const {
    switch (*held_) {
        case HeldReason::in_use: return DocumentName() + " is in use by another program";
        case HeldReason::cannot_copy: return DocumentName() + " is damaged and could not be copied aside";
        case HeldReason::cannot_open: break;
    }
    return DocumentName() + " cannot be opened";
}

}  // namespace kw
