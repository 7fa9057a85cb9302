#pragma once
// The JSON form of the settings document (config.json and backup files).
//
// Writing produces every field, always, with enumerations as their stored strings. Reading is
// tolerant: a missing key gives the default, an unknown string gives the enumeration's first
// value, older documents are migrated; a key present with the wrong JSON type is an error.

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "model/AppSettings.h"

namespace kw {

using Json = nlohmann::json;  // std::map objects: members come out sorted by key at every level

Json ClauseToJson(const RuleClause& clause);
Json RuleToJson(const Rule& rule);
Json SettingsToJson(const AppSettings& settings);

// Throw nlohmann::json::exception on a member of the wrong type; SettingsFromJson catches it.
RuleClause ClauseFromJson(const Json& j);
Rule RuleFromJson(const Json& j);

// Resets `settings` to the defaults and reads the document into it. On an error returns false
// and leaves what was read before the error, defaults after it, and the rules completed before
// the faulty one. Never throws.
bool SettingsFromJson(const Json& j, AppSettings& settings);

// The stored text: 2-space indent, LF, no final newline, non-ASCII as UTF-8. Ill-formed UTF-8
// in a field is written as U+FFFD rather than failing the save.
std::string SerializeSettings(const AppSettings& settings);

// Parses the first JSON value of the text (a UTF-8 byte-order mark is skipped, text after the
// value is ignored, comments are not allowed). Returns false when it is not JSON.
bool ParseSettingsDocument(std::string_view text, Json& out);

}  // namespace kw
