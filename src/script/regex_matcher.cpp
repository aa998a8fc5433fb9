#include "script/regex_matcher.h"

#include "runtime/codepage.h"

#include <regex>
#include <string>

namespace script {
namespace {

// Patterns and subjects are matched as UTF-16 code units, so a GBK trail byte that looks like
// an ASCII letter can never be matched on its own.
std::wstring toWide(std::string_view gbk) {
    const std::u16string utf16 = runtime::gbkToUtf16(gbk);
    return std::wstring(utf16.begin(), utf16.end());
}

runtime::Text toGbk(const std::wstring& wide) {
    std::u16string utf16;
    utf16.reserve(wide.size());
    for (const wchar_t unit : wide) {
        utf16.push_back(static_cast<char16_t>(unit));
    }
    return runtime::utf16ToGbk(utf16);
}

} // namespace

void RegexMatcher::destroy() {
    m_matches.reset();
    m_subject.clear();
}

bool RegexMatcher::search(std::string_view pattern, std::string_view subject) {
    m_matches.reset();
    m_subject.assign(subject);
    try {
        const std::wregex regex(toWide(pattern),
                                std::regex::ECMAScript | std::regex::icase | std::regex::multiline);
        const std::wstring wideSubject = toWide(subject);
        std::vector<Match> matches;
        for (auto it = std::wsregex_iterator(wideSubject.begin(), wideSubject.end(), regex);
             it != std::wsregex_iterator(); ++it) {
            Match groups;
            for (std::size_t group = 1; group < it->size(); ++group) {
                groups.push_back((*it)[group].matched ? toGbk((*it)[group].str())
                                                      : runtime::Text());
            }
            matches.push_back(std::move(groups));
        }
        m_matches = std::move(matches);
        return true;
    } catch (const std::regex_error&) {
        return false;
    }
}

runtime::Text RegexMatcher::subMatchText(int match, int group) const {
    if (!m_matches || match < 1 || group < 1 ||
        static_cast<std::size_t>(match) > m_matches->size()) {
        return {};
    }
    const Match& groups = (*m_matches)[static_cast<std::size_t>(match) - 1];
    if (static_cast<std::size_t>(group) > groups.size()) {
        return {};
    }
    return groups[static_cast<std::size_t>(group) - 1];
}

} // namespace script
