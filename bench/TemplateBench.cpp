// Destination templates: what building each item's destination adds to selecting its rule.
// Prints RESULT lines. Usage: TemplateBench.exe [names] [photos]
//   1. selection plus a name-only template ("{client}\{first}\{name}_{ext}", a group of the
//      rule's pattern among them) behind 50 rules that never match: items per second (target:
//      the same >= 20,000 as selection alone)
//      and the same with a name-only "Rename to" instead
//   2. a date-taken template ("{taken:yyyy}\{taken:MM}") on photos of 200 KB each whose EXIF
//      data is read from their first part: time per item
//   3. the EXIF reader on hostile variants of such a photo (cut short, bytes flipped): the
//      slowest item

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "matching/PhotoDate.h"
#include "matching/RuleSelection.h"
#include "model/TextEncoding.h"
#include "routing/FileTree.h"

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

namespace {

double Seconds(SteadyClock::time_point since) {
    return std::chrono::duration<double>(SteadyClock::now() - since).count();
}

kw::Rule NeverRule(int r) {
    kw::Rule rule;
    rule.name = "Rule " + std::to_string(r);
    rule.destination = "C:\\out\\" + std::to_string(r);
    rule.combineLogic = kw::CombineLogic::any;
    rule.clauses.clear();
    kw::RuleClause ext;
    ext.extensions = ".x" + std::to_string(r);
    kw::RuleClause pattern;
    pattern.type = kw::ConditionType::regex;
    pattern.regex = "^zz" + std::to_string(r) + "_[0-9]+\\.txt$";
    kw::RuleClause keyword;
    keyword.type = kw::ConditionType::keyword;
    keyword.keyword = "nomatch" + std::to_string(r);
    rule.clauses = {ext, pattern, keyword, ext, pattern, keyword};
    return rule;
}

kw::Rule TemplateRule(std::string destination, std::string regex) {
    kw::Rule rule;
    rule.name = "Templated";
    rule.destination = std::move(destination);
    rule.clauses[0].type = kw::ConditionType::regex;
    rule.clauses[0].regex = std::move(regex);
    return rule;
}

// Items per second through the selection of `destination`'s rule behind 50 that never match,
// with its "Rename to" when one is given.
double Rate(const std::string& destination, int names, size_t& length, const std::string& renameTo = {}) {
    kw::AppSettings settings;
    for (int r = 0; r < 50; ++r) settings.rules.push_back(NeverRule(r));
    settings.rules.push_back(TemplateRule(destination, "^(?<client>[a-z]+)_[0-9]+"));
    settings.rules.back().renameTo = renameTo;
    const kw::RuleSelector selector(settings);
    const auto start = SteadyClock::now();
    length = 0;
    for (int i = 0; i < names; ++i) {
        const kw::RuleDecision d = selector.Select(L"C:\\in\\photo_" + std::to_wstring(i) + L".jpg");
        length += d.destination.size() + d.newName.size();
    }
    return names / Seconds(start);
}

void NameTemplates(int names) {
    size_t length = 0;
    const double plain = Rate("C:\\out\\plain", names, length);
    const double templated = Rate("C:\\out\\{client}\\{first}\\{name}_{ext}", names, length);
    std::printf("RESULT selection + name-only template, 50 rules x 6 conditions then a templated rule, %d names: "
                "%.0f items/s (target >= 20000); the same rules with a plain destination %.0f items/s; "
                "%.1f characters per destination\n",
                names, templated, plain, static_cast<double>(length) / names);
    // A new name asks whether the item is a folder (it has no extension to keep): one attribute
    // query per item, here of a name that is not there.
    const double renamed = Rate("C:\\out\\plain", names, length, "{client} {first} {name}");
    std::printf("RESULT selection + new name (\"Rename to\" {client} {first} {name}), the same rules, %d names: "
                "%.0f items/s\n",
                names, renamed);
}

// A JPEG of `size` bytes whose EXIF segment dates it `year`-`month`; the rest is filler.
std::vector<uint8_t> Photo(int year, int month, size_t size) {
    std::vector<uint8_t> tiff = {'I', 'I', 42, 0, 8, 0, 0, 0};
    const auto u16 = [&](uint16_t v) { tiff.push_back(v & 0xFF), tiff.push_back(v >> 8); };
    const auto u32 = [&](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
    u16(1), u16(0x8769), u16(4), u32(1), u32(26), u32(0);  // IFD0: the EXIF IFD at 26
    u16(1), u16(0x9003), u16(2), u32(20), u32(44), u32(0);  // EXIF IFD: DateTimeOriginal at 44
    char date[21];
    std::snprintf(date, sizeof date, "%04d:%02d:15 10:00:00", year, month);
    tiff.insert(tiff.end(), date, date + 20);
    std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE1};
    const size_t segment = 2 + 6 + tiff.size();
    jpeg.push_back(static_cast<uint8_t>(segment >> 8)), jpeg.push_back(static_cast<uint8_t>(segment & 0xFF));
    for (const char c : {'E', 'x', 'i', 'f', '\0', '\0'}) jpeg.push_back(static_cast<uint8_t>(c));
    jpeg.insert(jpeg.end(), tiff.begin(), tiff.end());
    jpeg.push_back(0xFF), jpeg.push_back(0xDA);
    jpeg.resize(std::max(size, jpeg.size()), 0x55);
    return jpeg;
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

void DateTemplates(const fs::path& root, int photos) {
    const fs::path folder = root / L"photos";
    fs::create_directories(folder);
    std::vector<fs::path> files;
    for (int i = 0; i < photos; ++i) {
        files.push_back(folder / (L"IMG_" + std::to_wstring(i) + L".jpg"));
        WriteBytes(files.back(), Photo(2020 + i % 5, 1 + i % 12, 200 * 1024));
    }
    kw::AppSettings settings;
    kw::Rule rule;
    rule.name = "Photos";
    rule.destination = "C:\\Photos\\{taken:yyyy}\\{taken:MM}";
    rule.clauses[0].extensions = ".jpg";
    settings.rules = {rule};
    const kw::RuleSelector selector(settings);
    int right = 0;
    const auto start = SteadyClock::now();
    for (size_t i = 0; i < files.size(); ++i) {
        char want[32];
        std::snprintf(want, sizeof want, "C:\\Photos\\%04d\\%02d", 2020 + static_cast<int>(i % 5), 1 + static_cast<int>(i % 12));
        right += selector.Select(files[i]).destination == want;
    }
    const double seconds = Seconds(start);
    std::printf("RESULT date-taken template on %d photos of 200 KB: %.3f ms per item (%d dated right)\n", photos,
                seconds * 1e3 / photos, right);
    kw::DeleteTree(folder);
}

void Hostile(int variants) {
    const std::vector<uint8_t> photo = Photo(2024, 5, 4096);
    std::mt19937 random(5);
    double slowest = 0, total = 0;
    for (int i = 0; i < variants; ++i) {
        std::vector<uint8_t> d(photo.begin(), photo.begin() + std::uniform_int_distribution<size_t>(4, 200)(random));
        for (int f = std::uniform_int_distribution<int>(1, 6)(random); f > 0; --f)
            d[std::uniform_int_distribution<size_t>(0, d.size() - 1)(random)] = static_cast<uint8_t>(random());
        const auto start = SteadyClock::now();
        kw::ExifDateTaken(d);
        const double s = Seconds(start);
        slowest = std::max(slowest, s);
        total += s;
    }
    std::printf("RESULT EXIF reader on %d hostile variants: %.1f us on average, slowest %.2f ms (target: a few ms)\n",
                variants, total * 1e6 / variants, slowest * 1e3);
}

}  // namespace

int main(int argc, char** argv) {
    wchar_t temp[MAX_PATH + 1]{};
    GetTempPathW(MAX_PATH, temp);
    const fs::path root = fs::path(temp) / (L"kw-template-bench-" + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(root);
    NameTemplates(argc > 1 ? std::atoi(argv[1]) : 100000);
    DateTemplates(root, argc > 2 ? std::atoi(argv[2]) : 1000);
    Hostile(20000);
    kw::DeleteTree(root);
    std::fflush(stdout);
    return 0;
}
