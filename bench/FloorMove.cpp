// The floor of a drop as a user waits for it: a bare process that lists a folder and moves each
// file in it into another folder with MoveFileExW, and nothing else (no window, no rules, no
// records). bench/drop-bench.sh times it as a whole Wine process, beside the program.
//
//   FloorMove <from-folder> <to-folder>     prints "moved N of M"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: FloorMove <from-folder> <to-folder>\n");
        return 2;
    }
    const std::wstring from = argv[1], to = argv[2];
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry{};
    const HANDLE find = FindFirstFileExW((from + L"\\*").c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                         nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return 1;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(entry.cFileName);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    size_t moved = 0;
    for (const std::wstring& name : names)
        if (MoveFileExW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), 0)) ++moved;
    std::printf("moved %zu of %zu\n", moved, names.size());
    return moved == names.size() ? 0 : 1;
}
