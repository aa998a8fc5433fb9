#include "service/codec.h"

// windows.h first: wincrypt.h relies on its types.
#include <windows.h>

#include <wincrypt.h>

#include <algorithm>
#include <array>

namespace service {

namespace {

// Releases the context and destroys the hash on every way out.
struct CryptHandles final {
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    CryptHandles() = default;
    CryptHandles(const CryptHandles&) = delete;
    CryptHandles& operator=(const CryptHandles&) = delete;
    ~CryptHandles() {
        if (hash != 0) {
            CryptDestroyHash(hash);
        }
        if (provider != 0) {
            CryptReleaseContext(provider, 0);
        }
    }
};

} // namespace

Text md5Hex(std::string_view bytes) {
    CryptHandles handles;
    if (!CryptAcquireContextA(&handles.provider, nullptr, nullptr, PROV_RSA_FULL,
                              CRYPT_VERIFYCONTEXT) &&
        !CryptAcquireContextA(&handles.provider, nullptr, nullptr, PROV_RSA_FULL, 0)) {
        handles.provider = 0;
        return {};
    }
    if (!CryptCreateHash(handles.provider, CALG_MD5, 0, 0, &handles.hash)) {
        handles.hash = 0;
        return {};
    }
    // CryptHashData takes a DWORD length: feed long inputs in pieces.
    std::size_t offset = 0;
    do {
        const std::size_t piece = std::min<std::size_t>(bytes.size() - offset, 0x40000000);
        if (!CryptHashData(handles.hash, reinterpret_cast<const BYTE*>(bytes.data() + offset),
                           static_cast<DWORD>(piece), 0)) {
            return {};
        }
        offset += piece;
    } while (offset < bytes.size());
    std::array<BYTE, 16> digest{};
    DWORD length = static_cast<DWORD>(digest.size());
    if (!CryptGetHashParam(handles.hash, HP_HASHVAL, digest.data(), &length, 0) || length != 16) {
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
