// The program's command line: arguments as the shell or a console passes them (the input holds
// UTF-16 arguments, each ended by a NUL unit).
#include <cstdint>
#include <string>
#include <vector>

#include "shell/CommandLine.h"
#include "support/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kw;
    const std::wstring units = fuzz::Utf16Units({data, size});
    std::vector<std::wstring> arguments;
    for (size_t start = 0; start < units.size();) {
        size_t end = units.find(L'\0', start);
        if (end == std::wstring::npos) end = units.size();
        arguments.emplace_back(units, start, end - start);
        start = end + 1;
    }
    const CommandLine line = ParseCommandLine(arguments);
    switch (line.mode) {
        case CommandLine::Mode::start: KW_FUZZ_CHECK(arguments.empty()); break;
        case CommandLine::Mode::help:
        case CommandLine::Mode::version: break;
        // An option the program does not know is named, never taken for a path.
        case CommandLine::Mode::invalid: KW_FUZZ_CHECK(!line.problems.empty()); break;
        case CommandLine::Mode::open:
            // Every argument is a path or a problem, none lost.
            KW_FUZZ_CHECK(line.paths.size() + line.problems.size() == arguments.size());
            break;
        case CommandLine::Mode::route:
            KW_FUZZ_CHECK(!line.paths.empty() || !line.problems.empty());
            KW_FUZZ_CHECK(!(line.preview && line.dryRun) || !line.problems.empty());
            break;
    }
    return 0;
}
