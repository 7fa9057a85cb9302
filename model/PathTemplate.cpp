#include "model/PathTemplate.h"

#include <algorithm>
#include <cstdio>
#include <cwctype>

#include "model/AsciiCase.h"
#include "model/FileName.h"
#include "model/FileTypeGroups.h"
#include "model/TextEncoding.h"

namespace kw {

namespace {

constexpr size_t kMaxNameLength = 255;  // UTF-16 units in one name (NTFS, FAT's long names)

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
bool IsSeparatorByte(char c) { return c == '\\' || c == '/'; }

// Characters a Windows name cannot hold (separators among them).
bool Forbidden(wchar_t c) { return c < 32 || wcschr(L"<>:\"/\\|?*", c) != nullptr; }

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

size_t CharPosition(std::string_view text, size_t byte) {
    size_t position = 1;
    for (size_t i = 0; i < byte && i < text.size(); ++i)
        if (!IsContinuation(text[i])) ++position;
    return position;
}

// Checks a date format: runs of y (2 or 4), M (1-4), d, H, m (1 or 2); other letters are
// unknown; everything else is copied as it is.
std::optional<std::string> DateFormatProblem(std::string_view format) {
    for (size_t i = 0; i < format.size();) {
        const char c = format[i];
        size_t run = 1;
        while (i + run < format.size() && format[i + run] == c) ++run;
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (letter) {
            const bool ok = (c == 'y' && (run == 2 || run == 4)) || (c == 'M' && run <= 4) ||
                            ((c == 'd' || c == 'H' || c == 'm') && run <= 2);
            if (!ok) return std::string(format.substr(i, run));
        }
        i += run;
    }
    return std::nullopt;
}

struct Builtin {
    const char* key;
    TemplatePart::Kind kind;
};
constexpr Builtin kBuiltins[] = {
    {"name", TemplatePart::Kind::name}, {"ext", TemplatePart::Kind::ext},   {"type", TemplatePart::Kind::type},
    {"size", TemplatePart::Kind::size}, {"rule", TemplatePart::Kind::rule}, {"first", TemplatePart::Kind::first},
};
constexpr std::pair<const char*, TemplateDate> kDates[] = {
    {"modified", TemplateDate::modified}, {"created", TemplateDate::created},
    {"taken", TemplateDate::taken},       {"now", TemplateDate::now},
};

}  // namespace

bool PathTemplate::HasPlaceholders() const {
    return std::any_of(parts.begin(), parts.end(), [](const TemplatePart& p) { return p.kind != TemplatePart::Kind::text; });
}

bool PathTemplate::Uses(TemplatePart::Kind kind) const {
    return std::any_of(parts.begin(), parts.end(), [&](const TemplatePart& p) { return p.kind == kind; });
}

bool PathTemplate::UsesDate(TemplateDate date) const {
    return std::any_of(parts.begin(), parts.end(),
                       [&](const TemplatePart& p) { return p.kind == TemplatePart::Kind::date && p.date == date; });
}

PathTemplate ParseTemplate(std::string_view text, std::span<const std::string> groups) {
    PathTemplate t;
    std::string literal;
    bool placeholderSeen = false;
    const auto flush = [&] {
        if (!literal.empty()) t.parts.push_back({TemplatePart::Kind::text, std::move(literal), TemplateDate::modified, {}});
        literal.clear();
    };
    const auto fail = [&](size_t byte, std::string message, bool braces = false) {
        t.error = TemplateError{CharPosition(text, byte), std::move(message), braces};
    };
    for (size_t i = 0; i < text.size() && !t.error;) {
        const char c = text[i];
        if (c == '}') {
            if (i + 1 < text.size() && text[i + 1] == '}') {
                literal += '}';
                i += 2;
                continue;
            }
            fail(i, "a } without its { (write }} for a brace)", true);
            break;
        }
        if (c != '{') {
            literal += c;
            ++i;
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '{') {
            literal += '{';
            i += 2;
            continue;
        }
        if (!placeholderSeen) {
            // The folder the template cannot leave: the text so far, up to its last separator.
            placeholderSeen = true;
            size_t cut = literal.size();
            while (cut > 0 && !IsSeparatorByte(literal[cut - 1])) --cut;
            t.fixed = literal.substr(0, cut);
            t.fixedBytes = cut;
        }
        const size_t close = text.find('}', i + 1);
        if (close == std::string_view::npos) {
            fail(i, "a { without its closing }", true);
            break;
        }
        const std::string_view inner = text.substr(i + 1, close - i - 1);
        const std::string written(text.substr(i, close - i + 1));
        const size_t colon = inner.find(':');
        const std::string_view key = inner.substr(0, colon);
        const bool hasFormat = colon != std::string_view::npos;
        const std::string_view format = hasFormat ? inner.substr(colon + 1) : std::string_view();
        if (key.empty()) {
            fail(i, "an empty placeholder " + written, true);
            break;
        }
        TemplatePart part;
        part.text = written;
        if (std::find(groups.begin(), groups.end(), key) != groups.end()) {
            part.kind = TemplatePart::Kind::group;
            part.text = std::string(key);
        } else {
            const std::string lower = AsciiLower(key);
            const auto date = std::find_if(std::begin(kDates), std::end(kDates), [&](auto& d) { return lower == d.first; });
            const auto builtin =
                std::find_if(std::begin(kBuiltins), std::end(kBuiltins), [&](const Builtin& b) { return lower == b.key; });
            if (date != std::end(kDates)) {
                part.kind = TemplatePart::Kind::date;
                part.date = date->second;
                part.format = hasFormat ? std::string(format) : "yyyy-MM-dd";
                if (part.format.empty()) {
                    fail(i, "an empty date format in " + written);
                    break;
                }
                if (const auto bad = DateFormatProblem(part.format)) {
                    fail(i + 1 + colon + 1 + part.format.find(*bad),
                         "an unknown date format \"" + *bad + "\" in " + written + " (use yyyy, yy, MM, MMM, MMMM, dd, HH, mm)");
                    break;
                }
            } else if (builtin != std::end(kBuiltins)) {
                part.kind = builtin->kind;
                if (hasFormat) {
                    fail(i, written + " takes no format");
                    break;
                }
            } else {
                fail(i, "an unknown placeholder " + written, true);
                break;
            }
        }
        flush();
        t.parts.push_back(std::move(part));
        i = close + 1;
    }
    if (!placeholderSeen) t.fixed = literal;
    flush();
    // The fixed folder keeps its separator only where it is a root ("D:\"): "D:\Photos".
    while (t.fixed.size() > 1 && IsSeparatorByte(t.fixed.back()) && t.fixed[t.fixed.size() - 2] != ':' &&
           !IsSeparatorByte(t.fixed[t.fixed.size() - 2]))
        t.fixed.pop_back();
    return t;
}

std::string TemplateErrorText(const TemplateError& error) {
    std::string text = error.message;
    if (!text.empty()) text[0] = static_cast<char>(text[0] >= 'a' && text[0] <= 'z' ? text[0] - 32 : text[0]);
    return text + " at " + std::to_string(error.position);
}

std::string TemplateFixedFolder(std::string_view text) { return ParseTemplate(text).fixed; }

const MonthNames& EnglishMonthNames() {
    static const MonthNames names = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December",
                                     "Jan",     "Feb",      "Mar",       "Apr",     "May",      "Jun",
                                     "Jul",     "Aug",      "Sep",       "Oct",     "Nov",      "Dec"};
    return names;
}

