#include "script/regex_matcher.h"

#include "runtime/codepage.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <memory>
#include <string>

namespace script {
namespace {

// ECMAScript's pattern language as PCRE2 reads it: \u escapes, [] and [^], unset back
// references matching the empty text. Case is ignored by Unicode case folding; "^" and "$"
// work per line, and a line break is any of CR, LF, CRLF and the Unicode line and paragraph
// separators (PCRE2's "any" convention, which also counts VT, FF and NEL), which "." never
// matches.
constexpr uint32_t kCompileOptions = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_CASELESS |
                                     PCRE2_MULTILINE | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS |
                                     PCRE2_MATCH_UNSET_BACKREF;

// The interpreter keeps its backtracking state on the heap, within this bound; a search that
// needs more ends the collection there instead of taking the machine's memory.
constexpr uint32_t kHeapLimitKiB = 256 * 1024;
constexpr std::size_t kJitStackBytes = 4 * 1024 * 1024;

struct CodeFree {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataFree {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct MatchContextFree {
    void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct JitStackFree {
    void operator()(pcre2_jit_stack* stack) const { pcre2_jit_stack_free(stack); }
};
struct CompileContextFree {
    void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};

PCRE2_SPTR units(const std::u16string& text) {
    return reinterpret_cast<PCRE2_SPTR>(text.data());
}

// Compiled code, JIT-compiled where the platform has it, and what matching it needs.
class CompiledPattern final {
public:
    explicit CompiledPattern(const std::u16string& pattern) {
        const std::unique_ptr<pcre2_compile_context, CompileContextFree> compileContext(
            pcre2_compile_context_create(nullptr));
        // A line break is CR or LF alone: "." refuses exactly those and the line anchors see
        // exactly those (vertical tab and form feed are ordinary characters).
        pcre2_set_newline(compileContext.get(), PCRE2_NEWLINE_ANYCRLF);
        int error = 0;
        PCRE2_SIZE errorOffset = 0;
        m_code.reset(pcre2_compile(units(pattern), pattern.size(), kCompileOptions, &error,
                                   &errorOffset, compileContext.get()));
        if (!m_code) {
            return;
        }
        m_jit = pcre2_jit_compile(m_code.get(), PCRE2_JIT_COMPLETE) == 0;
        m_data.reset(pcre2_match_data_create_from_pattern(m_code.get(), nullptr));
        m_context.reset(pcre2_match_context_create(nullptr));
        pcre2_set_heap_limit(m_context.get(), kHeapLimitKiB);
        if (m_jit) {
            m_jitStack.reset(pcre2_jit_stack_create(32 * 1024, kJitStackBytes, nullptr));
            pcre2_jit_stack_assign(m_context.get(), nullptr, m_jitStack.get());
        }
    }

    bool compiled() const { return m_code != nullptr; }
    uint32_t groupCount() const {
        uint32_t count = 0;
        pcre2_pattern_info(m_code.get(), PCRE2_INFO_CAPTURECOUNT, &count);
        return count;
    }

    // The result of pcre2_match from `start`; on a JIT resource failure the interpreter tries.
    int match(const std::u16string& subject, std::size_t start) {
        int result = pcre2_match(m_code.get(), units(subject), subject.size(), start, 0,
                                 m_data.get(), m_context.get());
        if (result == PCRE2_ERROR_JIT_STACKLIMIT) {
            result = pcre2_match(m_code.get(), units(subject), subject.size(), start, PCRE2_NO_JIT,
                                 m_data.get(), m_context.get());
        }
        return result;
    }

    const PCRE2_SIZE* offsets() const { return pcre2_get_ovector_pointer(m_data.get()); }

private:
    std::unique_ptr<pcre2_code, CodeFree> m_code;
    std::unique_ptr<pcre2_match_data, MatchDataFree> m_data;
    std::unique_ptr<pcre2_match_context, MatchContextFree> m_context;
    std::unique_ptr<pcre2_jit_stack, JitStackFree> m_jitStack;
    bool m_jit = false;
};

// After an empty match the search goes on one character further, as ECMAScript's global
// search does.
std::size_t nextStart(const std::u16string& subject, std::size_t end) {
    const bool pairStarts = end + 1 < subject.size() && subject[end] >= 0xD800 &&
                            subject[end] <= 0xDBFF && subject[end + 1] >= 0xDC00 &&
                            subject[end + 1] <= 0xDFFF;
    return end + (pairStarts ? 2 : 1);
}

} // namespace

void RegexMatcher::destroy() {
    m_matches.reset();
    m_subject.clear();
}

bool RegexMatcher::search(std::string_view pattern, std::string_view subject) {
    m_matches.reset();
    m_subject.assign(subject);
    // Patterns and subjects are matched as UTF-16 code units, so a GBK trail byte that looks
    // like an ASCII letter can never be matched on its own.
    CompiledPattern compiled(runtime::gbkToUtf16(pattern));
    if (!compiled.compiled()) {
        return false;
    }
    const std::u16string wideSubject = runtime::gbkToUtf16(subject);
    const uint32_t groups = compiled.groupCount();
    std::vector<Match> matches;
    std::size_t start = 0;
    while (start <= wideSubject.size()) {
        // No match ends the search; so does a search the engine gives up on (its limits).
        if (compiled.match(wideSubject, start) < 0) {
            break;
        }
        const PCRE2_SIZE* offsets = compiled.offsets();
        Match match;
        for (uint32_t group = 1; group <= groups; ++group) {
            const PCRE2_SIZE begin = offsets[2 * group];
            const PCRE2_SIZE end = offsets[2 * group + 1];
            match.push_back(begin == PCRE2_UNSET
                                ? runtime::Text()
                                : runtime::utf16ToGbk(
                                      std::u16string_view(wideSubject).substr(begin, end - begin)));
        }
        matches.push_back(std::move(match));
        start = offsets[1] == offsets[0] ? nextStart(wideSubject, offsets[1]) : offsets[1];
    }
    m_matches = std::move(matches);
    return true;
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
