#pragma once
// RegexMatcher: ECMAScript patterns, case ignored, multiline and global on; "." never crosses a
// line break. Indexes are 1-based; every failure gives the empty value of its type.

#include "runtime/text.h"

#include <optional>
#include <string_view>
#include <vector>

namespace script {

class RegexMatcher final {
public:
    void destroy();
    // true when a match collection was obtained (also when it is empty); false when the
    // pattern is rejected, leaving no collection.
    bool search(std::string_view pattern, std::string_view subject);
    // Text of group `group` of match `match`, or empty.
    runtime::Text subMatchText(int match, int group) const;

private:
    // One match: its parenthesised groups in order; a group that took no part is empty.
    using Match = std::vector<runtime::Text>;

    std::optional<std::vector<Match>> m_matches;
    runtime::Text m_subject;
};

} // namespace script
