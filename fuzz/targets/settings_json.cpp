// The settings document: config.json beside the program, or a backup file the user restores
// (which may come from anywhere).
#include <cstdint>
#include <string>
#include <string_view>

#include "model/SettingsJson.h"
#include "support/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kw;
    Json document;
    if (!ParseSettingsDocument(std::string_view(reinterpret_cast<const char*>(data), size), document)) return 0;
    AppSettings settings;
    SettingsFromJson(document, settings);  // what a faulty document leaves is still saved as is
    // What is saved reads back whole, and saving that again writes the same text.
    const std::string saved = SerializeSettings(settings);
    Json reread;
    KW_FUZZ_CHECK(ParseSettingsDocument(saved, reread));
    AppSettings again;
    KW_FUZZ_CHECK(SettingsFromJson(reread, again));
    KW_FUZZ_CHECK(SerializeSettings(again) == saved);
    return 0;
}
