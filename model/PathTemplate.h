#pragma once
// Destinations and new names built from the item: "D:\Photos\{taken:yyyy}\{taken:MM}",
// "D:\Clients\{client}", "{client} invoice". A template is parsed once (with the position of
// anything wrong in it) and resolved for each item from plain values; nothing here touches the
// disk or the clock.
//
// What a placeholder gives never adds a path level and never leaves the folder the user typed
// before the first placeholder: separators and characters Windows forbids in names become '_',
// every name after that folder loses trailing dots and spaces, an empty name (".", "..", an
// empty value) becomes "_", a device name ("CON", "com1.txt") gains a leading '_', and a name
// longer than 255 characters is cut, keeping its extension.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/Clock.h"

namespace kw {

enum class TemplateDate { modified, created, taken, now };

struct TemplatePart {
    enum class Kind { text, date, name, ext, type, size, rule, first, group };
    Kind kind = Kind::text;
    std::string text;    // text: the literal; group: the group's name; otherwise the placeholder as written
    TemplateDate date = TemplateDate::modified;
    std::string format;  // date: the format ("yyyy", "MMMM", "dd.MM"), checked when parsed
};

struct TemplateError {
    size_t position = 0;  // 1-based character in the template text
    std::string message;  // "unknown placeholder {colour}"
    // The braces themselves do not read as a placeholder (a name no placeholder has, a brace
    // without its pair): as when a folder's own name holds braces, written before templates.
    bool braces = false;
};

struct PathTemplate {
    std::vector<TemplatePart> parts;
    std::optional<TemplateError> error;  // such a template routes nothing
    // The part before the first placeholder, up to its last separator: the folder nothing the
    // template resolves to can leave. The whole text, unescaped, when there is no placeholder.
    std::string fixed;
    size_t fixedBytes = 0;  // how much of the first text part the fixed folder takes, separators included
    bool HasPlaceholders() const;
    bool Uses(TemplatePart::Kind kind) const;
    bool UsesDate(TemplateDate date) const;
};

// `groups` are the names a placeholder may use besides the built-in ones (the named groups of the
// rule's regular expressions); a group of the same name as a built-in placeholder wins. "{{" and
// "}}" stand for a brace.
PathTemplate ParseTemplate(std::string_view text, std::span<const std::string> groups = {});

// "Unknown placeholder {colour} at 14": the error as the editor and the rule check show it.
std::string TemplateErrorText(const TemplateError& error);

// The folder part before the first placeholder (PathTemplate::fixed) without a full parse.
std::string TemplateFixedFolder(std::string_view text);

// Month names in the user's language: 12 full names, then 12 short ones.
using MonthNames = std::array<std::string, 24>;
const MonthNames& EnglishMonthNames();

// What placeholders read about one item. A value that is not known (a name typed alone in the
// tester has no dates) leaves its placeholder as written.
struct TemplateValues {
    std::wstring name;  // the item's whole file name
    bool folder = false;
    std::optional<uint64_t> size;
    std::optional<LocalTime> modified, created, taken;
    LocalTime now;
    std::string rule;
    std::vector<std::pair<std::string, std::string>> groups;  // name, what it took (UTF-8)
    const MonthNames* months = nullptr;                       // English when null
};

// A destination: the fixed folder as typed, then the resolved names, joined by '\'.
std::wstring ResolveTemplate(const PathTemplate& tmpl, const TemplateValues& values);

// A new name for the item: one name, never a path. The item's extension is added unless the
// template gives one itself ({ext}, or a '.' in the text after the last placeholder).
std::wstring ResolveNameTemplate(const PathTemplate& tmpl, const TemplateValues& values);

// One name made safe as described above (the rule every resolved name goes through).
std::wstring SafeName(std::wstring name);

// "Tiny", "Small", ...: the size classes Explorer groups files by.
const char* SizeClass(uint64_t bytes);

}  // namespace kw
