#include <gtest/gtest.h>

#include <random>

#include "model/AppFolder.h"
#include "model/SettingsJson.h"
#include "model/TextEncoding.h"
#include "support/SettingsSamples.h"

namespace kw {
namespace {

AppSettings Loaded(const char* text, bool* ok = nullptr) {
    Json document;
    EXPECT_TRUE(ParseSettingsDocument(text, document)) << text;
    AppSettings s;
    const bool result = SettingsFromJson(document, s);
    if (ok) *ok = result;
    return s;
}

// Every field away from its default, so a field the writer or reader forgets shows up.
AppSettings EveryFieldChanged() {
    AppSettings s;
    s.theme = Theme::system;
    s.minimizeToTray = false;
    s.minimizeTarget = MinimizeTarget::taskbar;
    s.startMinimized = true;
    s.startWithWindows = true;
    s.sendToShortcut = true;
    s.explorerMenuVerb = true;
    s.overlayVisible = false;
    s.expandFoldersOnDrop = true;
    s.previewBeforeRouting = true;
    s.overlayX = -1200;
    s.overlayY = 7;
    s.overlayW = 400;
    s.overlayH = 260;
    s.overlayAlpha = 120;
    s.overlayPlaced = true;
    s.trayHintShown = true;
    s.hotkeyModifiers = 0x4006;
    s.hotkeyVk = 0x70;
    s.catchAllPath = "D:\\Sorted\\\xE6\x96\x87\xE6\xA1\xA3";
    s.catchAllConflict = ConflictPolicy::skip;
    s.noMatchPolicy = NoMatchPolicy::unsorted;
    s.autoRename = {AutoRenameMode::suffix_numbered, "old-", "-dup"};
    s.uiFontSize = UiFontSize::larger;
    Rule r;
    r.id = "rule-0a1b2c3d";
    r.name = "Invoices \xE2\x80\x94 2026";
    r.enabled = false;
    r.combineLogic = CombineLogic::any;
    r.anyFileExclusive = false;
    r.action = RuleAction::recycle;
    r.destination = "C:\\Docs";
    r.renameTo = "{modified:yyyy-MM-dd} {name}";
    r.conflict = ConflictPolicy::overwrite;
    RuleClause c;
    c.type = ConditionType::date;
    c.extensions = "jpg png";
    c.sizeOp = SizeOp::less_equal;
    c.sizeBytes = 18446744073709551615ull;
    c.alphaFrom = 'N';
    c.alphaTo = 'Z';
    c.keyword = "tax, \"quoted\" \\ back";
    c.keywordCaseSensitive = true;
    c.dateField = DateField::created;
    c.dateOp = DateOp::newer;
    c.dateDays = -3;
    c.regex = "^IMG_\\d+\t";
    r.clauses = {c, RuleClause{}};
    s.rules = {r, Rule{}};
    s.rules[1].id = "rule-ffffffff";
    s.rules[1].action = RuleAction::rename;  // the last action: every stored name is read back
    s.watching = WatchSettings{{WatchedFolder{"D:\\In", false, true, true, 7, 120}, WatchedFolder{"\\\\nas\\scans"}}, true,
                               false};
    return s;
}

TEST(SettingsJson, EveryFieldSurvivesARoundTrip) {
    const AppSettings original = EveryFieldChanged();
    Json document;
    ASSERT_TRUE(ParseSettingsDocument(SerializeSettings(original), document));
    AppSettings loaded;
    ASSERT_TRUE(SettingsFromJson(document, loaded));
    EXPECT_EQ(loaded, original);
}

TEST(SettingsJson, WritesTheExactStoredFormat) {
    AppSettings s;
    s.catchAllPath = "C:\\KF\\Unsorted";
    Rule r;
    r.id = "rule-00c0ffee";
    r.name = "Caf\xC3\xA9";
    r.destination = "C:\\KF\\PDF";
    s.rules = {r};
    s.watching.folders = {WatchedFolder{"C:\\Users\\me\\Downloads"}};
    const std::string expected = R"({
  "autoRename": {
    "customPrefix": "",
    "customSuffix": "",
    "mode": "numbered"
  },
  "catchAllConflict": "rename",
  "catchAllPath": "C:\\KF\\Unsorted",
  "expandFoldersOnDrop": false,
  "explorerMenuVerb": false,
  "hotkeyModifiers": 3,
  "hotkeyVk": 68,
  "minimizeTarget": "tray",
  "minimizeToTray": true,
  "noMatchPolicy": "leave_in_place",
  "overlayAlpha": 230,
  "overlayH": 200,
  "overlayPlaced": false,
  "overlayVisible": true,
  "overlayW": 320,
  "overlayX": 80,
  "overlayY": 80,
  "previewBeforeRouting": false,
  "rules": [
    {
      "action": "move",
      "anyFileExclusive": true,
      "clauses": [
        {
          "alphaFrom": "A",
          "alphaTo": "M",
          "dateDays": 30,
          "dateField": "modified",
          "dateOp": "older",
          "extensions": ".pdf",
          "keyword": "Invoice",
          "keywordCaseSensitive": false,
          "regex": ".*",
          "sizeBytes": 1048576,
          "sizeOp": 0,
          "type": "extension"
        }
      ],
      "combineLogic": "and",
      "conflict": "rename",
      "destination": "C:\\KF\\PDF",
      "enabled": true,
      "id": "rule-00c0ffee",
      "name": "Café",
      "renameTo": ""
    }
  ],
  "sendToShortcut": false,
  "startMinimized": false,
  "startWithWindows": false,
  "theme": "dark",
  "trayHintShown": false,
  "uiFontSize": "medium",
  "watching": {
    "balloons": true,
    "folders": [
      {
        "enabled": true,
        "includeSubfolders": false,
        "path": "C:\\Users\\me\\Downloads",
        "pollSeconds": 60,
        "routeExisting": false,
        "settleSeconds": 3
      }
    ],
    "paused": false
  }
})";
    EXPECT_EQ(SerializeSettings(s), expected);

