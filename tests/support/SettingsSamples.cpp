#include "support/SettingsSamples.h"

#include "model/AppSettings.h"

namespace kw::test {

AppSettings DefaultSettings() {
    AppSettings s;
    EnsureCatchAllPath(s);
    return s;
}

AppSettings SettingsWithRule(const char* name) {
    AppSettings s = DefaultSettings();
    Rule r;
    r.id = "rule-12345678";
    r.name = name;
    s.rules = {r};
    return s;
}

}  // namespace kw::test
