#include "model/SettingsJson.h"

#include <cmath>
#include <limits>
#include <sstream>

#include "model/AppFolder.h"
#include "model/AsciiCase.h"

namespace kw {
namespace {

// ---- writing ---------------------------------------------------------------------------------

template <typename Enum, size_t N>
const char* StoredName(Enum value, const std::array<const char*, N>& names) {
    const auto index = static_cast<int32_t>(value);
    return (index >= 0 && static_cast<size_t>(index) < N) ? names[static_cast<size_t>(index)] : names[0];
}

constexpr std::array<const char*, 7> kConditionTypeNames = {"extension", "file_size", "alphabetical", "keyword",
                                                            "date",      "regex",     "any_file"};
constexpr std::array<const char*, 2> kCombineLogicNames = {"and", "or"};
constexpr std::array<const char*, 5> kRuleActionNames = {"move", "recycle", "leave_in_place", "copy", "rename"};
constexpr std::array<const char*, 3> kConflictPolicyNames = {"rename", "overwrite", "skip"};
constexpr std::array<const char*, 2> kDateFieldNames = {"modified", "created"};
constexpr std::array<const char*, 2> kDateOpNames = {"older", "newer"};
constexpr std::array<const char*, 3> kThemeNames = {"dark", "light", "system"};
constexpr std::array<const char*, 2> kMinimizeTargetNames = {"tray", "taskbar"};
constexpr std::array<const char*, 2> kNoMatchPolicyNames = {"unsorted", "leave_in_place"};
constexpr std::array<const char*, 3> kUiFontSizeNames = {"medium", "large", "larger"};
constexpr std::array<const char*, 6> kAutoRenameModeNames = {"numbered",    "letters",         "date_suffix",
                                                             "date_prefix", "prefix_numbered", "suffix_numbered"};

std::string Letter(char c) {
    // A single byte outside ASCII cannot stand alone in UTF-8; such a letter is stored as '?'.
    return std::string(1, static_cast<unsigned char>(c) < 0x80 ? c : '?');
}

// ---- reading ---------------------------------------------------------------------------------

[[noreturn]] void WrongType(const char* key, const char* expected) {
    throw Json::type_error::create(302, std::string("member \"") + key + "\" must be " + expected, nullptr);
}

const Json* Member(const Json& j, const char* key) {
    const auto it = j.find(key);
    return it == j.end() ? nullptr : &*it;
}

std::string String(const Json& j, const char* key, std::string fallback) {
    const Json* v = Member(j, key);
    if (!v) return fallback;
    if (!v->is_string()) WrongType(key, "a string");
    return v->get<std::string>();
}

bool Bool(const Json& j, const char* key, bool fallback) {
    const Json* v = Member(j, key);
    if (!v) return fallback;
    if (!v->is_boolean()) WrongType(key, "a boolean");
    return v->get<bool>();
}

// Any JSON number is accepted, its fraction dropped; values outside the field's range wrap
// (integers) or saturate (fractions), never invoking undefined conversions.
template <typename Int>
Int Number(const Json& j, const char* key, Int fallback) {
    const Json* v = Member(j, key);
    if (!v) return fallback;
    if (v->is_number_unsigned()) return static_cast<Int>(v->get<uint64_t>());
    if (v->is_number_integer()) return static_cast<Int>(v->get<int64_t>());
    if (v->is_number_float()) {
        const double d = std::trunc(v->get<double>());
        if (std::isnan(d)) return 0;
        if (d <= static_cast<double>(std::numeric_limits<Int>::min())) return std::numeric_limits<Int>::min();
        if (d >= static_cast<double>(std::numeric_limits<Int>::max())) return std::numeric_limits<Int>::max();
        return static_cast<Int>(d);
    }
    WrongType(key, "a number");
}

char ReadLetter(const Json& j, const char* key, const char* fallbackText, char fallback) {
    const std::string text = String(j, key, fallbackText);
    if (text.empty()) return fallback;
    const char first = text[0];
    // Letters are ASCII only; a non-ASCII first byte keeps the default.
    return static_cast<unsigned char>(first) < 0x80 ? AsciiUpper(first) : fallback;
}

ConditionType ConditionTypeFromName(const std::string& name) {
    for (size_t i = 1; i < kConditionTypeNames.size(); ++i)
        if (name == kConditionTypeNames[i]) return static_cast<ConditionType>(i);
    return ConditionType::extension;
}

ConflictPolicy ConflictFromName(const std::string& name) {
    if (name == "overwrite") return ConflictPolicy::overwrite;
    if (name == "skip") return ConflictPolicy::skip;
    return ConflictPolicy::rename;
}

// The members one clause is read from: the clause object itself, or in the older single-rule
// layout the rule object, with the second condition's members carrying the suffix "2".
struct ClauseSource {
    const char* suffix;
    const char* typeKey;         // "type", then `conditionKey` as its default
    const char* conditionKey;
    RuleClause defaults;
    const char* defaultType;
};

std::string Key(const char* name, const char* suffix) { return std::string(name) + suffix; }

RuleClause ReadClause(const Json& j, const ClauseSource& src) {
    const auto key = [&](const char* name) { return Key(name, src.suffix); };
    RuleClause c = src.defaults;
    std::string typeName = src.defaultType;
    typeName = String(j, src.conditionKey, typeName);
    if (src.typeKey) typeName = String(j, src.typeKey, typeName);
    c.type = ConditionTypeFromName(typeName);

    c.extensions = String(j, key("extensions").c_str(), c.extensions);
    c.sizeOp = static_cast<SizeOp>(Number<int32_t>(j, key("sizeOp").c_str(), static_cast<int32_t>(c.sizeOp)));
    c.sizeBytes = Number<uint64_t>(j, key("sizeBytes").c_str(), c.sizeBytes);
    const char from[2] = {src.defaults.alphaFrom, 0}, to[2] = {src.defaults.alphaTo, 0};
    c.alphaFrom = ReadLetter(j, key("alphaFrom").c_str(), from, 'A');
    c.alphaTo = ReadLetter(j, key("alphaTo").c_str(), to, 'M');
    c.keyword = String(j, key("keyword").c_str(), c.keyword);
    c.keywordCaseSensitive = Bool(j, key("keywordCaseSensitive").c_str(), c.keywordCaseSensitive);
    c.dateField = String(j, key("dateField").c_str(), "modified") == "created" ? DateField::created : DateField::modified;
    c.dateOp = String(j, key("dateOp").c_str(), "older") == "newer" ? DateOp::newer : DateOp::older;
    c.dateDays = Number<int32_t>(j, key("dateDays").c_str(), c.dateDays);
    c.regex = String(j, key("regex").c_str(), c.regex);
    return c;
}

const ClauseSource& ClauseMembers() {
    static const ClauseSource source{"", "type", "condition", RuleClause{}, "extension"};
    return source;
}

const ClauseSource& SecondConditionMembers() {
    static const ClauseSource source = [] {
        RuleClause d;
        d.extensions = ".txt";
        d.keyword = "copy";
        return ClauseSource{"2", nullptr, "condition2", d, "keyword"};
    }();
    return source;
}

}  // namespace

Json ClauseToJson(const RuleClause& c) {
    Json j = Json::object();
    j["type"] = StoredName(c.type, kConditionTypeNames);
    j["extensions"] = c.extensions;
    j["sizeOp"] = static_cast<int32_t>(c.sizeOp);
    j["sizeBytes"] = c.sizeBytes;
    j["alphaFrom"] = Letter(c.alphaFrom);
    j["alphaTo"] = Letter(c.alphaTo);
    j["keyword"] = c.keyword;
    j["keywordCaseSensitive"] = c.keywordCaseSensitive;
    j["dateField"] = StoredName(c.dateField, kDateFieldNames);
    j["dateOp"] = StoredName(c.dateOp, kDateOpNames);
    j["dateDays"] = c.dateDays;
    j["regex"] = c.regex;
    return j;
}

Json RuleToJson(const Rule& r) {
    Json j = Json::object();
    j["id"] = r.id;
    j["name"] = r.name;
    j["enabled"] = r.enabled;
    j["combineLogic"] = StoredName(r.combineLogic, kCombineLogicNames);
    j["anyFileExclusive"] = r.anyFileExclusive;
    j["action"] = StoredName(r.action, kRuleActionNames);
    j["destination"] = r.destination;
    j["renameTo"] = r.renameTo;
    j["conflict"] = StoredName(r.conflict, kConflictPolicyNames);
    Json clauses = Json::array();
    for (const RuleClause& c : r.clauses) clauses.push_back(ClauseToJson(c));
    j["clauses"] = std::move(clauses);
    return j;
}

Json SettingsToJson(const AppSettings& s) {
    Json j = Json::object();
    j["theme"] = StoredName(s.theme, kThemeNames);
    j["minimizeToTray"] = s.minimizeToTray;
    j["minimizeTarget"] = StoredName(s.minimizeTarget, kMinimizeTargetNames);
    j["startMinimized"] = s.startMinimized;
    j["startWithWindows"] = s.startWithWindows;
    j["sendToShortcut"] = s.sendToShortcut;
    j["explorerMenuVerb"] = s.explorerMenuVerb;
    j["overlayVisible"] = s.overlayVisible;
    j["expandFoldersOnDrop"] = s.expandFoldersOnDrop;
    j["previewBeforeRouting"] = s.previewBeforeRouting;
    j["overlayX"] = s.overlayX;
    j["overlayY"] = s.overlayY;
    j["overlayW"] = s.overlayW;
    j["overlayH"] = s.overlayH;
    j["overlayAlpha"] = s.overlayAlpha;
    j["overlayPlaced"] = s.overlayPlaced;
    j["trayHintShown"] = s.trayHintShown;
    j["hotkeyModifiers"] = s.hotkeyModifiers;
    j["hotkeyVk"] = s.hotkeyVk;
    j["catchAllPath"] = s.catchAllPath;
    j["catchAllConflict"] = StoredName(s.catchAllConflict, kConflictPolicyNames);
    j["noMatchPolicy"] = StoredName(s.noMatchPolicy, kNoMatchPolicyNames);
    j["autoRename"] = Json{{"mode", StoredName(s.autoRename.mode, kAutoRenameModeNames)},
                           {"customPrefix", s.autoRename.customPrefix},
                           {"customSuffix", s.autoRename.customSuffix}};
    j["uiFontSize"] = StoredName(s.uiFontSize, kUiFontSizeNames);
    Json rules = Json::array();
    for (const Rule& r : s.rules) rules.push_back(RuleToJson(r));
    j["rules"] = std::move(rules);
    Json folders = Json::array();
    for (const WatchedFolder& f : s.watching.folders)
        folders.push_back(Json{{"path", f.path},
                               {"enabled", f.enabled},
                               {"includeSubfolders", f.includeSubfolders},
                               {"routeExisting", f.routeExisting},
                               {"settleSeconds", f.settleSeconds},
                               {"pollSeconds", f.pollSeconds}});
    j["watching"] = Json{{"folders", std::move(folders)}, {"paused", s.watching.paused}, {"balloons", s.watching.balloons}};
    return j;
}

RuleClause ClauseFromJson(const Json& j) {
    if (!j.is_object()) throw Json::type_error::create(302, "a condition must be an object", nullptr);
    return ReadClause(j, ClauseMembers());
}

Rule RuleFromJson(const Json& j) {
    if (!j.is_object()) throw Json::type_error::create(302, "a rule must be an object", nullptr);
    Rule r;
    r.id = String(j, "id", "");
    if (r.id.empty()) r.id = NewRuleId();  // every loaded rule has an id
    r.name = String(j, "name", "Rule");
    r.enabled = Bool(j, "enabled", true);
    r.combineLogic = String(j, "combineLogic", "and") == "or" ? CombineLogic::any : CombineLogic::all;
    r.anyFileExclusive = Bool(j, "anyFileExclusive", true);
    const std::string action = String(j, "action", "move");
    r.action = action == "recycle"                               ? RuleAction::recycle
               : (action == "leave_in_place" || action == "skip") ? RuleAction::leave_in_place
               : action == "copy"                                 ? RuleAction::copy
               : action == "rename"                               ? RuleAction::rename
                                                                  : RuleAction::move;
    r.destination = String(j, "destination", "");
    r.renameTo = String(j, "renameTo", "");
    r.conflict = ConflictFromName(String(j, "conflict", "rename"));

    r.clauses.clear();
    const Json* clauses = Member(j, "clauses");
    if (clauses && clauses->is_array() && !clauses->empty()) {
        for (const Json& c : *clauses) r.clauses.push_back(ClauseFromJson(c));
    } else {
        // Older layout: one condition in the rule's own members, optionally a second one.
        r.clauses.push_back(ReadClause(j, ClauseMembers()));
        if (Bool(j, "useSecondCondition", false)) r.clauses.push_back(ReadClause(j, SecondConditionMembers()));
    }
    if (r.clauses.empty()) r.clauses.emplace_back();
    return r;
}

bool SettingsFromJson(const Json& j, AppSettings& s) {
    s = AppSettings{};
    EnsureCatchAllPath(s);
    try {
        if (!j.is_object()) throw Json::type_error::create(302, "the document must be an object", nullptr);
        const std::string theme = String(j, "theme", "dark");
        s.theme = theme == "light" ? Theme::light : theme == "system" ? Theme::system : Theme::dark;
        s.minimizeToTray = Bool(j, "minimizeToTray", true);
        s.minimizeTarget = String(j, "minimizeTarget", "tray") == "taskbar" ? MinimizeTarget::taskbar : MinimizeTarget::tray;
        s.startMinimized = Bool(j, "startMinimized", false);
        s.startWithWindows = Bool(j, "startWithWindows", false);
        s.sendToShortcut = Bool(j, "sendToShortcut", false);
        s.explorerMenuVerb = Bool(j, "explorerMenuVerb", false);
        s.overlayVisible = Bool(j, "overlayVisible", Bool(j, "overlayShowAtLaunch", true));
        s.expandFoldersOnDrop = Bool(j, "expandFoldersOnDrop", false);
        s.previewBeforeRouting = Bool(j, "previewBeforeRouting", false);
        s.overlayX = Number<int32_t>(j, "overlayX", 80);
        s.overlayY = Number<int32_t>(j, "overlayY", 80);
        s.overlayW = Number<int32_t>(j, "overlayW", 320);
        s.overlayH = Number<int32_t>(j, "overlayH", 200);
        s.overlayAlpha = Number<int32_t>(j, "overlayAlpha", 230);
        // Documents from before the key was kept hold a position of the user's.
        s.overlayPlaced = Bool(j, "overlayPlaced", j.contains("overlayX"));
        s.trayHintShown = Bool(j, "trayHintShown", false);
        s.hotkeyModifiers = Number<uint32_t>(j, "hotkeyModifiers", 3);
        s.hotkeyVk = Number<uint32_t>(j, "hotkeyVk", 68);
        s.catchAllPath = String(j, "catchAllPath", s.catchAllPath);
        s.catchAllConflict = ConflictFromName(String(j, "catchAllConflict", "rename"));
        const std::string noMatch = String(j, "noMatchPolicy", "leave_in_place");
        s.noMatchPolicy = (noMatch == "leave_in_place" || noMatch == "stay") ? NoMatchPolicy::leave_in_place
                                                                             : NoMatchPolicy::unsorted;
        if (const Json* a = Member(j, "autoRename"); a && a->is_object()) {
            const std::string mode = String(*a, "mode", "numbered");
            s.autoRename.mode = AutoRenameMode::numbered;
            for (size_t i = 1; i < kAutoRenameModeNames.size(); ++i)
                if (mode == kAutoRenameModeNames[i]) s.autoRename.mode = static_cast<AutoRenameMode>(i);
            s.autoRename.customPrefix = String(*a, "customPrefix", "");
            s.autoRename.customSuffix = String(*a, "customSuffix", "");
        }
        const std::string fontSize = String(j, "uiFontSize", "medium");
        s.uiFontSize = fontSize == "large" ? UiFontSize::large : fontSize == "larger" ? UiFontSize::larger : UiFontSize::medium;
        s.rules.clear();
        if (const Json* rules = Member(j, "rules"); rules && rules->is_array())
            for (const Json& r : *rules) s.rules.push_back(RuleFromJson(r));
        // Documents of earlier versions have no "watching": no folder is watched.
        if (const Json* w = Member(j, "watching"); w && w->is_object()) {
            s.watching.paused = Bool(*w, "paused", false);
            s.watching.balloons = Bool(*w, "balloons", true);
            if (const Json* folders = Member(*w, "folders"); folders && folders->is_array())
                for (const Json& f : *folders) {
                    if (!f.is_object()) continue;
                    WatchedFolder folder;
                    folder.path = String(f, "path", "");
                    folder.enabled = Bool(f, "enabled", true);
                    folder.includeSubfolders = Bool(f, "includeSubfolders", false);
                    folder.routeExisting = Bool(f, "routeExisting", false);
                    folder.settleSeconds = Number<int32_t>(f, "settleSeconds", 3);
                    folder.pollSeconds = Number<int32_t>(f, "pollSeconds", 60);
                    if (!folder.path.empty()) s.watching.folders.push_back(Sanitized(std::move(folder)));
                }
        }
        EnsureCatchAllPath(s);
        return true;
    } catch (const std::exception&) {
        EnsureCatchAllPath(s);
        return false;
    }
}

std::string SerializeSettings(const AppSettings& settings) {
    return SettingsToJson(settings).dump(2, ' ', false, Json::error_handler_t::replace);
}

bool ParseSettingsDocument(std::string_view text, Json& out) {
    try {
        // Stream extraction stops after the first complete value, so trailing text is ignored.
        std::istringstream stream{std::string(text)};
        Json parsed;
        stream >> parsed;
        out = std::move(parsed);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace kw