    s.rules.clear();
    EXPECT_NE(SerializeSettings(s).find("\n  \"rules\": [],\n"), std::string::npos);
}

TEST(SettingsJson, OutOfRangeEnumerationsAreWrittenAsTheirFirstValue) {
    AppSettings s = test::DefaultSettings();
    s.theme = static_cast<Theme>(9);
    s.autoRename.mode = static_cast<AutoRenameMode>(-1);
    Rule r;
    r.action = static_cast<RuleAction>(5);
    r.clauses[0].type = static_cast<ConditionType>(77);
    r.clauses[0].dateOp = static_cast<DateOp>(3);
    s.rules = {r};
    const Json j = SettingsToJson(s);
    EXPECT_EQ(j["theme"], "dark");
    EXPECT_EQ(j["autoRename"]["mode"], "numbered");
    EXPECT_EQ(j["rules"][0]["action"], "move");
    EXPECT_EQ(j["rules"][0]["clauses"][0]["type"], "extension");
    EXPECT_EQ(j["rules"][0]["clauses"][0]["dateOp"], "older");
}

TEST(SettingsJson, InvalidUtf8IsSavedAsReplacementCharacters) {
    AppSettings s = test::DefaultSettings();
    s.catchAllPath = "C:\\Cut\xE2\x80";  // an em dash cut in half
    Rule r;
    r.name = "bad \xFF name";
    s.rules = {r};
    std::string text;
    ASSERT_NO_THROW(text = SerializeSettings(s));
    EXPECT_EQ(SanitizeUtf8(text), text);
    AppSettings loaded = Loaded(text.c_str());
    EXPECT_EQ(loaded.rules.at(0).name, "bad \xEF\xBF\xBD name");
}

