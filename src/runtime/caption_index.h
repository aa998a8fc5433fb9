#pragma once
// A list's rows by caption (column 0), compared as equalsIgnoreAsciiCase compares them: finding
// the first row of a caption without scanning the list. The list that owns the index tells it of
// every change to its captions and holds its own lock around every call.
//
// The map is built at the first look-up, so a list nobody searches (tens of thousands of ports)
// pays nothing. Appending keeps it current; a change that would shift or re-rank many rows (a row
// taken from the middle, a caption rewritten) drops it, and the next look-up builds it again in
// one pass: never slower than the scan it replaces.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

namespace runtime {

// The caption with ASCII letters folded to lower case and both bytes of every two-byte character
// kept as they are: two captions fold alike exactly when equalsIgnoreAsciiCase holds for them.
std::string foldCaption(std::string_view caption);

class CaptionIndex final {
public:
    // First row whose caption matches, or -1. captionOf(i) gives row i's caption, i < rowCount;
    // it is called only when the map has to be built.
    template <typename CaptionOf>
    int find(std::string_view caption, std::size_t rowCount, const CaptionOf& captionOf) {
        if (!m_built) {
            m_firstRow.reserve(rowCount);
            for (std::size_t row = 0; row < rowCount; ++row) {
                m_firstRow.try_emplace(foldCaption(captionOf(row)), static_cast<int>(row));
            }
            m_built = true;
        }
        const auto found = m_firstRow.find(foldCaption(caption));
        return found == m_firstRow.end() ? -1 : found->second;
    }

    void appended(std::size_t row, std::string_view caption);
    // The row is gone; rowCount counts the rows left.
    void removed(std::size_t row, std::size_t rowCount, std::string_view caption);
    void cleared();
    void captionChanged(std::string_view before, std::string_view after);

private:
    void drop();

    std::unordered_map<std::string, int> m_firstRow;
    bool m_built = false;
};

} // namespace runtime
