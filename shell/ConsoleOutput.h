#pragma once
// Printing from a windowed program: to the handles it inherited when its output is redirected
// (a pipe, a file), else to the console of the process that started it, attached on first use.
// Started from Explorer there is no console, and the text goes nowhere.

#include <windows.h>

#include <string>

namespace kw {

class ConsoleOutput {
public:
    ConsoleOutput();
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    void Out(const std::string& utf8);
    void Err(const std::string& utf8);
    // Whether anything printed reaches a console, a pipe or a file.
    bool Reaches() const { return out.handle != nullptr; }

private:
    struct Target {
        HANDLE handle = nullptr;
        bool console = false;  // written as UTF-16 with WriteConsoleW; else UTF-8 bytes
    };
    static void Write(const Target& target, const std::string& utf8);
    Target out;
    Target err;
    HANDLE consoleOut = nullptr;  // CONOUT$ of the attached console, owned
};

}  // namespace kw
