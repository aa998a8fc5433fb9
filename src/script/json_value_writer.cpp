#include "script/json_value_writer.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace script {

namespace {

bool inEscapeClass(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xAD || (c >= 0x600 && c <= 0x604) ||
           c == 0x70F || c == 0x17B4 || c == 0x17B5 || (c >= 0x200C && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202F) || (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF ||
           c >= 0xFFF0;
}

void appendHexEscape(std::u16string& out, char16_t c) {
    static constexpr std::u16string_view kHex = u"0123456789abcdef";
    out += u"\\u";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out.push_back(kHex[(c >> shift) & 0xF]);
    }
}

void appendStringUnit(std::u16string& out, char16_t c) {
    switch (c) {
    case u'"':
        out += u"\\\"";
        return;
    case u'\\':
        out += u"\\\\";
        return;
    case u'\b':
        out += u"\\b";
        return;
    case u'\t':
        out += u"\\t";
        return;
    case u'\n':
        out += u"\\n";
        return;
    case u'\f':
        out += u"\\f";
        return;
    case u'\r':
        out += u"\\r";
        return;
    default:
        if (inEscapeClass(c)) {
            appendHexEscape(out, c);
        } else {
            out.push_back(c);
        }
    }
}

int hexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    return (c | 0x20) - u'a' + 10;
}

// Reads a number as JSON.parse does: the nearest double, infinity past the largest, zero
// below the smallest.
double numberValue(std::u16string_view written) {
    std::string ascii(written.begin(), written.end());
    const bool negative = !ascii.empty() && ascii.front() == '-';
    double value = 0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (error != std::errc::result_out_of_range) {
        return value;
    }
    // Out of range: the decimal exponent of the leading significant digit tells which way.
    const std::size_t exponentAt = ascii.find_first_of("eE");
    const std::string mantissa = ascii.substr(0, exponentAt);
    const long long exponent = exponentAt == std::string::npos
                                   ? 0
                                   : std::strtoll(ascii.c_str() + exponentAt + 1, nullptr, 10);
    const std::size_t point = mantissa.find('.');
    const std::size_t integerEnd = point == std::string::npos ? mantissa.size() : point;
    const std::size_t firstSignificant = mantissa.find_first_of("123456789");
    const long long leadingPower = firstSignificant < integerEnd
                                       ? static_cast<long long>(integerEnd - firstSignificant) - 1
                                       : -static_cast<long long>(firstSignificant - integerEnd);
    const double magnitude = exponent + leadingPower > 0 ? HUGE_VAL : 0.0;
    return negative ? -magnitude : magnitude;
}

class CompactWriter final {
public:
    CompactWriter(std::u16string_view text, std::u16string& out) : m_text(text), m_out(out) {}

    void value(std::size_t& pos) {
        skipSpace(pos);
        switch (m_text[pos]) {
        case u'{':
            object(pos);
            return;
        case u'[':
            array(pos);
            return;
        case u'"':
            string(pos);
            return;
        case u't':
            literal(pos, u"true");
            return;
        case u'f':
            literal(pos, u"false");
            return;
        case u'n':
            literal(pos, u"null");
            return;
        default:
            number(pos);
        }
    }

private:
    struct Member {
        std::u16string_view name;
        std::size_t begin; // of "name":value in the output
        std::size_t end;
    };

    void object(std::size_t& pos) {
        const std::size_t start = m_out.size();
        m_out.push_back(u'{');
        ++pos;
        std::vector<Member> members;
        std::unordered_set<std::u16string_view> names; // once there are many members
        bool repeatedName = false;
        skipSpace(pos);
        while (m_text[pos] != u'}') {
            const std::size_t nameStart = pos + 1;
            pos = m_text.find(u'"', nameStart);
            // Names of a plain text hold no escapes, so the written name is the name.
            const std::u16string_view name = m_text.substr(nameStart, pos - nameStart);
            ++pos;
            skipSpace(pos);
            ++pos; // the colon
            if (!members.empty()) {
                m_out.push_back(u',');
            }
            const std::size_t begin = m_out.size();
            writeString(name);
            m_out.push_back(u':');
            value(pos);
            repeatedName = seenBefore(members, names, name) || repeatedName;
            members.push_back({name, begin, m_out.size()});
            skipSpace(pos);
            if (m_text[pos] == u',') {
                ++pos;
                skipSpace(pos);
            }
        }
        ++pos;
        if (repeatedName) {
            rewriteWithLastValues(start, members);
        }
        m_out.push_back(u'}');
    }

    static bool seenBefore(const std::vector<Member>& members,
                           std::unordered_set<std::u16string_view>& names,
                           std::u16string_view name) {
        constexpr std::size_t kScanned = 16;
        if (members.size() < kScanned) {
            for (const Member& member : members) {
                if (member.name == name) {
                    return true;
                }
            }
            return false;
        }
        if (names.empty()) {
            for (const Member& member : members) {
                names.insert(member.name);
            }
        }
        return !names.insert(name).second;
    }

