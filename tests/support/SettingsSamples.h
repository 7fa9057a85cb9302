#pragma once
// Settings documents the settings tests start from.

#include "model/AppSettings.h"

namespace kw::test {

// What a first start makes: every default, the catch-all folder filled in.
AppSettings DefaultSettings();
// The defaults with one rule of this name (and a fixed id, so documents compare equal).
AppSettings SettingsWithRule(const char* name);

}  // namespace kw::test
