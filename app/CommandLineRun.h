#pragma once
// What a process started with arguments does before, or instead of, running as the program:
// `--help`, `--version`, unknown options and `route` are answered in the console and end the
// process; paths from the shell go to the copy already running, or become this copy's first batch.

#include <optional>

#include "shell/CommandLine.h"
#include "shell/IntakeMessage.h"

namespace kw {

// `--help`, `--version`, an unknown option and `route`: the process's exit code (0, 1 an item
// failed or the batch did not end, 2 bad arguments).
int RunConsoleCommand(const CommandLine& line);

// Paths from the shell while another copy runs: hands them over and returns the exit code.
int HandPathsToRunningCopy(const CommandLine& line);

// Paths from the shell for this copy, which is the first: its first batch.
IntakeRequest RequestFromShell(const CommandLine& line);

}  // namespace kw
