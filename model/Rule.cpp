#include "model/Rule.h"

#include <algorithm>

namespace kw {

bool IsExclusive(const Rule& rule) {
    return rule.anyFileExclusive &&
           std::any_of(rule.clauses.begin(), rule.clauses.end(),
                       [](const RuleClause& c) { return c.type == ConditionType::any_file; });
}

std::string NewRuleId(std::mt19937& generator) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string id = "rule-";
    for (int i = 0; i < 8; ++i) id += kHex[(generator() >> 28) & 0xF];
    return id;
}

std::string NewRuleId() {
    static std::mt19937 generator = [] {
        std::random_device device;
        return std::mt19937(static_cast<std::mt19937::result_type>(device()));
    }();
    return NewRuleId(generator);
}

const char* ConflictPolicyLabel(ConflictPolicy policy) {
    switch (policy) {
        case ConflictPolicy::overwrite: return "Overwrite";
        case ConflictPolicy::skip: return "Skip";
        default: return "Auto-rename";
    }
}

}  // namespace kw
