#include "service/codec.h"

#include <openssl/evp.h>

#include <array>
#include <memory>

namespace service {

Text md5Hex(std::string_view bytes) {
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                          &EVP_MD_CTX_free);
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1 ||
        EVP_DigestUpdate(context.get(), bytes.data(), bytes.size()) != 1 ||
        EVP_DigestFinal_ex(context.get(), digest.data(), &length) != 1 || length != 16) {
        return {};
    }
    constexpr std::string_view hexDigits = "0123456789ABCDEF";
    Text out;
    out.reserve(32);
    for (unsigned int i = 0; i < length; ++i) {
        out.push_back(hexDigits[digest[i] >> 4]);
        out.push_back(hexDigits[digest[i] & 0x0F]);
    }
    return out;
}

} // namespace service
