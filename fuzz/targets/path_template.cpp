// Destination and new-name templates ("D:\Photos\{taken:yyyy}\{name}"): typed by the user or
// read from a restored settings document, resolved with the values of any item that arrives.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "model/FileName.h"
#include "model/PathTemplate.h"
#include "model/TextEncoding.h"
#include "support/FuzzCheck.h"

namespace {

kw::LocalTime Time(FuzzedDataProvider& in) {
    kw::LocalTime t;
    t.year = in.ConsumeIntegralInRange(1601, 30827);
    t.month = in.ConsumeIntegralInRange(1, 12);
    t.day = in.ConsumeIntegralInRange(1, 31);
    t.hour = in.ConsumeIntegralInRange(0, 23);
    t.minute = in.ConsumeIntegralInRange(0, 59);
    t.second = in.ConsumeIntegralInRange(0, 59);
    return t;
}

bool Forbidden(wchar_t c) { return c < 32 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos; }

// One name as SafeName promises it: nothing Windows forbids or changes, at most 255 units.
void CheckName(std::wstring_view name) {
    KW_FUZZ_CHECK(!name.empty() && name.size() <= 255);
    for (const wchar_t c : name) KW_FUZZ_CHECK(!Forbidden(c));
    KW_FUZZ_CHECK(kw::Win32KeepsName(name));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kw;
    FuzzedDataProvider in(data, size);
    std::vector<std::string> groups(in.ConsumeIntegralInRange(0, 3));
    for (std::string& g : groups) g = in.ConsumeRandomLengthString(16);
    TemplateValues v;
    v.name = ToWide(in.ConsumeRandomLengthString(300));
    v.folder = in.ConsumeBool();
    v.size = in.ConsumeIntegral<uint64_t>();
    v.modified = Time(in);
    v.created = Time(in);
    if (in.ConsumeBool()) v.taken = Time(in);
    v.now = Time(in);
    v.rule = in.ConsumeRandomLengthString(64);
    for (const std::string& g : groups) v.groups.emplace_back(g, in.ConsumeRandomLengthString(300));
    MonthNames months;
    if (in.ConsumeBool()) {
        for (std::string& m : months) m = in.ConsumeRandomLengthString(12);
        v.months = &months;
    }
    const std::string text = in.ConsumeRemainingBytesAsString();

    const PathTemplate t = ParseTemplate(text, groups);
    if (t.error) {
        KW_FUZZ_CHECK(t.error->position >= 1 && t.error->position <= text.size() + 1);
        (void)TemplateErrorText(*t.error);
        return 0;
    }
    KW_FUZZ_CHECK(TemplateFixedFolder(text) == t.fixed || !groups.empty());
    // Every value known, as when an item is routed: the new name is one safe name...
    CheckName(ResolveNameTemplate(t, v));
    // ...and a destination never leaves the fixed folder: each name after it is a safe name.
    const std::wstring destination = ResolveTemplate(t, v);
    if (!t.HasPlaceholders()) return 0;
    const std::wstring fixed = ToWide(t.fixed);
    KW_FUZZ_CHECK(destination.compare(0, fixed.size(), fixed) == 0);
    std::wstring_view rest = std::wstring_view(destination).substr(fixed.size());
    if (!rest.empty() && !fixed.empty() && fixed.back() != L'\\' && fixed.back() != L'/') {
        KW_FUZZ_CHECK(rest.front() == L'\\');
        rest.remove_prefix(1);
    }
    while (!rest.empty()) {
        const size_t cut = rest.find(L'\\');
        const std::wstring_view name = rest.substr(0, cut);
        CheckName(name);
        KW_FUZZ_CHECK(name != L"." && name != L"..");
        rest.remove_prefix(cut == std::wstring_view::npos ? rest.size() : cut + 1);
    }
    return 0;
}
