#include "script/json_text_checker.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace script {

namespace {

// JSON.parse refuses nesting past this many levels.
constexpr std::size_t kMaxPlainDepth = 1000;

// The engine's number reader refuses an exponent above this value ("exponent too large").
constexpr std::u16string_view kLargestReadExponent = u"9999999";

// Iterative, so deep nesting cannot exhaust the stack here.
class JsonTextChecker final {
public:
    explicit JsonTextChecker(std::u16string_view text) : m_text(text) {}

    JsonTextReport check() {
        const bool valid = value();
        return {valid, valid && m_plain,
                valid ? std::move(m_hugeExponents) : decltype(m_hugeExponents){}};
    }

private:
    struct Container {
        char16_t opening;
    };

    bool value() {
        skipSpace();
        while (true) {
            const char16_t c = peek();
            if (c == u'{' || c == u'[') {
                ++m_pos;
                skipSpace();
                if (peek() != closing(c)) {
                    m_open.push_back({c});
                    if (m_open.size() > kMaxPlainDepth) {
                        m_plain = false;
                    }
                    if (c == u'{' && !member()) {
                        return false;
                    }
                    continue;
                }
                ++m_pos;
            } else if (!scalar(c)) {
                return false;
            }
            if (!afterValue()) {
                return false;
            }
            if (m_open.empty()) {
                skipSpace();
                return m_pos == m_text.size();
            }
        }
    }

    static char16_t closing(char16_t opening) { return opening == u'{' ? u'}' : u']'; }

    bool scalar(char16_t c) {
        switch (c) {
        case u'"':
            return string();
        case u't':
            return word(u"true");
        case u'f':
            return word(u"false");
        case u'n':
            return word(u"null");
        default:
            return number();
        }
    }

    // Separators and closings after a complete value, up to where the next value starts or
    // the top-level value has ended.
    bool afterValue() {
        while (!m_open.empty()) {
            const Container& inner = m_open.back();
            skipSpace();
            const char16_t c = peek();
            if (c == u',') {
                ++m_pos;
                skipSpace();
                return inner.opening == u'[' || member();
            }
            if (c != closing(inner.opening)) {
                return false;
            }
            ++m_pos;
            m_open.pop_back();
        }
        return true;
    }

    // A member name and its colon, leaving the position at the member's value.
    bool member() {
        const std::size_t start = m_pos;
        if (peek() != u'"' || !string()) {
            return false;
        }
        const std::u16string_view name = m_text.substr(start + 1, m_pos - start - 2);
        if (name.find(u'\\') != std::u16string_view::npos || name == u"__proto__") {
            m_plain = false;
        }
        skipSpace();
        if (peek() != u':') {
            return false;
        }
        ++m_pos;
        skipSpace();
        return true;
    }

    bool string() {
        ++m_pos; // opening quote
        while (m_pos < m_text.size()) {
            const char16_t c = m_text[m_pos++];
            if (c == u'"') {
                return true;
            }
            if (c < 0x20) {
                return false;
            }
            if (c == u'\\' && !escape()) {
                return false;
            }
        }
        return false;
    }

    bool escape() {
        const char16_t c = peek();
        ++m_pos;
        if (c == u'u') {
            for (int i = 0; i < 4; ++i, ++m_pos) {
                if (!isHexDigit(peek())) {
                    return false;
                }
            }
            return true;
        }
        return std::u16string_view(u"\"\\/bfnrt").find(c) != std::u16string_view::npos;
    }

    bool number() {
        if (peek() == u'-') {
            ++m_pos;
        }
        if (peek() == u'0') {
            ++m_pos;
        } else if (!digits()) {
            return false;
        }
        if (peek() == u'.') {
            ++m_pos;
            if (!digits()) {
                return false;
            }
        }
        if (peek() == u'e' || peek() == u'E') {
            ++m_pos;
            if (peek() == u'+' || peek() == u'-') {
                ++m_pos;
            }
            const std::size_t start = m_pos;
            if (!digits()) {
                return false;
            }
            std::u16string_view exponent = m_text.substr(start, m_pos - start);
            exponent.remove_prefix(std::min(exponent.find_first_not_of(u'0'), exponent.size()));
            if (exponent.size() > kLargestReadExponent.size() ||
                (exponent.size() == kLargestReadExponent.size() &&
                 exponent > kLargestReadExponent)) {
                m_plain = false;
                m_hugeExponents.emplace_back(start, m_pos - start);
            }
            return true;
        }
        return true;
    }

    bool digits() {
        const std::size_t start = m_pos;
        while (peek() >= u'0' && peek() <= u'9') {
            ++m_pos;
        }
        return m_pos > start;
    }

    bool word(std::u16string_view literal) {
        for (const char16_t c : literal) {
            if (peek() != c) {
                return false;
            }
            ++m_pos;
        }
        return true;
    }

    void skipSpace() {
        while (peek() == u' ' || peek() == u'\t' || peek() == u'\n' || peek() == u'\r') {
            ++m_pos;
        }
    }

    static bool isHexDigit(char16_t c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    }

    // 0 past the end, which no rule accepts.
    char16_t peek() const { return m_pos < m_text.size() ? m_text[m_pos] : u'\0'; }

    std::u16string_view m_text;
    std::size_t m_pos = 0;
    std::vector<Container> m_open; // every container not yet closed, outermost first
    bool m_plain = true;
    std::vector<std::pair<std::size_t, std::size_t>> m_hugeExponents;
};

} // namespace

JsonTextReport checkJsonText(std::u16string_view text) {
    return JsonTextChecker(text).check();
}

std::u16string withReadableExponents(std::u16string_view text, const JsonTextReport& report) {
    std::u16string readable;
    std::size_t copied = 0;
    for (const auto& [position, length] : report.hugeExponents) {
        readable.append(text.substr(copied, position - copied));
        readable.append(kLargestReadExponent);
        copied = position + length;
    }
    readable.append(text.substr(copied));
    return readable;
}

} // namespace script
