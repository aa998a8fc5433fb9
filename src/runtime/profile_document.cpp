#include "runtime/profile_document.h"

#include "runtime/text.h"

#include <vector>

namespace runtime {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

struct Line {
    std::size_t begin = 0;      // first byte of the line
    std::size_t contentEnd = 0; // end of the text, before CR LF / LF
    std::size_t end = 0;        // after the line ending
    enum class Kind { Blank, Comment, Section, Item, Other } kind = Kind::Blank;
    std::string_view name;  // section or item name, trimmed
    std::string_view value; // item value, not yet trimmed
};

Line parseLine(std::string_view content, std::size_t begin) {
    Line line;
    line.begin = begin;
    const std::size_t newline = content.find('\n', begin);
    line.end = newline == std::string_view::npos ? content.size() : newline + 1;
    line.contentEnd = newline == std::string_view::npos ? content.size() : newline;
    if (line.contentEnd > begin && content[line.contentEnd - 1] == '\r') {
        --line.contentEnd;
    }
    const std::string_view text = trimmed(content.substr(begin, line.contentEnd - begin));
    if (text.empty()) {
        return line;
    }
    if (text.front() == ';') {
        line.kind = Line::Kind::Comment;
        return line;
    }
    if (text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close != std::string_view::npos) {
            line.kind = Line::Kind::Section;
            line.name = trimmed(text.substr(1, close - 1));
            return line;
        }
    }
    const std::size_t equals = text.find('=');
    line.kind = Line::Kind::Item;
    if (equals == std::string_view::npos) {
        line.name = text;
    } else {
        line.name = trimmed(text.substr(0, equals));
        line.value = text.substr(equals + 1);
    }
    return line;
}

std::vector<Line> parseLines(std::string_view content) {
    std::vector<Line> lines;
    for (std::size_t at = 0; at < content.size();) {
        lines.push_back(parseLine(content, at));
        at = lines.back().end;
    }
    return lines;
}

struct Location {
    std::optional<std::size_t> section; // index of the section's header line
    std::optional<std::size_t> item;    // index of the item's line
    std::size_t lastInSection = 0;      // last non-blank line of the section
};

Location locate(const std::vector<Line>& lines, std::string_view section, std::string_view item) {
    Location where;
    section = trimmed(section);
    item = trimmed(item);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.kind == Line::Kind::Section) {
            if (where.section) {
                break;
            }
            if (equalsIgnoreAsciiCase(line.name, section)) {
                where.section = i;
                where.lastInSection = i;
            }
            continue;
        }
        if (!where.section || line.kind == Line::Kind::Blank) {
            continue;
        }
        where.lastInSection = i;
        if (line.kind == Line::Kind::Item && equalsIgnoreAsciiCase(line.name, item)) {
            where.item = i;
            break;
        }
    }
    return where;
}

// What ends the text so far before a new line goes after it: nothing after a line feed, the
// missing LF after a lone CR (a CR before CR LF would become part of the line's value), CR LF
// otherwise.
std::string_view lineBreakBeforeNewLine(std::string_view before) {
    if (before.empty() || before.back() == '\n') {
        return {};
    }
    return before.back() == '\r' ? "\n" : "\r\n";
}

bool hasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

std::optional<std::string_view> findProfileValue(std::string_view content, std::string_view section,
                                                 std::string_view item) {
    const std::vector<Line> lines = parseLines(content);
    const Location where = locate(lines, section, item);
    if (!where.item) {
        return std::nullopt;
    }
    return lines[*where.item].value;
}

std::string withProfileValue(std::string_view content, std::string_view section,
                             std::string_view item, std::string_view value) {
    const std::vector<Line> lines = parseLines(content);
    const Location where = locate(lines, section, item);
    const std::string entry = concat({trimmed(item), "=", value});
    std::string result;
    result.reserve(content.size() + section.size() + entry.size() + 8);
    if (where.item) {
        const Line& line = lines[*where.item];
        result.append(content.substr(0, line.begin));
        result.append(concat({line.name, "=", value}));
        result.append(content.substr(line.contentEnd));
        return result;
    }
    if (where.section) {
        const Line& last = lines[where.lastInSection];
        result.append(content.substr(0, last.end));
        result.append(lineBreakBeforeNewLine(result));
        result.append(entry);
        result.append("\r\n");
        result.append(content.substr(last.end));
        return result;
    }
    result.append(content);
    result.append(lineBreakBeforeNewLine(result));
    result.append(concat({"[", trimmed(section), "]\r\n", entry, "\r\n"}));
    return result;
}

std::string profileValueForReading(std::string_view raw, std::size_t maxBytes) {
    std::string_view value = trimmed(raw.substr(0, textLength(raw)));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value.substr(0, maxBytes));
}

bool isStorableProfileEntry(std::string_view section, std::string_view item,
                            std::string_view value) {
    if (hasLineBreakOrNul(section) || hasLineBreakOrNul(item) || hasLineBreakOrNul(value)) {
        return false;
    }
    if (section.find(']') != std::string_view::npos) {
        return false;
    }
    const std::string_view name = trimmed(item);
    return !name.empty() && name.find('=') == std::string_view::npos && name.front() != ';' &&
           name.front() != '[';
}

} // namespace runtime
