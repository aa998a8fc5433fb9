#include "runtime/charset_names.h"
#include "runtime/codepage.h"
#include "runtime/cp936_posix.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace runtime {

namespace {

class Converter final {
public:
    Converter(const char* to, const char* from) : m_handle(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) {
            iconv_close(m_handle);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_handle != reinterpret_cast<iconv_t>(-1); }

    // Converts the whole input. A sequence the converter rejects is skipped by `skip` bytes
    // and `replacement` is written in its place, so bad input never stops the conversion.
    std::string convert(std::string_view input, std::string_view replacement, std::size_t skip) {
        std::string output;
        output.resize(input.size() * 2 + 16);
        // iconv takes a non-const input pointer but never writes through it.
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        std::size_t written = 0;
        while (inLeft > 0) {
            char* out = output.data() + written;
            std::size_t outLeft = output.size() - written;
            const std::size_t result = iconv(m_handle, &in, &inLeft, &out, &outLeft);
            const int error = errno;
            written = output.size() - outLeft;
            if (result != static_cast<std::size_t>(-1)) {
                break;
            }
            if (error == E2BIG) {
                output.resize(output.size() * 2);
                continue;
            }
            // EILSEQ: invalid sequence; EINVAL: the input ends inside a character.
            output.resize(std::max(output.size(), written + replacement.size() + 16));
            output.replace(written, replacement.size(), replacement);
            written += replacement.size();
            const std::size_t step = error == EINVAL ? inLeft : std::min(skip, inLeft);
            in += step;
            inLeft -= step;
            iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
        }
        output.resize(written);
        return output;
    }

private:
    iconv_t m_handle;
};

constexpr std::string_view kWideQuestionMark{"?\0", 2};
constexpr std::string_view kReplacementCharacter{"\xFD\xFF", 2};

std::string utf16ToBytes(std::u16string_view utf16) {
    std::string bytes;
    bytes.reserve(utf16.size() * 2);
    for (const char16_t unit : utf16) {
        bytes.push_back(static_cast<char>(unit & 0xFFU));
        bytes.push_back(static_cast<char>(unit >> 8U));
    }
    return bytes;
}

std::u16string bytesToUtf16(std::string_view bytes) {
    std::u16string utf16;
    utf16.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        utf16.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              (static_cast<unsigned char>(bytes[i + 1]) << 8U)));
    }
    return utf16;
}

std::string convert(const char* to, const char* from, std::string_view input,
                    std::string_view replacement, std::size_t skip) {
    if (input.empty()) {
        return {};
    }
    Converter converter(to, from);
    if (!converter.valid()) {
        return {};
    }
    return converter.convert(input, replacement, skip);
}

} // namespace

// Code page 936 itself is read and written by cp936_posix, the way Windows does; UTF-8 goes
// through UTF-16 as on Windows, a byte UTF-8 cannot read becoming U+FFFD and so '?'.
std::u16string gbkToUtf16(std::string_view gbk) {
    return cp936ToUtf16(gbk);
}

Text utf16ToGbk(std::u16string_view utf16) {
    return utf16ToCp936(utf16);
}

std::string gbkToUtf8(std::string_view gbk) {
    return convert("UTF-8", "UTF-16LE", utf16ToBytes(cp936ToUtf16(gbk)), "?", 2);
}

Text utf8ToGbk(std::string_view utf8) {
    return utf16ToCp936(bytesToUtf16(convert("UTF-16LE", "UTF-8", utf8, kReplacementCharacter, 1)));
}

std::optional<Text> charsetToGbk(std::string_view bytes, std::string_view charsetName) {
    const std::optional<std::string> name = iconvCharsetName(charsetName);
    if (!name) {
        return std::nullopt;
    }
    Converter converter("UTF-16LE", name->c_str());
    if (!converter.valid()) {
        return std::nullopt;
    }
    // Through UTF-16, as the page would be read on Windows, so both platforms agree.
    return utf16ToGbk(bytesToUtf16(converter.convert(bytes, kWideQuestionMark, 1)));
}

} // namespace runtime
