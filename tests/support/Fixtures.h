#pragma once
// Paths of the fixtures that ctest prepares on the Linux side before the tests run.

#include <filesystem>
#include <optional>

namespace kw::test {

// A fixture folder as a Windows path (Z:\...), or nothing when not run through ctest.
std::optional<std::filesystem::path> FixturePath(const char* name);

// The root of drive T:, which lies on a different file system from C: (tmpfs), or nothing.
std::optional<std::filesystem::path> SecondVolume();

// The same path through drive U:, a second drive letter mapped onto C:'s folder (as subst
// does), or nothing when there is no such letter.
// A folder on drive C: that is another file system (a link to tmpfs), as a volume mounted in a
// folder or a second share of one server is on Windows: when the second-volume fixture is set up.
std::optional<std::filesystem::path> MountedFolderOnC();

// Drive V:, a removable drive: the folder returned (through Z:) is what V: shows; renaming it
// away pulls the drive out (V:\ no longer answers), renaming it back plugs it in again.
std::optional<std::filesystem::path> StickFolder();

std::optional<std::filesystem::path> ThroughAliasDrive(const std::filesystem::path& onC);

}  // namespace kw::test