const char* SizeClass(uint64_t bytes) {
    constexpr uint64_t KiB = 1024, MiB = KiB * 1024, GiB = MiB * 1024;
    if (bytes == 0) return "Empty";
    if (bytes <= 16 * KiB) return "Tiny";
    if (bytes <= MiB) return "Small";
    if (bytes <= 128 * MiB) return "Medium";
    if (bytes <= GiB) return "Large";
    if (bytes <= 4 * GiB) return "Huge";
    return "Gigantic";
}

std::wstring SafeName(std::wstring name) {
    for (wchar_t& c : name)
        if (Forbidden(c)) c = L'_';
    const auto trimEnd = [&] {
        while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
    };
    trimEnd();
    if (name.empty()) return L"_";
    if (!Win32KeepsName(name)) name.insert(name.begin(), L'_');  // "CON", "com1.txt"
    if (name.size() > kMaxNameLength) {
        const FileNameParts parts = SplitFileName(name);
        // A long "extension" is part of the name, not one to keep.
        const std::wstring ext(parts.ext.size() <= 32 ? parts.ext : std::wstring_view());
        size_t keep = kMaxNameLength - ext.size();
        if (keep > 0 && keep < name.size() && name[keep - 1] >= 0xD800 && name[keep - 1] <= 0xDBFF) --keep;  // whole pairs only
        name = name.substr(0, keep);
        trimEnd();
        if (name.empty()) name = L"_";
        name += ext;
    }
    return name;
}

