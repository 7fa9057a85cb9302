#include "shell/CommandLine.h"

#include "model/AsciiCase.h"
#include "model/TextEncoding.h"

namespace kw {
namespace {

bool IsHelp(const std::wstring& argument) {
    return argument == L"--help" || argument == L"-h" || argument == L"/?" || argument == L"-?";
}

std::string Quoted(const std::wstring& text) {
    std::string quoted(1, '"');
    quoted += ToUtf8(text);
    quoted += '"';
    return quoted;
}

std::string UnknownOption(const std::wstring& argument) {
    return "Unknown option " + Quoted(argument) + ". Run \"KestraneFileweir.exe --help\" for the options.";
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::wstring>& arguments) {
    CommandLine line;
    if (arguments.empty()) return line;
    if (IsHelp(arguments.front())) {
        line.mode = CommandLine::Mode::help;
        return line;
    }
    if (arguments.size() == 1 && AsciiLower(ToUtf8(arguments.front())) == "--version") {
        line.mode = CommandLine::Mode::version;
        return line;
    }
    if (AsciiLower(ToUtf8(arguments.front())) != "route") {
        // Paths from the shell: it passes only full paths, so an option here was typed, and
        // whoever typed it hears that it means nothing; nothing is routed.
        line.mode = CommandLine::Mode::open;
        for (const std::wstring& argument : arguments) {
            if (argument.size() > 1 && argument[0] == L'-' && argument[1] == L'-')
                line.problems.push_back(UnknownOption(argument));
            else
                line.paths.push_back(argument);
        }
        if (!line.problems.empty()) {
            line.mode = CommandLine::Mode::invalid;
            line.paths.clear();
        }
        return line;
    }
    line.mode = CommandLine::Mode::route;
    bool optionsEnded = false;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (optionsEnded || argument.empty() || argument[0] != L'-' || argument == L"-") {
            line.paths.push_back(argument);
            continue;
        }
        const std::string option = AsciiLower(ToUtf8(argument));
        if (option == "--") optionsEnded = true;
        else if (option == "--copy") line.copy = true;
        else if (option == "--preview") line.preview = true;
        else if (option == "--dry-run") line.dryRun = true;
        else if (option == "--wait") line.wait = true;
        else if (IsHelp(argument)) line.mode = CommandLine::Mode::help;
        else line.problems.push_back(UnknownOption(argument));
    }
    if (line.mode == CommandLine::Mode::help) return line;
    if (line.preview && line.dryRun) line.problems.push_back("--preview and --dry-run cannot be used together.");
    if (line.paths.empty()) line.problems.push_back("No paths given: route needs at least one file or folder.");
    return line;
}

std::string UsageText() {
    return "Kestrane Fileweir routes files and folders by your rules.\n"
           "\n"
           "  KestraneFileweir.exe PATH...\n"
           "      Routes the items as a drop on the drop zone would (the preview setting included).\n"
           "      A copy already running takes them; several started at once become one batch.\n"
           "\n"
           "  KestraneFileweir.exe --version\n"
           "      Prints which build this is.\n"
           "\n"
           "  KestraneFileweir.exe route [--copy] [--preview | --dry-run] [--wait] [--] PATH...\n"
           "      --dry-run  prints what routing would do with each item and changes nothing\n"
           "      --preview  shows the plan in the window first; nothing moves until you choose Route\n"
           "      --wait     waits for the batch and prints one line per item, as the log writes it\n"
           "      --copy     copies the items instead of moving them\n"
           "      --         ends the options (for a path that begins with -)\n"
           "      When no copy is running, one is started in the tray and keeps running afterwards.\n"
           "\n"
           "Exit codes: 0 every item was routed or left as the rules say; 1 an item could not be\n"
           "routed as its rule says, or the batch did not end; 2 bad arguments.\n"
           "\n"
           "The program is a windowed program: it prints by attaching to the console it was\n"
           "started from. cmd.exe waits for it only in a script or with \"start /wait\"; in\n"
           "PowerShell use Start-Process -Wait -NoNewWindow, or pipe its output.\n";
}

}  // namespace kw
