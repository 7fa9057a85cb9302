#include "matching/RuleTemplates.h"

#include <algorithm>

#include "matching/PhotoDate.h"
#include "model/TextEncoding.h"
#include "model/UserMonthNames.h"

namespace kw {

namespace {

template <typename Each>
void ForEachGroupPattern(const Rule& rule, Each each) {
    for (const RuleClause& clause : rule.clauses) {
        // Only patterns that can have a named group are compiled.
        if (clause.type != ConditionType::regex || clause.regex.find("(?<") == std::string::npos) continue;
        NamePattern pattern(clause.regex);
        if (pattern.Valid() && !pattern.GroupNames().empty()) each(std::move(pattern));
    }
}

}  // namespace

std::vector<std::string> RuleGroupNames(const Rule& rule) {
    std::vector<std::string> names;
    ForEachGroupPattern(rule, [&](NamePattern pattern) {
        for (std::string& name : pattern.GroupNames())
            if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(std::move(name));
    });
    return names;
}

PathTemplate ParseDestination(const Rule& rule) { return ParseTemplate(rule.destination, RuleGroupNames(rule)); }

PathTemplate ParseNewName(const Rule& rule) { return ParseTemplate(rule.renameTo, RuleGroupNames(rule)); }

namespace {

// The made-up item the editor's examples are about: "Example" with the rule's first extension.
TemplateValues ExampleValues(const Rule& rule, const std::vector<std::string>& groups, const LocalTime& now) {
    std::string ext = ".pdf";
    for (const RuleClause& clause : rule.clauses)
        if (clause.type == ConditionType::extension) {
            const std::string& list = clause.extensions;
            const size_t start = list.find_first_not_of(" ,;.*");
            if (start == std::string::npos) continue;
            const size_t end = list.find_first_of(" ,;", start);
            ext.assign(1, '.');
            ext.append(list, start, end == std::string::npos ? std::string::npos : end - start);
            break;
        }
    TemplateValues v;
    v.name = ToWide("Example" + ext);
    v.size = 1 << 20;
    v.modified = v.created = v.now = now;
    v.rule = rule.name;
    v.months = &UserMonthNames();
    for (const std::string& group : groups) v.groups.emplace_back(group, "{" + group + "}");
    return v;
}

}  // namespace

std::string DestinationExample(const Rule& rule, const LocalTime& now) {
    const std::vector<std::string> groups = RuleGroupNames(rule);
    const PathTemplate t = ParseTemplate(rule.destination, groups);
    if (t.error || !t.HasPlaceholders()) return {};
    const TemplateValues v = ExampleValues(rule, groups, now);
    const PathTemplate name = ParseTemplate(rule.renameTo, groups);
    const bool renamed = !rule.renameTo.empty() && !name.error;
    return ToUtf8(ResolveTemplate(t, v)) + "\\" + ToUtf8(renamed ? ResolveNameTemplate(name, v) : v.name);
}

std::string NewNameExample(const Rule& rule, const LocalTime& now) {
    if (rule.renameTo.empty()) return {};
    const std::vector<std::string> groups = RuleGroupNames(rule);
    const PathTemplate t = ParseTemplate(rule.renameTo, groups);
    if (t.error) return {};
    return ToUtf8(ResolveNameTemplate(t, ExampleValues(rule, groups, now)));
}

PreparedTemplates::PreparedTemplates(const Rule& rule) : ruleName(rule.name) {
    std::vector<std::string> names;
    ForEachGroupPattern(rule, [&](NamePattern pattern) {
        for (std::string& name : pattern.GroupNames()) names.push_back(std::move(name));
        patterns.push_back(std::move(pattern));
    });
    destination = ParseTemplate(rule.destination, names);
    if (!rule.renameTo.empty()) newName = ParseTemplate(rule.renameTo, names);
}

TemplateValues PreparedTemplates::ValuesFor(const PathTemplate& t, ItemFacts& item, const Clock& clock,
                                            bool needKind) const {
    TemplateValues v;
    v.name = item.Name();
    v.rule = ruleName;
    v.months = &UserMonthNames();
    if (t.UsesDate(TemplateDate::now)) v.now = clock.Local();
    using Kind = TemplatePart::Kind;
    const bool dates = t.UsesDate(TemplateDate::modified) || t.UsesDate(TemplateDate::created) ||
                       t.UsesDate(TemplateDate::taken);
    if (dates || needKind || t.Uses(Kind::size) || t.Uses(Kind::type)) {
        if (const std::optional<ItemData>& data = item.Data()) {
            v.folder = data->folder;
            v.size = data->size;
            v.modified = LocalTimeOf(data->writtenTicks);
            v.created = LocalTimeOf(data->createdTicks);
            if (t.UsesDate(TemplateDate::taken) && !data->folder) v.taken = PhotoDateTaken(item.Path());
        }
    }
    if (t.Uses(Kind::group)) {
        // A group of a condition that did not match (one of ANY) took nothing: empty.
        for (const NamePattern& pattern : patterns)
            for (auto& group : pattern.NamedGroups(item.NameUtf8())) v.groups.push_back(std::move(group));
    }
    return v;
}

std::wstring PreparedTemplates::ResolveDestination(ItemFacts& item, const Clock& clock) const {
    return ResolveTemplate(destination, ValuesFor(destination, item, clock));
}

std::wstring PreparedTemplates::ResolveNewName(ItemFacts& item, const Clock& clock) const {
    if (newName.parts.empty()) return {};
    // Asked of every item: a folder keeps no extension, and "{name}" is its whole name.
    return ResolveNameTemplate(newName, ValuesFor(newName, item, clock, true));
}

}  // namespace kw
