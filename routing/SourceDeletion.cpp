#include "routing/SourceDeletion.h"

#include <windows.h>

#include <string>

#include "model/ExtendedPath.h"
#include "model/UniqueFile.h"
#include "routing/FileIdentity.h"
#include "routing/FileTree.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

std::error_code LastError() { return {static_cast<int>(GetLastError()), std::system_category()}; }

class SourceCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "source"; }
    std::string message(int) const override { return "The item changed while it was being moved."; }
};

uint64_t Ticks(const LARGE_INTEGER& t) { return static_cast<uint64_t>(t.QuadPart); }

// A file's fingerprint as FingerprintTree reads it from its entry, read from an open handle.
bool FingerprintOfHandle(HANDLE h, TreeFingerprint& fingerprint) {
    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
    if (!GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic) ||
        !GetFileInformationByHandleEx(h, FileStandardInfo, &standard, sizeof standard) || standard.Directory)
        return false;
    fingerprint = TreeFingerprint{};
    fingerprint.bytes = static_cast<uint64_t>(standard.EndOfFile.QuadPart);
    fingerprint.entries = 1;
    fingerprint.stamp = Ticks(basic.LastWriteTime);
    return true;
}

bool IsFolderAt(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Marks the open file for deletion. A read-only file refuses it (STATUS_CANNOT_DELETE): moving
// it means it goes all the same, so the attribute is cleared first and put back on failure.
// After the mark the only thing left to do with the handle is to close it
// (FILE_DISPOSITION_INFORMATION, Microsoft's documentation).
std::error_code MarkForDeletion(HANDLE h) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition)) return {};
    const std::error_code refused = LastError();
    FILE_BASIC_INFO basic{};
    if (refused.value() != ERROR_ACCESS_DENIED || !GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic) ||
        !(basic.FileAttributes & FILE_ATTRIBUTE_READONLY))
        return refused;
    const DWORD attributes = basic.FileAttributes;
    FILE_BASIC_INFO writable{};  // zero times: left as they are
    writable.FileAttributes = (attributes & ~FILE_ATTRIBUTE_READONLY) ? attributes & ~FILE_ATTRIBUTE_READONLY
                                                                       : FILE_ATTRIBUTE_NORMAL;
    if (!SetFileInformationByHandle(h, FileBasicInfo, &writable, sizeof writable)) return refused;
    if (SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition)) return {};
    const std::error_code again = LastError();
    writable.FileAttributes = attributes;
    SetFileInformationByHandle(h, FileBasicInfo, &writable, sizeof writable);
    return again;
}

// A file is opened for its deletion without letting anyone write it: one that another program
// has open for writing refuses (ERROR_SHARING_VIOLATION) and stays, and once open nobody can
// start writing it. The held handle of CopiedSource only reads, so it lets this open through;
// FILE_SHARE_DELETE is needed by nobody else but costs nothing.
std::error_code DeleteCopiedFile(const std::wstring& path, const TreeFingerprint& copied, std::optional<uint64_t> index,
                                 HANDLE held) {
    if (held) {
        // Held since before its copy, nobody could write it: the held object itself is deleted,
        // through a second handle on it ("ReOpenFile": the access asked for must suit the held
        // handle's sharing, which lets deletion in). Whatever another program may have put at
        // its name meanwhile is not touched.
        const UniqueFile again = OwnFile(
            ReOpenFile(held, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_DELETE, 0));
        if (again) return MarkForDeletion(again.get());
    }
    const UniqueFile h = OwnFile(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                             FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                             FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!h) {
        const std::error_code ec = LastError();
        // Its name leads nowhere: the item that was copied is no longer there under it.
        return ec.value() == ERROR_FILE_NOT_FOUND || ec.value() == ERROR_PATH_NOT_FOUND ? SourceChangedError() : ec;
    }
    TreeFingerprint now;
    if (!FingerprintOfHandle(h.get(), now) || now != copied) return SourceChangedError();
    // The object at the name is the one that was copied: the held one, or the one whose number
    // was read before the copy. Where no number can be read, the fingerprint alone decides.
    const std::optional<uint64_t> expected = held ? FileIndexOfHandle(held) : index;
    const std::optional<uint64_t> actual = expected ? FileIndexOfHandle(h.get()) : std::nullopt;
    if (expected && actual != expected) return SourceChangedError();
    return MarkForDeletion(h.get());
}

// A folder is renamed aside (to a staging name beside it) and compared there: nothing
// half-deleted is ever left under its own name to pass for the item, which is whole at its
// target, and nothing can be added to it by its old name meanwhile. The rename also asks the one
// question deletion answers unreliably: Wine reports a file deleted from a folder the user may
// not change, and leaves it there. When it differs, or its deletion fails while the process lives
// on, what is left goes back under its name, where the user looks for it.
std::error_code DeleteCopiedFolder(const std::wstring& path, const std::wstring& aside, const TreeFingerprint& copied) {
    if (!MoveFileExW(path.c_str(), aside.c_str(), 0)) return LastError();
    TreeFingerprint now;
    std::error_code ec;
    if (FingerprintTree(fs::path(aside), now) || now != copied) ec = SourceChangedError();
    else ec = DeleteTree(fs::path(aside));
    if (ec) MoveFileExW(aside.c_str(), path.c_str(), 0);
    return ec;
}

}  // namespace

void CopiedSource::Closer::operator()(void* handle) const { CloseHandle(static_cast<HANDLE>(handle)); }

std::error_code CopiedSource::Take(const fs::path& source, bool hold, CopiedSource& taken) {
    taken = CopiedSource{};
    const std::wstring path = ExtendedPath(source);
    if (hold && !IsFolderAt(path)) {
        // Readers and the deletion below may open it; writers may not ("Creating and Opening
        // Files", share modes). A file another program already writes cannot be held: it is
        // compared instead.
        const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            taken.held.reset(h);
            if (FingerprintOfHandle(h, taken.fingerprint)) return {};
            taken.held.reset();
        }
    }
    if (const std::error_code ec = FingerprintTree(source, taken.fingerprint)) return ec;
    if (!taken.fingerprint.folder) taken.index = FileIndexOf(source);
    return {};
}

CopiedSource CopiedSource::FromRecord(const TreeFingerprint& fingerprint) {
    CopiedSource copied;
    copied.fingerprint = fingerprint;
    return copied;
}

std::error_code DeleteCopiedSource(const fs::path& source, const fs::path& aside, CopiedSource& copied) {
    const std::wstring path = ExtendedPath(source);
    std::error_code ec;
    if (copied.fingerprint.folder) {
        ec = DeleteCopiedFolder(path, ExtendedPath(aside), copied.fingerprint);
    } else {
        ec = DeleteCopiedFile(path, copied.fingerprint, copied.index, static_cast<HANDLE>(copied.held.get()));
    }
    // The file goes when its last handle closes: the held one is closed before the look-up.
    copied.Release();
    if (ec) return ec;
    // Wine reports a file deleted from a folder the user may not change, and leaves it there.
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return {ERROR_ACCESS_DENIED, std::system_category()};
    return {};
}

std::error_code DeleteRemainsAside(const fs::path& aside, const fs::path& target) {
    if (!HoldsCopyOf(target, aside)) return SourceChangedError();
    return DeleteTree(aside);
}

std::error_code SourceChangedError() {
    static const SourceCategory category;
    return {1, category};
}

bool IsSourceChanged(const std::error_code& ec) { return ec == SourceChangedError(); }

}  // namespace kw
