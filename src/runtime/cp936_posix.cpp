#include "runtime/cp936_posix.h"

#include "runtime/immortal.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <optional>

namespace runtime {

namespace {

constexpr unsigned kFirstLead = 0x81;
constexpr unsigned kLastLead = 0xFE;
constexpr unsigned kFirstTrail = 0x40;
constexpr unsigned kTrailSpan = 0xFF - kFirstTrail; // 0x40..0xFE
constexpr char16_t kEuro = 0x20AC;
constexpr char16_t kByteFF = 0xF8F5;

bool isTrail(unsigned byte) {
    return byte >= kFirstTrail && byte <= 0xFE && byte != 0x7F;
}

// The three user-defined areas of code page 936, mapped row by row into the Private Use Area.
std::optional<char16_t> userDefinedCell(unsigned lead, unsigned trail) {
    if (lead >= 0xAA && lead <= 0xAF && trail >= 0xA1) {
        return static_cast<char16_t>(0xE000 + (lead - 0xAA) * 94 + trail - 0xA1);
    }
    if (lead >= 0xF8 && trail >= 0xA1) {
        return static_cast<char16_t>(0xE234 + (lead - 0xF8) * 94 + trail - 0xA1);
    }
    if (lead >= 0xA1 && lead <= 0xA7 && trail <= 0xA0) {
        const unsigned column = trail < 0x7F ? trail - 0x40 : trail - 0x41;
        return static_cast<char16_t>(0xE4C6 + (lead - 0xA1) * 96 + column);
    }
    return std::nullopt;
}

// glibc's reading of one two-byte cell; nullopt where it has none.
std::optional<char16_t> glibcCell(iconv_t converter, unsigned lead, unsigned trail) {
    char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    char out[4];
    char* inPointer = in;
    char* outPointer = out;
    std::size_t inLeft = sizeof in;
    std::size_t outLeft = sizeof out;
    const std::size_t result = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (result == static_cast<std::size_t>(-1) || outLeft != 2) {
        return std::nullopt;
    }
    return static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                 (static_cast<unsigned char>(out[1]) << 8U));
}

struct Tables {
    // Two-byte cells by (lead - 0x81) * kTrailSpan + (trail - 0x40); 0 for a byte pair that
    // is not a cell (trail 0x7F).
    std::array<char16_t, (kLastLead - kFirstLead + 1) * kTrailSpan> cells{};
    // GBK bytes of each UTF-16 unit: 0 for none, < 0x100 one byte, else lead << 8 | trail.
    std::array<std::uint16_t, 0x10000> bytes{};

    Tables() {
        iconv_t converter = iconv_open("UTF-16LE", "CP936");
        char16_t nextPrivate = 0xE766;
        for (unsigned lead = kFirstLead; lead <= kLastLead; ++lead) {
            for (unsigned trail = kFirstTrail; trail <= 0xFE; ++trail) {
                if (!isTrail(trail)) {
                    continue;
                }
                std::optional<char16_t> unit = userDefinedCell(lead, trail);
                if (!unit && converter != reinterpret_cast<iconv_t>(-1)) {
                    unit = glibcCell(converter, lead, trail);
                }
                if (!unit) {
                    unit = nextPrivate++;
                }
                cells[(lead - kFirstLead) * kTrailSpan + (trail - kFirstTrail)] = *unit;
                if (bytes[*unit] == 0) {
                    bytes[*unit] = static_cast<std::uint16_t>(lead << 8U | trail);
                }
            }
        }
        if (converter != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(converter);
        }
        for (unsigned ascii = 1; ascii < 0x80; ++ascii) {
            bytes[ascii] = static_cast<std::uint16_t>(ascii);
        }
        bytes[kEuro] = 0x80;
        bytes[kByteFF] = 0xFF;
    }
};

const Tables& tables() {
    static const Immortal<Tables> instance;
    return instance.value;
}

} // namespace

std::u16string cp936ToUtf16(std::string_view input) {
    const Tables& table = tables();
    std::u16string utf16;
    utf16.reserve(input.size());
    for (std::size_t i = 0; i < input.size(); ++i) {
        const auto byte = static_cast<unsigned char>(input[i]);
        if (byte < 0x80) {
            utf16.push_back(byte);
        } else if (byte == 0x80) {
            utf16.push_back(kEuro);
        } else if (byte == 0xFF) {
            utf16.push_back(kByteFF);
        } else if (i + 1 == input.size() || input[i + 1] == '\0') {
            utf16.push_back(u'?');
        } else {
            const auto trail = static_cast<unsigned char>(input[++i]);
            utf16.push_back(
                isTrail(trail) ? table.cells[(byte - kFirstLead) * kTrailSpan + trail - kFirstTrail]
                               : u'?');
        }
    }
    return utf16;
}

std::string utf16ToCp936(std::u16string_view utf16) {
    const Tables& table = tables();
    std::string out;
    out.reserve(utf16.size() * 2);
    for (const char16_t unit : utf16) {
        const std::uint16_t bytes = unit == 0 ? 0 : table.bytes[unit];
        if (unit == 0) {
            out.push_back('\0');
        } else if (bytes == 0) {
            out.push_back('?');
        } else if (bytes < 0x100) {
            out.push_back(static_cast<char>(bytes));
        } else {
            out.push_back(static_cast<char>(bytes >> 8U));
            out.push_back(static_cast<char>(bytes & 0xFFU));
        }
    }
    return out;
}

} // namespace runtime
