#include "runtime/caption_index.h"

namespace runtime {

std::string foldCaption(std::string_view caption) {
    std::string folded(caption);
    for (std::size_t i = 0; i < folded.size(); ++i) {
        const char c = folded[i];
        if ((static_cast<unsigned char>(c) & 0x80U) != 0) {
            ++i; // the trail byte stays as it is, whatever it looks like
        } else if (c >= 'A' && c <= 'Z') {
            folded[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

void CaptionIndex::appended(std::size_t row, std::string_view caption) {
    if (m_built) {
        m_firstRow.try_emplace(foldCaption(caption), static_cast<int>(row));
    }
}

void CaptionIndex::removed(std::size_t row, std::size_t rowCount, std::string_view caption) {
    if (!m_built) {
        return;
    }
    if (row != rowCount) {
        drop(); // every later row moved up by one
        return;
    }
    // The last row: no row after it, so it was the first of its caption only if the map says so.
    const auto found = m_firstRow.find(foldCaption(caption));
    if (found != m_firstRow.end() && found->second == static_cast<int>(row)) {
        m_firstRow.erase(found);
    }
}

void CaptionIndex::cleared() {
    m_firstRow.clear(); // a built map stays built: empty, as the list is
}

void CaptionIndex::captionChanged(std::string_view before, std::string_view after) {
    if (m_built && foldCaption(before) != foldCaption(after)) {
        drop();
    }
}

void CaptionIndex::drop() {
    // Released now: the list may never be searched again.
    std::unordered_map<std::string, int>().swap(m_firstRow);
    m_built = false;
}

} // namespace runtime
