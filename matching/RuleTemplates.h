#pragma once
// A rule's destination as a template (model/PathTemplate.h), with the named groups of the rule's
// regular expressions as placeholders of its own: parsed once per batch, resolved per item. The
// router, the plan of a drop, the tester and the rule check all read a rule's template here.

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

// What the rule's destination template gives for a made-up item of the rule ("Example.pdf", of
// the rule's first extension, dated `now`), for the editor to show under the field; empty when
// the destination has no placeholder or does not parse. Groups show as their placeholders.
std::string DestinationExample(const Rule& rule, const LocalTime& now);

// A rule's templates made ready for many items.
class PreparedTemplates {
public:
    explicit PreparedTemplates(const Rule& rule);
    const PathTemplate& Destination() const { return destination; }
    // What the destination's placeholders read about the item: only what they use is read (a
    // template of names costs no attribute query, one of dates costs one).
    TemplateValues ValuesFor(ItemFacts& item, const Clock& clock) const;
    std::wstring ResolveDestination(ItemFacts& item, const Clock& clock) const;

private:
    std::string ruleName;
    PathTemplate destination;
    std::vector<NamePattern> patterns;  // the regex conditions that have named groups
};

}  // namespace kw
