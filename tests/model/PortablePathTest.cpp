#include <gtest/gtest.h>

#include <map>

#include "model/PortablePath.h"

namespace kw {
namespace {

PathContext Context() {
    PathContext context;
    context.programFolder = L"E:\\Tools\\Fileweir";
    context.variable = [](const std::wstring& name) -> std::optional<std::wstring> {
        static const std::map<std::wstring, std::wstring> set = {
            {L"USERPROFILE", L"C:\\Users\\ann"}, {L"OneDrive", L"C:\\Users\\ann\\OneDrive"}, {L"EMPTY", L""}};
        const auto found = set.find(name);
        return found == set.end() ? std::nullopt : std::optional<std::wstring>(found->second);
    };
    return context;
}

TEST(PortablePath, DestinationsResolveAgainstTheEnvironmentAndTheProgramFolder) {
    const PathContext c = Context();
    const struct {
        const char* typed;
        const char* resolved;
    } rows[] = {
        {"%USERPROFILE%\\Documents", "C:\\Users\\ann\\Documents"},
        {"%OneDrive%\\Photos\\%USERPROFILE%", "C:\\Users\\ann\\OneDrive\\Photos\\C:\\Users\\ann"},
        {"%NOT_SET%\\x", "%NOT_SET%\\x"},           // kept as typed, as the system does
        {"%NOT_SET%USERPROFILE%", "%NOT_SETC:\\Users\\ann"},  // its closing % opens the next name
        {"50%\\off", "E:\\Tools\\Fileweir\\50%\\off"},  // a lone %, in a relative path
        {"%EMPTY%D:\\x", "D:\\x"},
        {"Unsorted", "E:\\Tools\\Fileweir\\Unsorted"},  // relative: from the program's folder
        {"..\\Sorted", "E:\\Tools\\Sorted"},
        {"D:\\Photos", "D:\\Photos"},
        {"", ""},
    };
    for (const auto& row : rows) EXPECT_EQ(ResolvedFolder(row.typed, c), row.resolved) << row.typed;
}

TEST(PortablePath, OnlyPathsInsideTheProgramFolderAreStoredRelative) {
    const std::filesystem::path program = L"E:\\Tools\\Fileweir";
    const struct {
        const char* path;
        const char* stored;
    } rows[] = {
        {"E:\\Tools\\Fileweir\\Unsorted", "Unsorted"},
        {"e:\\TOOLS\\fileweir\\Sorted\\Photos", "Sorted\\Photos"},  // Windows ignores case
        {"E:\\Tools\\Fileweir2\\Unsorted", "E:\\Tools\\Fileweir2\\Unsorted"},  // a sibling, not inside
        {"E:\\Tools\\Fileweir", "E:\\Tools\\Fileweir"},  // the folder itself
        {"D:\\Photos", "D:\\Photos"},
        {"%USERPROFILE%\\Documents", "%USERPROFILE%\\Documents"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PortableForm(row.path, program), row.stored) << row.path;
        // And back: what is stored relative comes back whole (in the stored spelling).
        if (std::string(row.stored) != row.path)
            EXPECT_EQ(InstalledForm(row.stored, program), "E:\\Tools\\Fileweir\\" + std::string(row.stored));
        else
            EXPECT_EQ(InstalledForm(row.stored, program), row.path);
    }
}

}  // namespace
}  // namespace kw
