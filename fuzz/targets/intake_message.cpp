// The list another process hands over in WM_COPYDATA (a drop on the exe, Send To, `route` in a
// console): any program on the desktop can send these bytes to the main window.
#include <cstdint>
#include <string>

#include "shell/IntakeMessage.h"
#include "support/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kw;
    std::string why;
    const auto request = DecodeIntake(data, size, why);
    if (request) {
        KW_FUZZ_CHECK(!request->paths.empty() || !request->notes.empty());
        for (const std::wstring& path : request->paths)
            KW_FUZZ_CHECK(!path.empty() && path.size() <= kMaxPathUnits && path.find(L'\0') == std::wstring::npos);
        // What was taken is what would be handed on again.
        const auto bytes = EncodeIntake(*request);
        std::string whyAgain;
        const auto again = DecodeIntake(bytes.data(), bytes.size(), whyAgain);
        KW_FUZZ_CHECK(again && *again == *request);
    } else {
        KW_FUZZ_CHECK(!why.empty());
    }
    int exitCode = 0;
    std::string text;
    DecodeDone(data, size, exitCode, text);
    return 0;
}