TEST(SettingsJson, ReadsOlderAndPartialDocumentsTolerantly) {
    bool ok = false;
    EXPECT_EQ(Loaded("{}", &ok), test::DefaultSettings());
    EXPECT_TRUE(ok);

    AppSettings s = Loaded(R"({"overlayShowAtLaunch": false})", &ok);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(s.overlayVisible);
    EXPECT_FALSE(SettingsToJson(s).contains("overlayShowAtLaunch"));
    EXPECT_EQ(SettingsToJson(s)["overlayVisible"], false);
    EXPECT_TRUE(Loaded(R"({"overlayShowAtLaunch": false, "overlayVisible": true})").overlayVisible);

    EXPECT_EQ(Loaded(R"({"noMatchPolicy": "stay"})").noMatchPolicy, NoMatchPolicy::leave_in_place);
    EXPECT_EQ(Loaded(R"({"noMatchPolicy": "whatever"})").noMatchPolicy, NoMatchPolicy::unsorted);
    EXPECT_EQ(Loaded(R"({"theme": "Light"})").theme, Theme::dark);
    EXPECT_EQ(Loaded(R"({"catchAllConflict": "skip"})").catchAllConflict, ConflictPolicy::skip);
    EXPECT_EQ(Loaded(R"({"uiFontSize": "larger"})").uiFontSize, UiFontSize::larger);
    EXPECT_EQ(Loaded(R"({"autoRename": {"mode": "letters"}})").autoRename.mode, AutoRenameMode::letters);
    EXPECT_EQ(Loaded(R"({"autoRename": {"mode": "bogus"}})").autoRename.mode, AutoRenameMode::numbered);
    EXPECT_EQ(Loaded(R"({"autoRename": 5, "rules": "none"})", &ok), test::DefaultSettings());
    EXPECT_TRUE(ok);
    EXPECT_EQ(Loaded(R"({"catchAllPath": ""})").catchAllPath, PathToUtf8(DefaultCatchAllPath()));
    EXPECT_EQ(Loaded(R"({"overlayX": 12.9, "overlayY": -3.7, "hotkeyVk": 1e30})").overlayX, 12);
    EXPECT_EQ(Loaded(R"({"overlayY": -3.7})").overlayY, -3);
    EXPECT_EQ(Loaded(R"({"hotkeyVk": 1e30})").hotkeyVk, UINT32_MAX);
    EXPECT_EQ(Loaded(R"({"bogus": [1, 2], "theme": "light"})").theme, Theme::light);
    // Watched folders: entries without a path are dropped, times a watcher cannot use are brought
    // into range, anything but an object under "watching" watches nothing.
    const WatchSettings watching = Loaded(R"({"watching": {"folders": [{"path": "D:\\In", "settleSeconds": 0,
        "pollSeconds": 1}, {"enabled": true}, 3]}})").watching;
    ASSERT_EQ(watching.folders.size(), 1u);
    EXPECT_EQ(watching.folders[0], (WatchedFolder{"D:\\In", true, false, false, 1, 5}));
    EXPECT_EQ(Loaded(R"({"watching": []})", &ok).watching, WatchSettings{});
    EXPECT_TRUE(ok);
}

TEST(SettingsJson, ReadsRulesWithFallbacks) {
    const AppSettings s = Loaded(R"({"rules": [
        {"action": "skip", "name": "Old skip", "clauses": [{"type": "regex", "alphaFrom": "q", "alphaTo": ""}]},
        {"clauses": [], "id": ""},
        {"action": "recycle", "combineLogic": "or", "clauses": [{"type": "nonsense"}, {"alphaFrom": "\u00e4b"}]}
    ]})");
    ASSERT_EQ(s.rules.size(), 3u);
    EXPECT_EQ(s.rules[0].action, RuleAction::leave_in_place);
    EXPECT_EQ(RuleToJson(s.rules[0])["action"], "leave_in_place");
    EXPECT_EQ(s.rules[0].clauses.at(0).type, ConditionType::regex);
    EXPECT_EQ(s.rules[0].clauses[0].alphaFrom, 'Q');
    EXPECT_EQ(s.rules[0].clauses[0].alphaTo, 'M');

    EXPECT_EQ(s.rules[1].name, "Rule");
    EXPECT_EQ(s.rules[1].id.size(), 13u);
    ASSERT_EQ(s.rules[1].clauses.size(), 1u);
    EXPECT_EQ(s.rules[1].clauses[0], RuleClause{});

    EXPECT_EQ(s.rules[2].combineLogic, CombineLogic::any);
    ASSERT_EQ(s.rules[2].clauses.size(), 2u);
    EXPECT_EQ(s.rules[2].clauses[0].type, ConditionType::extension);
    EXPECT_EQ(s.rules[2].clauses[1].alphaFrom, 'A');  // non-ASCII first byte keeps the default
    EXPECT_NE(s.rules[2].id, s.rules[1].id);
}

TEST(SettingsJson, MigratesTheSingleConditionLayout) {
    const AppSettings s = Loaded(R"({"rules": [
        {"name": "Tax", "condition": "keyword", "keyword": "tax", "destination": "D:\\Tax",
         "useSecondCondition": true, "condition2": "extension", "extensions2": ".pdf"},
        {"name": "Second defaults", "condition": "file_size", "sizeOp": 2, "useSecondCondition": true},
        {"name": "Plain", "condition": "alphabetical", "alphaFrom": "n", "alphaTo": "z"}
    ]})");
    ASSERT_EQ(s.rules.size(), 3u);
    ASSERT_EQ(s.rules[0].clauses.size(), 2u);
    EXPECT_EQ(s.rules[0].combineLogic, CombineLogic::all);
    EXPECT_EQ(s.rules[0].clauses[0].type, ConditionType::keyword);
    EXPECT_EQ(s.rules[0].clauses[0].keyword, "tax");
    EXPECT_EQ(s.rules[0].clauses[1].type, ConditionType::extension);
    EXPECT_EQ(s.rules[0].clauses[1].extensions, ".pdf");

    ASSERT_EQ(s.rules[1].clauses.size(), 2u);
    EXPECT_EQ(s.rules[1].clauses[0].sizeOp, SizeOp::less);
    const RuleClause& second = s.rules[1].clauses[1];
    EXPECT_EQ(second.type, ConditionType::keyword);
    EXPECT_EQ(second.keyword, "copy");
    EXPECT_EQ(second.extensions, ".txt");
    EXPECT_EQ(second.sizeOp, SizeOp::greater);

    ASSERT_EQ(s.rules[2].clauses.size(), 1u);
    EXPECT_EQ(s.rules[2].clauses[0].type, ConditionType::alphabetical);
    EXPECT_EQ(s.rules[2].clauses[0].alphaFrom, 'N');
    EXPECT_EQ(s.rules[2].clauses[0].alphaTo, 'Z');

    // The first save completes the migration.
    const Json saved = RuleToJson(s.rules[0]);
    EXPECT_FALSE(saved.contains("condition"));
    EXPECT_FALSE(saved.contains("useSecondCondition"));
    EXPECT_EQ(saved["clauses"].size(), 2u);
}

