#include "ui/RoutingSummary.h"
#include "ui/ReadableColour.h"

#include <imgui.h>

#include "matching/ListParsing.h"
#include "ui/RuleWarnings.h"
#include "ui/SizeText.h"

namespace kw {
namespace {

constexpr const char* kEmDash = "\xE2\x80\x94";

std::string Join(const std::vector<std::string>& parts, const char* separator) {
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) text += separator;
        text += parts[i];
    }
    return text;
}

const char* SizeOpWords(SizeOp op) {
    switch (op) {
        case SizeOp::greater_equal: return "at least";
        case SizeOp::less: return "less than";
        case SizeOp::less_equal: return "at most";
        case SizeOp::equal: return "exactly";
        default: return "greater than";
    }
}

std::string MoveSentence(const std::string& folder, const char* whenEmpty, ConflictPolicy conflict,
                         const char* verb = "Move to: ") {
    std::string text = verb;
    text += folder.empty() ? std::string(whenEmpty) : folder;
    text += " ";
    text += kEmDash;
    text += " on name conflict: ";
    text += ConflictPolicyLabel(conflict);
    return text;
}

}  // namespace

std::string DescribeCondition(const RuleClause& clause) {
    std::string text;
    switch (clause.type) {
        case ConditionType::extension: {
            const std::vector<std::string> entries = ParseExtensionList(clause.extensions);
            if (entries.empty()) {
                text = "Extension is ";
                text += clause.extensions;
            } else {
                text = "Extension is one of: ";
                text += Join(entries, ", ");
            }
            return text;
        }
        case ConditionType::file_size:
            text = "File size is ";
            text += SizeOpWords(clause.sizeOp);
            text += " ";
            text += FormatSize(clause.sizeBytes);
            return text;
        case ConditionType::alphabetical:
            text = "Name starts with ";
            text += clause.alphaFrom;
            text += "-";
            text += clause.alphaTo;
            return text;
        case ConditionType::keyword: {
            const std::vector<std::string> entries = ParseKeywordList(clause.keyword);
            if (entries.size() >= 2) {
                std::vector<std::string> quoted;
                for (const std::string& entry : entries) {
                    std::string q = "\"";
                    q += entry;
                    q += "\"";
                    quoted.push_back(std::move(q));
                }
                text = "Filename contains any of: ";
                text += Join(quoted, ", ");
            } else {
                text = "Filename contains \"";
                text += clause.keyword;
                text += "\"";
            }
            if (clause.keywordCaseSensitive) text += " (case sensitive)";
            return text;
        }
        case ConditionType::date:
            text = clause.dateField == DateField::created ? "Date created" : "Date modified";
            text += " is ";
            text += clause.dateOp == DateOp::newer ? "newer than" : "older than";
            text += " ";
            text += std::to_string(clause.dateDays);
            text += " days";
            return text;
        case ConditionType::regex:
            text = "Filename matches regex: ";
            text += clause.regex;
            return text;
        case ConditionType::any_file: return "Any file";
    }
    return "Unknown condition";
}

std::string DescribeConditions(const Rule& rule) {
    if (rule.clauses.empty()) return "(no conditions)";
    if (rule.clauses.size() == 1) return DescribeCondition(rule.clauses.front());
    const bool any = rule.combineLogic == CombineLogic::any;
    std::vector<std::string> sentences;
    for (const RuleClause& clause : rule.clauses) sentences.push_back(DescribeCondition(clause));
    std::string text = any ? "When any of: " : "When all of: ";
    text += Join(sentences, any ? " or " : " and ");
    return text;
}

std::string DescribeAction(const Rule& rule) {
    switch (rule.action) {
        case RuleAction::leave_in_place: return "Leave in place (not moved)";
        case RuleAction::recycle: return "Send to Recycle Bin";
        case RuleAction::rename: return MoveSentence(rule.renameTo, "(no new name set)", rule.conflict, "Rename to: ");
        default: break;
    }
    // "Move to: D:\Photos as {name} 2024"
    std::string folder = rule.destination.empty() ? std::string("(no folder set)") : rule.destination;
    if (!rule.renameTo.empty()) folder += " as " + rule.renameTo;
    return MoveSentence(folder, "", rule.conflict, rule.action == RuleAction::copy ? "Copy to: " : "Move to: ");
}

std::vector<SummaryRow> BuildRoutingSummary(const AppSettings& settings) {
    std::vector<SummaryRow> rows;
    int index = 0;
    for (const Rule& rule : settings.rules) {
        SummaryRow row;
        row.index = ++index;
        row.title = rule.name;
        row.enabled = rule.enabled;
        row.when = DescribeConditions(rule);
        row.then = DescribeAction(rule);
        if (!rule.enabled) {
            row.note = "Skipped (rule is off).";
        } else if (IsExclusive(rule)) {
            row.note = "Exclusive: while enabled, ALL dropped files use this rule; other rules are ignored.";
        } else if (rule.action != RuleAction::recycle && rule.action != RuleAction::leave_in_place &&
                   rule.destination.empty()) {
            row.note = "Warning: no destination folder ";
            row.note += kEmDash;
            row.note += " this rule will not run.";
        } else if (rule.action == RuleAction::leave_in_place) {
            row.note = "Matching files are not moved. Put this rule above others to exclude items from routing.";
        }
        rows.push_back(std::move(row));
    }

    SummaryRow last;
    last.index = index + 1;
    last.enabled = true;
    last.when = "No other rule matched";
    if (settings.noMatchPolicy == NoMatchPolicy::leave_in_place) {
        last.title = "No match";
        last.then = "Leave in place (not moved)";
        last.note = "Configured in Settings: files with no matching rule stay where they are.";
    } else {
        last.title = "Catch-all (Unsorted)";
        last.then = MoveSentence(settings.catchAllPath, "(default Unsorted)", settings.catchAllConflict);
        last.note = "Configured in Settings as the Unsorted fallback.";
    }
    rows.push_back(std::move(last));
    return rows;
}

void DrawSummaryTab(const AppSettings& settings, const std::vector<RuleWarning>& warnings) {
    ImGui::TextWrapped(
        "This is what happens when you drop files, in priority order (top rule first). The first enabled rule "
        "whose conditions match wins.");
    ImGui::Spacing();
    const std::vector<SummaryRow> rows = BuildRoutingSummary(settings);
    ImGui::BeginChild("routing_summary", ImVec2(0, 0), ImGuiChildFlags_Border);
    DrawWarningList(settings, warnings);
    ImGui::Separator();
    for (const SummaryRow& row : rows) {
        ImGui::PushID(row.index);
        const ImVec4 colour = row.enabled ? ImVec4(0.45f, 0.90f, 1.00f, 1.00f) : ImVec4(0.55f, 0.55f, 0.55f, 1.00f);
        ImGui::TextColored(Readable(colour), "%d. %s%s", row.index, row.title.c_str(), row.enabled ? "" : "  [OFF]");
        ImGui::TextWrapped("When: %s", row.when.c_str());
        ImGui::TextWrapped("Then: %s", row.then.c_str());
        if (!row.note.empty()) ImGui::TextColored(Readable(ImVec4(0.85f, 0.75f, 0.35f, 1.00f)), "%s", row.note.c_str());
        ImGui::Separator();
        ImGui::PopID();
    }
    ImGui::EndChild();
}

}  // namespace kw
