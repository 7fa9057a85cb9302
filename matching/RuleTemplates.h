#pragma once
// A rule's destination and its new name ("Rename to") as templates (model/PathTemplate.h), with
// the named groups of the rule's regular expressions as placeholders of their own: parsed once per
// batch, resolved per item. The router, the plan of a drop, the tester and the rule check all
// read a rule's templates here.

#include <string>
#include <vector>

#include "matching/ItemFacts.h"
#include "matching/NamePattern.h"
#include "model/Clock.h"
#include "model/PathTemplate.h"
#include "model/Rule.h"

namespace kw {

// The named groups of the rule's regex conditions, in condition order (each name once).
std::vector<std::string> RuleGroupNames(const Rule& rule);

PathTemplate ParseDestination(const Rule& rule);
// The rule's "Rename to" as a name template (the same placeholders as its destination).
PathTemplate ParseNewName(const Rule& rule);

// What the rule's destination template gives for a made-up item of the rule ("Example.pdf", of
// the rule's first extension, dated `now`, under its new name if "Rename to" gives one), for the
// editor to show under the field; empty when
// the destination has no placeholder or does not parse. Groups show as their placeholders.
std::string DestinationExample(const Rule& rule, const LocalTime& now);
// The new name "Rename to" gives that made-up item ("2026-03-09 Example.pdf"); empty when the
// field is empty or does not parse.
std::string NewNameExample(const Rule& rule, const LocalTime& now);

// A rule's templates made ready for many items.
class PreparedTemplates {
public:
    explicit PreparedTemplates(const Rule& rule);
    const PathTemplate& Destination() const { return destination; }
    const PathTemplate& NewName() const { return newName; }
    // What the template's placeholders read about the item: only what they use is read (a
    // template of names costs no attribute query, one of dates costs one).
    // `needKind`: whether the item is a folder is read even if nothing else is.
    TemplateValues ValuesFor(const PathTemplate& t, ItemFacts& item, const Clock& clock, bool needKind = false) const;
    std::wstring ResolveDestination(ItemFacts& item, const Clock& clock) const;
    // The item's new name; empty when the rule gives none. Whether the item is a folder (which
    // has no extension to keep) takes one attribute query.
    std::wstring ResolveNewName(ItemFacts& item, const Clock& clock) const;

private:
    std::string ruleName;
    PathTemplate destination;
    PathTemplate newName;  // no parts when the rule gives no new name
    std::vector<NamePattern> patterns;  // the regex conditions that have named groups
};

}  // namespace kw
