#include "service/codec.h"

// windows.h first: wincrypt.h relies on its types.
#include <windows.h>

#include <wincrypt.h>

#include <algorithm>
#include <array>
#include <atomic>

namespace service {

namespace {

// The process's one CryptoAPI context, acquired on first use (a few milliseconds each time it
// is acquired, which a pass of hundreds of hashes must not pay per hash). A context may be
// shared by threads; a hash may not, so each call makes its own. Never released: a detached
// worker may still hash while the process exits. A failed acquisition is tried again on the
// next call; 0 when it failed.
HCRYPTPROV sharedProvider() {
    static std::atomic<HCRYPTPROV> shared{0};
    if (const HCRYPTPROV known = shared.load(std::memory_order_acquire); known != 0) {
        return known;
    }
    HCRYPTPROV acquired = 0;
    if (!CryptAcquireContextA(&acquired, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) &&
        !CryptAcquireContextA(&acquired, nullptr, nullptr, PROV_RSA_FULL, 0)) {
        return 0;
    }
    HCRYPTPROV expected = 0;
    if (!shared.compare_exchange_strong(expected, acquired, std::memory_order_acq_rel)) {
        CryptReleaseContext(acquired, 0); // another thread's came first
        return expected;
    }
    return acquired;
}

// Destroys the hash on every way out.
struct HashHandle final {
    HCRYPTHASH hash = 0;
    HashHandle() = default;
    HashHandle(const HashHandle&) = delete;
    HashHandle& operator=(const HashHandle&) = delete;
    ~HashHandle() {
        if (hash != 0) {
            CryptDestroyHash(hash);
        }
    }
};

} // namespace

Text md5Hex(std::string_view bytes) {
    const HCRYPTPROV provider = sharedProvider();
    HashHandle handle;
    if (provider == 0 || !CryptCreateHash(provider, CALG_MD5, 0, 0, &handle.hash)) {
        handle.hash = 0;
        return {};
    }
    // CryptHashData takes a DWORD length: feed long inputs in pieces.
    std::size_t offset = 0;
    do {
        const std::size_t piece = std::min<std::size_t>(bytes.size() - offset, 0x40000000);
        if (!CryptHashData(handle.hash, reinterpret_cast<const BYTE*>(bytes.data() + offset),
                           static_cast<DWORD>(piece), 0)) {
            return {};
        }
        offset += piece;
    } while (offset < bytes.size());
    std::array<BYTE, 16> digest{};
    DWORD length = static_cast<DWORD>(digest.size());
    if (!CryptGetHashParam(handle.hash, HP_HASHVAL, digest.data(), &length, 0) || length != 16) {
        return {};
    }
    constexpr std::string_view hexDigits = "0123456789ABCDEF";
    Text out;
    out.reserve(32);
    for (const BYTE b : digest) {
        out.push_back(hexDigits[b >> 4]);
        out.push_back(hexDigits[b & 0x0F]);
    }
    return out;
}

} // namespace service
