#pragma once
// What the campaign's scenarios share: content hashes of files and trees, file creation on any
// path, and one batch through the route job.

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "model/AppSettings.h"
#include "routing/RouteJob.h"

namespace campaign {

// Content hash of a file, or of a folder's relative names and contents; 0 when missing or unreadable.
uint64_t HashItem(const std::filesystem::path& item);
// Sorted entry names of a folder (given in \\?\ form when it may be long).
std::vector<std::wstring> ListFolder(const std::wstring& folder);
// Creates a new file (never replaces one), on paths of any length and with any legal name.
bool WriteBytes(const std::filesystem::path& path, const std::string& bytes);
std::string RandomBytes(std::mt19937& random, size_t size);

kw::RouteJobResult RunBatch(const kw::AppSettings& settings, std::vector<std::filesystem::path> items);
// Settings without rules that send every item to `destination`.
kw::AppSettings CatchAllTo(const std::filesystem::path& destination,
                           kw::ConflictPolicy conflict = kw::ConflictPolicy::rename);

// `stick`, when given, is the folder drive W: shows (renamed away to pull the stick out).
int Hostile(const std::filesystem::path& root, const std::filesystem::path& otherVolume,
            const std::filesystem::path& fullVolume, const std::filesystem::path& stick);
int Fuzz(double seconds, const std::filesystem::path& root);
// step: prepare (as root), route (as an unprivileged user), verify (as root); see Hostile.cpp.
int Denied(const std::wstring& step, const std::filesystem::path& root, const std::filesystem::path& otherVolume);

}  // namespace campaign
