#include "routing/JournalSeal.h"

#include <windows.h>
#include <bcrypt.h>

#include <array>
#include <memory>

#include "model/DataFolder.h"
#include "model/ExtendedPath.h"

namespace kw {

namespace {

using Key = JournalKeyBytes;

struct HashCloser {
    void operator()(BCRYPT_HASH_HANDLE h) const { BCryptDestroyHash(h); }
};

// Opened once and kept for the process: Microsoft's remarks on BCryptOpenAlgorithmProvider call
// it relatively time intensive and advise caching provider handles that are used more than once
// (a record is sealed for every move across volumes). An algorithm handle may be shared by
// threads; each seal makes its own hash object.
BCRYPT_ALG_HANDLE HmacAlgorithm() {
    static const BCRYPT_ALG_HANDLE algorithm = [] {
        BCRYPT_ALG_HANDLE opened = nullptr;
        if (!BCRYPT_SUCCESS(
                BCryptOpenAlgorithmProvider(&opened, BCRYPT_SHA256_ALGORITHM, nullptr, BCRYPT_ALG_HANDLE_HMAC_FLAG)))
            return BCRYPT_ALG_HANDLE{};
        return opened;
    }();
    return algorithm;
}

std::optional<std::wstring> Hmac(const Key& key, std::wstring_view body) {
    BCRYPT_ALG_HANDLE rawAlgorithm = HmacAlgorithm();
    if (!rawAlgorithm) return std::nullopt;
    BCRYPT_HASH_HANDLE rawHash = nullptr;
    // No hash object buffer: the provider allocates it (documented from Windows 7 on).
    Key secret = key;
    if (!BCRYPT_SUCCESS(BCryptCreateHash(rawAlgorithm, &rawHash, nullptr, 0, secret.data(), secret.size(), 0)))
        return std::nullopt;
    const std::unique_ptr<void, HashCloser> hash(rawHash);
    std::wstring input(body);
    auto* bytes = reinterpret_cast<unsigned char*>(input.data());
    std::array<unsigned char, 32> mac{};
    if (!BCRYPT_SUCCESS(BCryptHashData(rawHash, bytes, static_cast<ULONG>(input.size() * sizeof(wchar_t)), 0)) ||
        !BCRYPT_SUCCESS(BCryptFinishHash(rawHash, mac.data(), mac.size(), 0)))
        return std::nullopt;
    std::wstring hex;
    for (const unsigned char b : mac) {
        hex.push_back(L"0123456789abcdef"[b >> 4]);
        hex.push_back(L"0123456789abcdef"[b & 15]);
    }
    return hex;
}

}  // namespace

const JournalKeyFile& InstallationKey() {
    static const JournalKeyFile key = LoadJournalKey(DataFolder().folder);
    return key;
}

std::optional<std::wstring> SealJournal(std::wstring_view body) {
    const auto& key = InstallationKey().key;
    if (!key) return std::nullopt;
    return Hmac(*key, body);
}

std::optional<std::wstring> SealJournalWith(const JournalKeyBytes& key, std::wstring_view body) { return Hmac(key, body); }

bool SealHolds(std::wstring_view body, std::wstring_view seal) {
    const auto expected = SealJournal(body);
    if (!expected || expected->size() != seal.size()) return false;
    wchar_t difference = 0;  // compared in full, not up to the first mismatch
    for (size_t i = 0; i < seal.size(); ++i) difference |= (*expected)[i] ^ seal[i];
    return difference == 0;
}

}  // namespace kw