namespace {

std::wstring Two(int n) {
    wchar_t text[16];
    swprintf(text, 16, L"%02d", n);
    return text;
}

std::wstring FormatDate(const LocalTime& t, std::string_view format, const MonthNames& months) {
    std::wstring out;
    for (size_t i = 0; i < format.size();) {
        const char c = format[i];
        size_t run = 1;
        while (i + run < format.size() && format[i + run] == c) ++run;
        switch (c) {
            case 'y': out += run == 4 ? std::to_wstring(t.year) : Two(t.year % 100); break;
            case 'M':
                if (run >= 3 && t.month >= 1 && t.month <= 12)
                    out += ToWide(months[static_cast<size_t>(t.month - 1 + (run == 3 ? 12 : 0))]);
                else
                    out += run == 2 ? Two(t.month) : std::to_wstring(t.month);
                break;
            case 'd': out += run == 2 ? Two(t.day) : std::to_wstring(t.day); break;
            case 'H': out += run == 2 ? Two(t.hour) : std::to_wstring(t.hour); break;
            case 'm': out += run == 2 ? Two(t.minute) : std::to_wstring(t.minute); break;
            default: out += ToWide(format.substr(i, run)); break;
        }
        i += run;
    }
    return out;
}

// What one placeholder gives for the item, before it is made safe; nothing when not known.
std::optional<std::wstring> Value(const TemplatePart& part, const TemplateValues& v) {
    using Kind = TemplatePart::Kind;
    const FileNameParts name = SplitFileName(v.name);
    switch (part.kind) {
        case Kind::text: return ToWide(part.text);
        // A folder has no extension: "Photos.2024" is its whole name.
        case Kind::name: return v.folder ? v.name : std::wstring(name.stem);
        case Kind::ext: {
            std::wstring ext(name.ext.empty() || v.folder ? std::wstring_view() : name.ext.substr(1));
            for (wchar_t& c : ext) c = static_cast<wchar_t>(std::towlower(c));
            return ext;
        }
        case Kind::type: {
            if (v.folder) return L"Folders";
            const FileTypeGroup* group = FileTypeGroupOf(name.ext);
            return ToWide(group ? group->name : "Other");
        }
        case Kind::size:
            if (v.folder) return L"Folder";
            if (!v.size) return std::nullopt;
            return ToWide(SizeClass(*v.size));
        case Kind::rule: return ToWide(v.rule);
        case Kind::first: {
            for (const wchar_t c : v.name)
                if (std::iswalnum(c)) return std::wstring(1, static_cast<wchar_t>(std::towupper(c)));
            return std::wstring();
        }
        case Kind::group:
            // Two conditions may name the same group: what one of them took.
            for (const auto& [key, text] : v.groups)
                if (key == part.text && !text.empty()) return ToWide(text);
            return std::wstring();
        case Kind::date: {
            const std::optional<LocalTime>* when = nullptr;
            switch (part.date) {
                case TemplateDate::modified: when = &v.modified; break;
                case TemplateDate::created: when = &v.created; break;
                case TemplateDate::taken: when = v.taken ? &v.taken : &v.modified; break;
                case TemplateDate::now: return FormatDate(v.now, part.format, v.months ? *v.months : EnglishMonthNames());
            }
            if (!*when) return std::nullopt;
            return FormatDate(**when, part.format, v.months ? *v.months : EnglishMonthNames());
        }
    }
    return std::nullopt;
}

// The names after the fixed folder, each made safe. In a destination the template's own
// separators divide names; in a new name (`oneName`) they are characters like any other.
std::vector<std::wstring> ResolvedNames(const PathTemplate& tmpl, const TemplateValues& values, bool oneName) {
    std::vector<std::wstring> names(1);
    std::vector<bool> shownAsWritten(1, false);  // holds a placeholder whose value is not known
    bool placeholderSeen = false;
    for (const TemplatePart& part : tmpl.parts) {
        if (part.kind == TemplatePart::Kind::text) {
            // The fixed folder is not part of the names.
            const std::wstring text = ToWide(placeholderSeen || oneName ? part.text : part.text.substr(tmpl.fixedBytes));
            for (const wchar_t c : text) {
                if (IsSeparator(c) && !oneName) {
                    names.emplace_back();
                    shownAsWritten.push_back(false);
                } else {
                    names.back().push_back(c);
                }
            }
            continue;
        }
        placeholderSeen = true;
        const std::optional<std::wstring> value = Value(part, values);
        if (!value) {
            names.back() += ToWide(part.text);  // not known here: shown as written, for people only
            shownAsWritten.back() = true;
            continue;
        }
        std::wstring safe = *value;
        for (wchar_t& c : safe)
            if (Forbidden(c)) c = L'_';
        names.back() += safe.empty() ? L"_" : safe;
    }
    // Separators doubled or at the ends give no name of their own.
    std::vector<std::wstring> safe;
    for (size_t i = 0; i < names.size(); ++i)
        if (!names[i].empty()) safe.push_back(shownAsWritten[i] ? names[i] : SafeName(std::move(names[i])));
    return safe;
}

}  // namespace

std::wstring ResolveTemplate(const PathTemplate& tmpl, const TemplateValues& values) {
    std::wstring path = ToWide(tmpl.fixed);
    if (!tmpl.HasPlaceholders()) return path;
    // A fixed part that is not a plain folder ("Inv" before "{client}") has no separator: it
    // belongs to the first name, and the fixed folder is empty.
    for (const std::wstring& name : ResolvedNames(tmpl, values, false)) {
        if (!path.empty() && !IsSeparator(path.back())) path += L'\\';
        path += name;
    }
    return path;
}

std::wstring ResolveNameTemplate(const PathTemplate& tmpl, const TemplateValues& values) {
    std::vector<std::wstring> names = ResolvedNames(tmpl, values, true);
    std::wstring name = names.empty() ? std::wstring(L"_") : names.front();
    const bool namesExtension =
        tmpl.Uses(TemplatePart::Kind::ext) ||
        (!tmpl.parts.empty() && tmpl.parts.back().kind == TemplatePart::Kind::text &&
         tmpl.parts.back().text.find('.') != std::string::npos);
    if (!namesExtension && !values.folder) {
        const std::wstring ext(SplitFileName(values.name).ext);
        if (ext.size() > 1) name = SafeName(name + ext);
    }
    return name;
}

}  // namespace kw