    // A name written more than once keeps its first place and takes its last value.
    void rewriteWithLastValues(std::size_t start, const std::vector<Member>& members) {
        std::unordered_map<std::u16string_view, std::size_t> last;
        std::vector<std::u16string_view> order;
        for (std::size_t i = 0; i < members.size(); ++i) {
            if (last.insert_or_assign(members[i].name, i).second) {
                order.push_back(members[i].name);
            }
        }
        std::u16string rewritten = u"{";
        for (const std::u16string_view name : order) {
            const Member& member = members[last[name]];
            if (rewritten.size() > 1) {
                rewritten.push_back(u',');
            }
            rewritten.append(m_out, member.begin, member.end - member.begin);
        }
        m_out.replace(start, std::u16string::npos, rewritten);
    }

    void array(std::size_t& pos) {
        m_out.push_back(u'[');
        ++pos;
        skipSpace(pos);
        bool first = true;
        while (m_text[pos] != u']') {
            if (!first) {
                m_out.push_back(u',');
            }
            first = false;
            value(pos);
            skipSpace(pos);
            if (m_text[pos] == u',') {
                ++pos;
            }
            skipSpace(pos);
        }
        ++pos;
        m_out.push_back(u']');
    }

    void string(std::size_t& pos) {
        m_out.push_back(u'"');
        ++pos;
        while (m_text[pos] != u'"') {
            char16_t c = m_text[pos++];
            if (c == u'\\') {
                const char16_t escape = m_text[pos++];
                switch (escape) {
                case u'b':
                    c = u'\b';
                    break;
                case u'f':
                    c = u'\f';
                    break;
                case u'n':
                    c = u'\n';
                    break;
                case u'r':
                    c = u'\r';
                    break;
                case u't':
                    c = u'\t';
                    break;
                case u'u':
                    c = 0;
                    for (int i = 0; i < 4; ++i) {
                        c = static_cast<char16_t>((c << 4) | hexValue(m_text[pos++]));
                    }
                    break;
                default: // quotation mark, backslash, solidus
                    c = escape;
                }
            }
            appendStringUnit(m_out, c);
        }
        ++pos;
        m_out.push_back(u'"');
    }

    void writeString(std::u16string_view raw) {
        m_out.push_back(u'"');
        for (const char16_t c : raw) {
            appendStringUnit(m_out, c);
        }
        m_out.push_back(u'"');
    }

    void literal(std::size_t& pos, std::u16string_view word) {
        m_out += word;
        pos += word.size();
    }

    void number(std::size_t& pos) {
        const std::size_t start = pos;
        while (pos < m_text.size() && std::u16string_view(u"+-.0123456789eE").find(m_text[pos]) !=
                                          std::u16string_view::npos) {
            ++pos;
        }
        m_out += jsonNumberText(numberValue(m_text.substr(start, pos - start)));
    }

    void skipSpace(std::size_t& pos) const {
        while (pos < m_text.size() && (m_text[pos] == u' ' || m_text[pos] == u'\t' ||
                                       m_text[pos] == u'\n' || m_text[pos] == u'\r')) {
            ++pos;
        }
    }

    std::u16string_view m_text;
    std::u16string& m_out;
};

} // namespace

std::u16string writeCompactJson(std::u16string_view text, JsonSpan span) {
    std::u16string out;
    std::size_t pos = span.begin;
    CompactWriter(text.substr(0, span.end), out).value(pos);
    return out;
}

void escapeAsSerialiser(std::u16string& json) {
    std::size_t pos = 0;
    while (pos < json.size() && !(json[pos] >= 0x7F && inEscapeClass(json[pos]))) {
        ++pos;
    }
    if (pos == json.size()) {
        return;
    }
    std::u16string escaped(json, 0, pos);
    for (; pos < json.size(); ++pos) {
        if (json[pos] >= 0x7F && inEscapeClass(json[pos])) {
            appendHexEscape(escaped, json[pos]);
        } else {
            escaped.push_back(json[pos]);
        }
    }
    json = std::move(escaped);
}

std::u16string jsonNumberText(double value) {
    if (!std::isfinite(value)) {
        return u"null";
    }
    if (value == 0) {
        return u"0";
    }
    // The shortest digits that read back as the same double, as ECMAScript asks.
    std::array<char, 64> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::scientific);
    const std::string_view scientific(buffer.data(), written.ptr);
    const std::size_t e = scientific.find('e');
    const bool negative = scientific.front() == '-';
    std::string digits;
    for (const char c : scientific.substr(negative ? 1 : 0, e - (negative ? 1 : 0))) {
        if (c != '.') {
            digits.push_back(c);
        }
    }
    const int k = static_cast<int>(digits.size());
    const int n = std::atoi(scientific.data() + e + 1) + 1;
    // Appended piece by piece: GCC 12 takes `"." + text` for an overlapping copy (-Wrestrict).
    std::string out = negative ? "-" : "";
    if (k <= n && n <= 21) {
        out.append(digits).append(static_cast<std::size_t>(n - k), '0');
    } else if (0 < n && n <= 21) {
        out.append(digits, 0, static_cast<std::size_t>(n))
            .append(1, '.')
            .append(digits, static_cast<std::size_t>(n));
    } else if (-6 < n && n <= 0) {
        out.append("0.").append(static_cast<std::size_t>(-n), '0').append(digits);
    } else {
        out.append(digits, 0, 1);
        if (k > 1) {
            out.append(1, '.').append(digits, 1);
        }
        out.append(n - 1 >= 0 ? "e+" : "e-").append(std::to_string(std::abs(n - 1)));
    }
    return std::u16string(out.begin(), out.end());
}

} // namespace script
