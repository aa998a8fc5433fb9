#include "script/json_value_locator.h"

namespace script {

namespace {

bool isIdentifierStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Larger indexes are left to the engine.
constexpr std::size_t kMaxIndexDigits = 9;

bool isSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// Moves over a text that is already known to be valid JSON.
class Cursor final {
public:
    explicit Cursor(std::u16string_view text) : m_text(text) { skipSpace(); }

    std::size_t pos() const { return m_pos; }
    void moveTo(std::size_t pos) { m_pos = pos; }
    char16_t peek() const { return m_pos < m_text.size() ? m_text[m_pos] : u'\0'; }

    // Past `c` and the space after it when it comes next.
    bool take(char16_t c) {
        if (peek() != c) {
            return false;
        }
        ++m_pos;
        skipSpace();
        return true;
    }

    void skipSpace() {
        while (m_pos < m_text.size() && isSpace(m_text[m_pos])) {
            ++m_pos;
        }
    }

    // The content of the string at the position (escapes kept as written).
    std::u16string_view string() {
        const std::size_t start = ++m_pos;
        skipStringRest();
        return m_text.substr(start, m_pos - 1 - start);
    }

    void skipValue() {
        const char16_t c = peek();
        if (c == u'"') {
            ++m_pos;
            skipStringRest();
        } else if (c == u'{' || c == u'[') {
            skipContainer();
        } else {
            while (m_pos < m_text.size() && !isSpace(m_text[m_pos]) && m_text[m_pos] != u',' &&
                   m_text[m_pos] != u']' && m_text[m_pos] != u'}') {
                ++m_pos;
            }
        }
        skipSpace();
    }

private:
    void skipStringRest() {
        while (m_pos < m_text.size()) {
            const char16_t c = m_text[m_pos++];
            if (c == u'"') {
                return;
            }
            if (c == u'\\') {
                ++m_pos;
            }
        }
    }

    void skipContainer() {
        std::size_t depth = 0;
        while (m_pos < m_text.size()) {
            const char16_t c = m_text[m_pos++];
            if (c == u'"') {
                skipStringRest();
            } else if (c == u'{' || c == u'[') {
                ++depth;
            } else if ((c == u'}' || c == u']') && --depth == 0) {
                return;
            }
        }
    }

    std::u16string_view m_text;
    std::size_t m_pos = 0;
};

bool sameName(std::u16string_view name, std::string_view ascii) {
    if (name.size() != ascii.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] != static_cast<char16_t>(ascii[i])) {
            return false;
        }
    }
    return true;
}

// Leaves the cursor at the value of the object's last member called `member`.
bool enterMember(Cursor& cursor, std::string_view member) {
    if (!cursor.take(u'{') || cursor.peek() == u'}') {
        return false;
    }
    std::optional<std::size_t> found;
    do {
        const bool match = sameName(cursor.string(), member);
        cursor.skipSpace();
        cursor.take(u':');
        if (match) {
            found = cursor.pos();
        }
        cursor.skipValue();
    } while (cursor.take(u','));
    if (!found) {
        return false;
    }
    cursor.moveTo(*found);
    return true;
}

bool enterElement(Cursor& cursor, std::size_t index) {
    if (!cursor.take(u'[') || cursor.peek() == u']') {
        return false;
    }
    for (std::size_t i = 0; i < index; ++i) {
        cursor.skipValue();
        if (!cursor.take(u',')) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<std::vector<PathStep>> plainPathSteps(std::string_view path) {
    std::vector<PathStep> steps;
    std::size_t pos = 0;
    while (pos < path.size()) {
        if (path[pos] == '.') {
            const std::size_t start = ++pos;
            if (pos == path.size() || !isIdentifierStart(path[pos])) {
                return std::nullopt;
            }
            while (pos < path.size() && (isIdentifierStart(path[pos]) || isDigit(path[pos]))) {
                ++pos;
            }
            steps.push_back({path.substr(start, pos - start)});
        } else if (path[pos] == '[') {
            const std::size_t start = ++pos;
            std::size_t index = 0;
            while (pos < path.size() && isDigit(path[pos])) {
                index = index * 10 + static_cast<std::size_t>(path[pos++] - '0');
            }
            const std::size_t digits = pos - start;
            // "01" is an octal literal to the engine.
            if (digits == 0 || digits > kMaxIndexDigits || (digits > 1 && path[start] == '0') ||
                pos == path.size() || path[pos] != ']') {
                return std::nullopt;
            }
            ++pos;
            steps.push_back({{}, index});
        } else {
            return std::nullopt;
        }
    }
    return steps;
}

std::optional<JsonSpan> locateJsonValue(std::u16string_view text, std::span<const PathStep> steps) {
    Cursor cursor(text);
    for (const PathStep& step : steps) {
        const bool entered = step.member.empty() ? enterElement(cursor, step.index)
                                                 : enterMember(cursor, step.member);
        if (!entered) {
            return std::nullopt;
        }
    }
    JsonSpan span{cursor.pos(), 0};
    cursor.skipValue();
    span.end = cursor.pos();
    while (span.end > span.begin && isSpace(text[span.end - 1])) {
        --span.end;
    }
    return span;
}

bool isJsonNull(std::u16string_view text, JsonSpan span) {
    return text.substr(span.begin, span.end - span.begin) == u"null";
}

} // namespace script
