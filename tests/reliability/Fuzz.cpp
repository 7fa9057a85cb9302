// Fuzzing under a time budget: mutated settings documents through the start-up load and the
// restore, random rules and names through rule selection and the item step, random regular
// expressions. Nothing may throw past these functions, crash, or lose the scratch file. Also
// times one catastrophic pattern on growing names: how long a single item can hold up a batch.

#include <windows.h>

#include <chrono>
#include <cstdio>

#include "matching/RuleSelection.h"
#include "model/SettingsFile.h"
#include "model/SettingsJson.h"
#include "model/TextEncoding.h"
#include "reliability/Campaign.h"
#include "routing/FileTree.h"
#include "routing/ItemActions.h"

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

namespace campaign {
namespace {

double Seconds(SteadyClock::time_point since) {
    return std::chrono::duration<double>(SteadyClock::now() - since).count();
}

const char* const kRegexPieces[] = {"a", "b", ".", "*", "+", "?", "(", ")", "[", "]", "^", "$", "|", "\\", "{2,}",
                                    "{1,3}", "(?:", "(?=", "\\d", "\\w", "[^a]", "(a+)+", "(a|a)*", "\xC3\xA9", "-"};
const char* const kJsonPieces[] = {"{", "}", "[", "]", ",", ":", "\"", "\\u0000", "\\ud800", "null", "true", "-1",
                                   "1e999", "99999999999999999999", "\"rules\"", "\"clauses\"", "\"type\"", "\xFF",
                                   "\xC3", "\"conflict\":", "\"version\":", "{}", "[]", "\"\"", "\n", "/*"};

template <size_t N>
std::string Pieces(std::mt19937& random, const char* const (&pieces)[N], int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += pieces[random() % N];
    return text;
}

std::string Mutate(std::mt19937& random, std::string text) {
    const int edits = 1 + static_cast<int>(random() % 6);
    for (int e = 0; e < edits && !text.empty(); ++e) {
        const size_t at = random() % text.size();
        switch (random() % 5) {
            case 0: text[at] = static_cast<char>(text[at] ^ (1 << (random() % 8))); break;
            case 1: text.erase(at, random() % 40); break;
            case 2: text.insert(at, Pieces(random, kJsonPieces, 1 + static_cast<int>(random() % 3))); break;
            case 3: text.insert(at, text.substr(random() % text.size(), random() % 200)); break;
            default: text.resize(at); break;
        }
    }
    return text;
}

std::wstring RandomName(std::mt19937& random, size_t maxLength) {
    static const wchar_t kChars[] = L"aAbB.-_ %#;()[]{}'!~ 0123456789\u00e9\u0416\u6587";
    std::wstring name;
    const size_t length = 1 + random() % maxLength;
    for (size_t i = 0; i < length; ++i) name += kChars[random() % (sizeof kChars / sizeof kChars[0] - 1)];
    if (name.back() == L'.' || name.back() == L' ') name.back() = L'x';
    return name;
}

kw::Rule RandomRule(std::mt19937& random, const fs::path& scratch) {
    kw::Rule rule;
    rule.name = "fuzz-" + std::to_string(random() % 1000);
    rule.enabled = random() % 8 != 0;
    rule.clauses.clear();
    const int clauses = static_cast<int>(random() % 4);
    for (int i = 0; i < clauses; ++i) {
        kw::RuleClause c;
        c.type = static_cast<kw::ConditionType>(static_cast<int>(random() % 9) - 1);  // out-of-range values too
        c.extensions = Pieces(random, kRegexPieces, static_cast<int>(random() % 4)) + ";.txt, .a";
        c.sizeOp = static_cast<kw::SizeOp>(static_cast<int>(random() % 7) - 1);
        c.sizeBytes = random() % 3 ? random() % 100 : ~0ull;
        c.alphaFrom = static_cast<char>(random());
        c.alphaTo = static_cast<char>(random());
        c.keyword = Pieces(random, kRegexPieces, static_cast<int>(random() % 4));
        c.keywordCaseSensitive = random() % 2;
        c.dateField = static_cast<kw::DateField>(static_cast<int>(random() % 4) - 1);
        c.dateOp = static_cast<kw::DateOp>(static_cast<int>(random() % 4) - 1);
        c.dateDays = static_cast<int32_t>(random());
        c.regex = Pieces(random, kRegexPieces, static_cast<int>(random() % 8));
        rule.clauses.push_back(c);
    }
    rule.combineLogic = static_cast<kw::CombineLogic>(static_cast<int>(random() % 4) - 1);
    rule.anyFileExclusive = random() % 2;
    // Never the Recycle Bin: the scratch file must stay countable.
    rule.action = random() % 3 ? kw::RuleAction::move : kw::RuleAction::leave_in_place;
    rule.destination = random() % 6 ? kw::PathToUtf8(scratch / (L"d" + std::to_wstring(random() % 3))) : "";
    rule.conflict = static_cast<kw::ConflictPolicy>(static_cast<int>(random() % 5) - 1);
    return rule;
}

// Files anywhere below the folder.
int CountFiles(const std::wstring& folder) {
    int files = 0;
    for (const std::wstring& name : ListFolder(folder)) {
        const std::wstring child = folder + L"\\" + name;
        files += (GetFileAttributesW(child.c_str()) & FILE_ATTRIBUTE_DIRECTORY) ? CountFiles(child) : 1;
    }
    return files;
}

}  // namespace

int Fuzz(double seconds, const fs::path& root) {
    std::mt19937 random(20261207);
    const fs::path documents = root / L"documents", scratch = root / L"items";
    fs::create_directories(documents);
    fs::create_directories(scratch);
    int escaped = 0, lostFiles = 0, loads = 0, selections = 0, steps = 0;
    double slowest = 0;

    kw::AppSettings base;
    for (int i = 0; i < 6; ++i) base.rules.push_back(RandomRule(random, scratch));
    const std::string seed = kw::SerializeSettings(base);
    const auto start = SteadyClock::now();
    const double share = seconds / 3;

    while (Seconds(start) < share) {
        const fs::path path = documents / L"config.json";
        const std::string text = Mutate(random, seed);
        try {
            for (const std::wstring& name : ListFolder(documents)) DeleteFileW((documents / name).c_str());
            WriteBytes(path, text);
            kw::AppSettings loaded, restored;
            std::string error;
            kw::LoadSettingsFile(path, loaded);
            WriteBytes(documents / L"restore.json", text);
            kw::RestoreSettingsFile(documents / L"restore.json", restored, error);
            kw::SerializeSettings(loaded);
        } catch (const std::exception& e) {
            ++escaped;
            std::printf("  load/restore threw: %s\n", e.what());
        }
        ++loads;
    }
    while (Seconds(start) < 2 * share) {
        kw::AppSettings settings;
        const int rules = static_cast<int>(random() % 5);
        for (int i = 0; i < rules; ++i) settings.rules.push_back(RandomRule(random, scratch));
        settings.noMatchPolicy = static_cast<kw::NoMatchPolicy>(static_cast<int>(random() % 3));
        settings.catchAllPath = kw::PathToUtf8(scratch / L"unsorted");
        settings.catchAllConflict = static_cast<kw::ConflictPolicy>(static_cast<int>(random() % 4));
        try {
            const auto began = SteadyClock::now();
            kw::SelectRule(settings, scratch / RandomName(random, 16));
            slowest = std::max(slowest, Seconds(began));
            ++selections;
            // The item step on a real file: afterwards it exists exactly once, wherever it went.
            kw::DeleteTree(scratch);
            fs::create_directories(scratch);
            const fs::path item = scratch / RandomName(random, 40);
            WriteBytes(item, RandomBytes(random, random() % 100));
            kw::BatchCache batch(settings);
            const kw::RouteItemResult r = kw::RouteItem(item, batch);
            const int files = CountFiles(kw::ExtendedPath(scratch));
            if (files != 1) {
                ++lostFiles;
                std::printf("  item step left %d files: %s -> %s: %s\n", files, r.source.c_str(), r.target.c_str(),
                            r.message.c_str());
            }
            ++steps;
        } catch (const std::exception& e) {
            ++escaped;
            std::printf("  selection/item step threw: %s\n", e.what());
        }
    }
    std::printf("fuzz: %d documents, %d selections (slowest %.3f s), %d item steps\n", loads, selections, slowest, steps);

    // The catastrophic case: nested quantifiers on a name of many 'a's that finally fails.
    kw::AppSettings settings;
    kw::Rule rule;
    rule.clauses[0].type = kw::ConditionType::regex;
    rule.clauses[0].regex = "(a+)+$";
    rule.destination = kw::PathToUtf8(scratch / L"never");
    settings.rules = {rule};
    double worst = 0;
    int worstLength = 0;
    for (int length = 16; length <= 40; ++length) {
        const auto began = SteadyClock::now();
        kw::SelectRule(settings, scratch / (std::wstring(length, L'a') + L"!"));
        const double took = Seconds(began);
        if (took > worst) worst = took, worstLength = length;
        std::printf("  (a+)+$ on %d 'a's and '!': %.3f s\n", length, took);
        if (took > 3) break;  // each further 'a' doubles it
    }
    std::printf("RESULT fuzz: %d documents, %d selections, %d item steps, escaped %d, item step lost %d, "
                "catastrophic regex worst %.2f s at %d characters\n",
                loads, selections, steps, escaped, lostFiles, worst, worstLength);
    return escaped + lostFiles == 0 ? 0 : 1;
}

}  // namespace campaign
