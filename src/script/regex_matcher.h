#pragma once
// RegexMatcher: ECMAScript patterns, case ignored, multiline and global on; "." never crosses a
// line break. Indexes are 1-based; every failure gives the empty value of its type.

#include "runtime/text.h"

#include <string_view>

namespace script {

class RegexMatcher final {
public:
    void destroy();
    // true when a match collection was obtained (also when it is empty); false when the
    // pattern is rejected, leaving no collection.
    bool search(std::string_view pattern, std::string_view subject);
    // Text of group `group` of match `match`, or empty.
    runtime::Text subMatchText(int match, int group) const;
    // (implementation fields are the owner's to add)
};

} // namespace script