TEST(SettingsJson, WrongTypesStopTheReadAndKeepWhatCameBefore) {
    bool ok = true;
    AppSettings s = Loaded(R"({"theme": "light", "minimizeToTray": false, "overlayVisible": false,
                               "overlayX": "80", "overlayY": 5, "catchAllPath": "D:\\x"})", &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(s.theme, Theme::light);
    EXPECT_FALSE(s.minimizeToTray);
    EXPECT_FALSE(s.overlayVisible);
    EXPECT_EQ(s.overlayX, 80);
    EXPECT_EQ(s.overlayY, 80);  // after the error: default
    EXPECT_EQ(s.catchAllPath, PathToUtf8(DefaultCatchAllPath()));

    s = Loaded(R"({"rules": [{"name": "kept"}, {"name": "bad", "enabled": 1}, {"name": "never"}]})", &ok);
    EXPECT_FALSE(ok);
    ASSERT_EQ(s.rules.size(), 1u);
    EXPECT_EQ(s.rules[0].name, "kept");

    const char* faulty[] = {
        "[]", "null", "5", R"({"rules": [7]})", R"({"rules": [{"clauses": [1]}]})",
        R"({"startMinimized": null})", R"({"hotkeyVk": true})", R"({"autoRename": {"customPrefix": 3}})",
        R"({"rules": [{"clauses": [{"sizeBytes": "1"}]}]})", R"({"rules": [{"useSecondCondition": true, "dateDays2": "x"}]})",
    };
    for (const char* text : faulty) {
        Loaded(text, &ok);
        EXPECT_FALSE(ok) << text;
    }
}

TEST(SettingsJson, ParsesOnlyTheFirstValue) {
    Json j;
    EXPECT_TRUE(ParseSettingsDocument("{} trailing", j));
    EXPECT_TRUE(j.is_object());
    EXPECT_TRUE(ParseSettingsDocument("\xEF\xBB\xBF{\"theme\": \"light\"}", j));
    EXPECT_EQ(j["theme"], "light");
    EXPECT_FALSE(ParseSettingsDocument("", j));
    EXPECT_FALSE(ParseSettingsDocument("{\"a\": 1 // note\n}", j));
    EXPECT_FALSE(ParseSettingsDocument("{\"a\": \"\xFF\"}", j));
    EXPECT_FALSE(ParseSettingsDocument("{\"a\": ", j));
}

// Thousands of damaged documents: the reader may refuse them but must never throw or crash.
TEST(SettingsJson, SurvivesMutatedDocuments) {
    const std::string seed = SerializeSettings(EveryFieldChanged());
    std::mt19937 random(20261207);
    const char alphabet[] = "{}[]\":,0123456789.-eE truefalsenull\\\x01\xC3\xFF";
    for (int round = 0; round < 3000; ++round) {
        std::string text = seed;
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const size_t at = random() % text.size();
            switch (random() % 4) {
                case 0: text[at] = alphabet[random() % (sizeof alphabet - 1)]; break;
                case 1: text.erase(at, 1 + random() % 16); break;
                case 2: text.insert(at, 1, alphabet[random() % (sizeof alphabet - 1)]); break;
                default: text.insert(at, text.substr(random() % text.size(), random() % 64)); break;
            }
        }
        Json document;
        AppSettings s;
        ASSERT_NO_THROW({
            if (ParseSettingsDocument(text, document)) SettingsFromJson(document, s);
            SerializeSettings(s);
        }) << text;
    }
}

}  // namespace
}  // namespace kw
