#include <gtest/gtest.h>

#include "matching/RuleCheck.h"
#include "model/AsciiCase.h"

namespace kw {
namespace {

RuleClause Clause(ConditionType type) {
    RuleClause c;
    c.type = type;
    return c;
}
RuleClause Ext(const char* list) {
    RuleClause c = Clause(ConditionType::extension);
    c.extensions = list;
    return c;
}
RuleClause Size(SizeOp op, uint64_t bytes) {
    RuleClause c = Clause(ConditionType::file_size);
    c.sizeOp = op;
    c.sizeBytes = bytes;
    return c;
}
RuleClause Letters(char from, char to) {
    RuleClause c = Clause(ConditionType::alphabetical);
    c.alphaFrom = from;
    c.alphaTo = to;
    return c;
}
RuleClause Keyword(const char* list) {
    RuleClause c = Clause(ConditionType::keyword);
    c.keyword = list;
    return c;
}
RuleClause Days(DateOp op, int32_t days) {
    RuleClause c = Clause(ConditionType::date);
    c.dateOp = op;
    c.dateDays = days;
    return c;
}
RuleClause Regex(const char* pattern) {
    RuleClause c = Clause(ConditionType::regex);
    c.regex = pattern;
    return c;
}
const RuleClause kAnyFile = Clause(ConditionType::any_file);

Rule R(const char* name, std::vector<RuleClause> clauses, const char* destination = "D:\\Docs",
       CombineLogic logic = CombineLogic::all) {
    Rule r;
    r.name = name;
    r.clauses = std::move(clauses);
    r.destination = destination;
    r.combineLogic = logic;
    r.anyFileExclusive = false;
    return r;
}
Rule Any(const char* name, std::vector<RuleClause> clauses, const char* destination = "D:\\Docs") {
    return R(name, std::move(clauses), destination, CombineLogic::any);
}
Rule Exclusive(Rule r) {
    r.anyFileExclusive = true;
    return r;
}
Rule Off(Rule r) {
    r.enabled = false;
    return r;
}
Rule Recycle(Rule r) {
    r.action = RuleAction::recycle;
    return r;
}
Rule Copy(Rule r) {
    r.action = RuleAction::copy;
    return r;
}

// D:\Photos and D:\Docs are folders, D:\notes.txt is a file, drive X: is not there, the rest of
// D: is missing. Paths compare as Windows compares them.
FolderProbe FakeProbe() {
    FolderProbe probe;
    probe.stateOf = [](const std::string& path) {
        std::string key = AsciiLower(path);
        while (key.size() > 3 && key.back() == '\\') key.pop_back();
        if (key == "d:\\photos" || key == "d:\\docs") return FolderState::folder;
        if (key == "d:\\notes.txt") return FolderState::file;
        if (key.rfind("x:", 0) == 0) return FolderState::no_drive;
        return FolderState::missing;
    };
    probe.systemFolders = {"C:\\Windows", "C:\\Program Files"};
    probe.appFolder = "C:\\Tools\\Fileweir";
    return probe;
}

struct Expected {
    int rule;
    int clause;
    const char* fragment;
    Severity severity = Severity::warning;
};

struct Row {
    const char* what;
    std::vector<Rule> rules;
    std::vector<Expected> expected;  // every warning and note of the set, in any order
    const char* unsortedFolder = nullptr;  // files no rule takes go there (else they stay put)
    std::vector<WatchedFolder> watched = {};
};

const Severity kNote = Severity::note;
const Severity kIncomplete = Severity::incomplete;

TEST(CheckRules, WarnsAboutRulesThatWillNotDoWhatTheySay) {
    const Row rows[] = {
        {"rules that each take their own files",
         {R("Photos", {Ext("jpg, png")}, "D:\\Photos"), R("Docs", {Ext("pdf"), Size(SizeOp::less, 10 << 20)}),
          R("Old", {Days(DateOp::older, 365)}, "D:\\Photos"), Any("Rest", {kAnyFile}, "D:\\Docs")},
         {},
         "D:\\Docs"},
        {"patterns that do not compile, may backtrack for ages, or match every name",
         {Any("Patterns", {Regex("(a+)+$"), Regex("^(\\w+\\s?)*$"), Regex("(.*x){2,}"), Regex("(?>a+)+b|(a++)+c"),
                           Regex("\\(a+\\)+[(b+)]*(?i:d)(e+)?"), Regex("((")}),
          R("Any name", {Regex("x*")}, "D:\\Photos")},
         {{0, 0, "may be very slow on long names: \"(a+)+\""},
          {0, 1, "\"(\\w+\\s?)*\" repeats a group"},
          {0, 2, "\"(.*x){2,}\""},
          {0, 5, "The pattern has an error: missing closing parenthesis (at character 3)."},
          {1, 0, "This pattern matches every name, so the rule takes every file"}}},
        {"conditions that can never hold",
         {R("Blank", {Ext(" ,;")}), R("Negative", {Size(SizeOp::less, 0)}), R("Separators", {Keyword(" ; |")}),
          R("Empty pattern", {Regex("")}), R("Future", {Days(DateOp::newer, -1)}), R("Nothing", {}),
          R("Pdf never", {Ext("pdf"), Ext("tar.gz")}), Any("Neither", {Regex("(("), Keyword(",")})},
         {{0, 0, "matches nothing: there is no extension in \" ,;\""},
          {1, 0, "matches nothing: no file is less than 0 bytes"},
          {2, 0, "there is no keyword in \" ; |\", only separators"},
          {3, -1, "Incomplete: still needs a value for its condition.", kIncomplete},
          {4, 0, "no file is newer than -1 days"},
          {5, -1, "has no conditions"},
          {6, 1, "\"tar.gz\" never matches"},
          {6, -1, "Never takes a file: condition 2 can never hold, and ALL conditions must"},
          {7, 0, "The pattern has an error"},
          {7, 1, "there is no keyword in \",\""},
          {7, -1, "Never takes a file: none of its conditions can hold"}}},
        {"list entries no name can have",
         {R("Archives", {Ext("zip, tar.gz, *.jpg")}), R("Paths", {Keyword("invoice, 2024/05")}, "D:\\Photos")},
         {{0, 0, "\"tar.gz\" never matches: only the last extension of a name is compared (\".gz\")"},
          {0, 0, "\"*.jpg\" never matches"},
          {1, 0, "\"2024/05\" never matches: file names cannot contain /"}}},
        {"a condition true for every file, alone or beside others",
         {R("Sized", {Size(SizeOp::greater_equal, 0)}, "D:\\Photos"), R("Docs", {Ext("pdf")}),
          R("Aged", {Ext("txt"), Days(DateOp::older, 0)})},
         {{0, 0, "matches every file: each is at least 0 bytes, so the rule takes every file"},
          {1, -1, "Never reached: rule 1 \"Sized\" takes every file first"},
          {2, -1, "Never reached: rule 1 \"Sized\""},
          {2, 1, "each is older than 0 days; it narrows nothing", kNote}}},
        {"a reversed letter range is read either way",
         {R("Letters", {Letters('M', 'A')})},
         {{0, 0, "From M comes after To A: read as A-M", kNote}}},
        {"an exclusive rule takes every file wherever it stands; disabled rules hide nothing",
         {R("Docs", {Ext("pdf")}), Off(Exclusive(R("Off", {kAnyFile}, "D:\\Photos"))),
          Exclusive(R("All", {kAnyFile, Ext("pdf")}, "D:\\Photos")), Off(R("Spare", {Ext("txt")})),
          R("Text", {Ext("txt")})},
         {{0, -1, "Never reached: rule 3 \"All\" is exclusive and takes every file"},
          {2, -1, "its other conditions are never looked at"},
          {4, -1, "Never reached: rule 3 \"All\""}}},
        {"an earlier rule that always matches, has the same conditions, or takes more",
         {Any("Either", {kAnyFile, Ext("pdf")}, "D:\\Photos"), R("Pdf", {Ext("pdf")})},
         {{0, -1, "Combined with ANY, \"Any file\" (condition 1) takes every file"},
          {1, -1, "Never reached: rule 1 \"Either\" takes every file first"}}},
        {"same conditions, and conditions a wider earlier rule holds",
         {Any("Office", {Ext("doc, pdf"), Keyword("scan")}), Any("Again", {Keyword("scan"), Ext("PDF;.doc")}),
          R("Big scans", {Keyword("Scanned"), Size(SizeOp::greater, 1 << 20)}, "D:\\Photos"),
          R("New pdf", {Ext("pdf"), Days(DateOp::newer, 7)}, "D:\\Photos"), R("Mixed", {Ext("pdf, png")})},
         {{1, -1, "Never reached: rule 1 \"Office\" has the same conditions and comes first"},
          {2, -1, "Never reached: rule 1 \"Office\" catches every file this rule could"},
          {3, -1, "Never reached: rule 1 \"Office\" catches"}}},
        {"rules that share extensions send them where the order says",
         {R("Docs", {Ext("pdf, docx")}), R("Office", {Ext("docx, xlsx")}, "D:\\Photos"),
          R("Same place", {Ext("pdf, txt")}, "d:\\DOCS\\"), Recycle(R("Junk", {Ext("tmp, pdf")}, ""))},
         {{1, -1, ".docx files also match rule 1 \"Docs\" above, which moves them to D:\\Docs", kNote},
          {3, -1, ".pdf files also match rule 1 \"Docs\"", kNote},
          {3, -1, ".pdf files also match rule 3 \"Same place\"", kNote}}},
        {"destinations",
         {R("None", {Ext("a")}, ""), R("New", {Ext("b")}, "D:\\New"), R("File", {Ext("c")}, "D:\\notes.txt"),
          R("Gone", {Ext("d")}, "X:\\Photos"), R("Home", {Ext("e")}, "c:\\tools\\FILEWEIR\\"),
          R("System", {Ext("f")}, "C:\\Windows\\Temp"), R("Apps", {Ext("g")}, "C:\\Program Files"),
          R("Root", {Ext("h")}, "E:\\"), R("Relative", {Ext("i")}, "Photos"),
          Recycle(R("Recycled", {Ext("j")}, "")), Off(R("Later", {Ext("k")}, "X:\\Later")),
          Copy(R("Copies", {Ext("l")}, ""))},
         {{0, -1, "Incomplete: still needs a destination folder.", kIncomplete},
          {1, -1, "Destination D:\\New will be created at the first move.", Severity::information},
          {2, -1, "D:\\notes.txt is a file, not a folder"},
          {3, -1, "X:\\Photos is on drive X:, which is not there"},
          {4, -1, "is the program's own folder"},
          {5, -1, "C:\\Windows\\Temp is inside the system folder C:\\Windows"},
          {6, -1, "C:\\Program Files is a system folder"},
          {7, -1, "E:\\ is the top of a drive"},
          {8, -1, "Destination Photos is not a full path"},
          {10, -1, "X:\\Later is on drive X:"},
          {11, -1, "Incomplete: still needs a destination folder.", kIncomplete}}},
        {"destinations made from the item: a template's errors, and the folder typed before it",
         {R("Dated", {Ext("jpg")}, "D:\\Photos\\{modified:yyyy}"), R("Typo", {Ext("k")}, "D:\\{colour}"),
          R("Client", {Regex("^(?<client>[A-Z]\\w+)_Invoice")}, "D:\\Clients\\{client}"),
          R("Kinds", {Ext("m")}, "E:\\{type}"), R("No group", {Ext("n")}, "D:\\Photos\\{client}"),
          R("Before templates", {Ext("o")}, "D:\\{old\\Scans"), R("Bad format", {Ext("p")}, "D:\\{modified:qq}")},
         {{1, -1, "The destination template has an error: An unknown placeholder {colour} at 4. This rule routes nothing. "
                  "Write {{ and }} for braces in a folder name."},
          {2, -1, "Destination D:\\Clients will be created at the first move.", Severity::information},
          {4, -1, "An unknown placeholder {client} at 11"},
          {5, -1, "A { without its closing } at 4. This rule routes nothing. Write {{ and }}"},
          {6, -1, "An unknown date format \"qq\" in {modified:qq} (use yyyy, yy, MM, MMM, MMMM, dd, HH, mm) at 14"}}},
        {"recycle rules that take every file",
         {Recycle(R("Bin", {kAnyFile}, "")), Off(Recycle(Any("Later", {Ext("x"), kAnyFile}, "")))},
         {{0, -1, "Recycles everything you drop"},
          {1, -1, "Once turned on, it recycles every file that reaches it"},
          {1, -1, "Combined with ANY"}}},
        {"a recycle rule below others takes what they leave",
         {R("Docs", {Ext("pdf")}), Recycle(R("Rest", {Days(DateOp::older, -5)}, ""))},
         {{1, 0, "each is older than -5 days, so the rule takes every file"},
          {1, -1, "Recycles every file the rules above do not take"}}},
        {"rules still being made are incomplete, not faulty, and hide nothing",
         {R("", {Ext("")}, ""), R("", {Ext("")}, ""), R("Two", {Keyword(" "), Ext("pdf")}, "D:\\Photos"),
          R("Pdf", {Ext("pdf")})},
         {{0, -1, "Incomplete: still needs a name, a value for its condition and a destination folder.", kIncomplete},
          {1, -1, "Incomplete: still needs a name, a value for its condition and a destination folder.", kIncomplete},
          {2, -1, "Incomplete: still needs a value for condition 1.", kIncomplete}}},
        {"the Unsorted folder", {}, {{-1, -1, "Unsorted folder D:\\notes.txt is a file"}}, "D:\\notes.txt"},
        {"a missing Unsorted folder is made when needed", {}, {}, "D:\\Unsorted"},
        {"destinations in watched folders (case aside; below one only while its subfolders are watched)",
         {R("Into", {Ext("pdf")}, "d:\\downloads\\"), R("Below", {Ext("zip")}, "D:\\Downloads\\Zips"),
          R("Beside", {Ext("txt")}, "D:\\Downloads2"), R("Turned off", {Ext("doc")}),
          R("Shallow", {Ext("png")}, "D:\\Photos\\Sorted")},
         {{0, -1, "is the watched folder D:\\Downloads: what this rule moves there stays"},
          {1, -1, "is inside the watched folder D:\\Downloads"},
          {2, -1, "will be created at the first move", Severity::information},
          {4, -1, "will be created at the first move", Severity::information}},
         nullptr,
         {WatchedFolder{"D:\\Downloads", true, true}, WatchedFolder{"D:\\Docs", false, true},
          WatchedFolder{"D:\\Photos", true, false}}},
    };
    const FolderProbe probe = FakeProbe();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        AppSettings settings;
        settings.rules = row.rules;
        settings.watching.folders = row.watched;
        if (row.unsortedFolder) {
            settings.noMatchPolicy = NoMatchPolicy::unsorted;
            settings.catchAllPath = row.unsortedFolder;
        }
        const std::vector<RuleWarning> found = CheckRules(settings, probe);
        std::string all;
        for (const RuleWarning& w : found)
            all += "\n  " + std::to_string(w.rule) + "/" + std::to_string(w.clause) + ": " + w.text;
        EXPECT_EQ(found.size(), row.expected.size()) << all;
        for (const Expected& e : row.expected) {
            const bool seen = std::any_of(found.begin(), found.end(), [&](const RuleWarning& w) {
                return w.rule == e.rule && w.clause == e.clause && w.severity == e.severity &&
                       w.text.find(e.fragment) != std::string::npos;
            });
            EXPECT_TRUE(seen) << "missing " << e.rule << "/" << e.clause << ": " << e.fragment << " among" << all;
        }
    }
}

}  // namespace
}  // namespace kw
