#include "model/PathTemplate.h"

#include <gtest/gtest.h>

#include "model/TextEncoding.h"

namespace kw {
namespace {

TemplateValues Photo() {
    TemplateValues v;
    v.name = L"IMG_0042.JPG";
    v.size = 3'000'000;
    v.modified = LocalTime{2024, 5, 17, 9, 5, 0};
    v.created = LocalTime{2023, 12, 1, 23, 59, 0};
    v.now = LocalTime{2026, 3, 9, 14, 30, 0};
    v.rule = "Photos";
    v.groups = {{"client", "Acme"}, {"empty", ""}, {"sneaky", "..\\..\\Windows"}};
    return v;
}

std::string Resolve(std::string_view text, const TemplateValues& values) {
    const std::vector<std::string> groups = {"client", "empty", "sneaky"};
    const PathTemplate t = ParseTemplate(text, groups);
    EXPECT_FALSE(t.error) << text << ": " << (t.error ? t.error->message : "");
    return ToUtf8(ResolveTemplate(t, values));
}

// Dates, item facts and groups, and what a hostile value becomes: never a level above the
// folder typed before the first placeholder, never a name Windows reads as something else.
TEST(PathTemplate, ResolvesValuesAndKeepsThemInsideTheTypedFolder) {
    TemplateValues v = Photo();
    const std::string longName(300, 'x');
    struct Case {
        std::string_view text, want;
    } cases[] = {
        {"D:\\Photos\\{modified:yyyy}\\{modified:MM}", "D:\\Photos\\2024\\05"},
        {"D:\\Photos\\{taken:yyyy}\\{taken:MMMM}", "D:\\Photos\\2024\\May"},  // no EXIF date: modified
        {"D:\\{created:yy-M-d HH.mm}", "D:\\23-12-1 23.59"},
        {"D:\\{now:yyyy}\\{modified:MMM dd}", "D:\\2026\\May 17"},
        {"D:\\Clients\\{client}", "D:\\Clients\\Acme"},
        {"D:\\{type}\\{ext}\\{size}\\{first}\\{rule}\\{name}", "D:\\Pictures\\jpg\\Medium\\I\\Photos\\IMG_0042"},
        {"D:\\Inv{client}", "D:\\InvAcme"},
        {"D:\\a\\{empty}\\b", "D:\\a\\_\\b"},
        {"D:\\a\\{sneaky}", "D:\\a\\.._.._Windows"},
        {"D:\\a\\{name}\\..\\..\\x", "D:\\a\\IMG_0042\\_\\_\\x"},
        {"D:\\a\\{{{client}}}", "D:\\a\\{Acme}"},
        {"\\\\server\\share\\{client}\\", "\\\\server\\share\\Acme"},
    };
    for (const Case& c : cases) EXPECT_EQ(Resolve(c.text, v), c.want) << c.text;

    for (const auto& [value, want] : std::vector<std::pair<std::string, std::string>>{
             {"..", "_"}, {".", "_"}, {"CON", "_CON"}, {"com1.txt", "_com1.txt"}, {"a/b", "a_b"},
             {"trailing. . ", "trailing"}, {"a:b*?", "a_b__"}, {"", "_"}}) {
        v.groups = {{"client", value}};
        EXPECT_EQ(Resolve("D:\\Clients\\{client}", v), "D:\\Clients\\" + want) << value;
    }
    v.groups = {{"client", longName + ".pdf"}};
    const std::string cut = Resolve("D:\\{client}", v);
    EXPECT_EQ(cut.size(), 3u + 255u);
    EXPECT_EQ(cut.substr(cut.size() - 4), ".pdf");

    // A name typed alone has no dates: the placeholder shows as written.
    TemplateValues nameOnly;
    nameOnly.name = L"x.jpg";
    EXPECT_EQ(Resolve("D:\\P\\{modified:yyyy}", nameOnly), "D:\\P\\{modified:yyyy}");
}

TEST(PathTemplate, ErrorsNameTheProblemAndItsPosition) {
    struct Case {
        std::string_view text;
        size_t position;
        std::string_view words;
    } cases[] = {
        {"D:\\{colour}", 4, "unknown placeholder {colour}"},
        {"D:\\é\\{modified:yyyyq}", 20, "unknown date format \"q\""},
        {"D:\\{modified:yyy}", 14, "\"yyy\""},
        {"D:\\{name", 4, "without its closing }"},
        {"D:\\a}b", 5, "write }} for a brace"},
        {"D:\\{}", 4, "empty placeholder"},
        {"D:\\{name:upper}", 4, "takes no format"},
    };
    for (const Case& c : cases) {
        const PathTemplate t = ParseTemplate(c.text);
        ASSERT_TRUE(t.error) << c.text;
        EXPECT_EQ(t.error->position, c.position) << c.text;
        EXPECT_NE(t.error->message.find(c.words), std::string::npos) << t.error->message;
    }
    EXPECT_EQ(TemplateErrorText(*ParseTemplate("D:\\{colour}").error), "An unknown placeholder {colour} at 4");
    EXPECT_EQ(ParseTemplate("D:\\Photos\\{colour}").fixed, "D:\\Photos");
    EXPECT_EQ(ParseTemplate("D:\\{x}").fixed, "D:\\");
}

TEST(PathTemplate, NewNamesKeepTheExtensionUnlessTheyNameOne) {
    const TemplateValues v = Photo();
    const auto name = [&](std::string_view text) {
        return ToUtf8(ResolveNameTemplate(ParseTemplate(text, std::vector<std::string>{"client"}), v));
    };
    EXPECT_EQ(name("{modified:yyyy-MM-dd} {name}"), "2024-05-17 IMG_0042.JPG");
    EXPECT_EQ(name("{client}\\{name}"), "Acme_IMG_0042.JPG");  // one name, never a path
    EXPECT_EQ(name("{name}.{ext}"), "IMG_0042.jpg");
    EXPECT_EQ(name("{name}.png"), "IMG_0042.png");
    EXPECT_EQ(name(std::string(300, 'n') + "{ext}").size(), 255u);

    TemplateValues folder = v;  // a folder has no extension: its whole name is the name
    folder.name = L"Trip.2024";
    folder.folder = true;
    EXPECT_EQ(ToUtf8(ResolveNameTemplate(ParseTemplate("{name} ({ext})"), folder)), "Trip.2024 (_)");
    EXPECT_EQ(ToUtf8(ResolveNameTemplate(ParseTemplate("Old {name}"), folder)), "Old Trip.2024");
}

}  // namespace
}  // namespace kw
