// The JSON gate and the kept-text writer: a text the gate finds plain is read by the engine's
// JSON.parse as written, and what the writer makes of it is exactly what the engine's
// JSON.stringify gives (with the serialiser's escapes), wherever the two may agree: no
// integer-like member names (the engine moves those first), no number longer than 15 digits
// and no exponent (the engine's number reader misrounds some of those: 1e23 becomes
// 1.0000000000000001e+23 there, while the writer keeps the nearest double).
#include "script/duktape_engine.h"
#include "script/json_text_checker.h"
#include "script/json_value_writer.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace {

bool mayDiffer(std::u16string_view text) {
    std::size_t digits = 0;
    bool inString = false;
    std::size_t stringStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (inString) {
            if (c == u'\\') {
                ++i;
            } else if (c == u'"') {
                inString = false;
                const std::u16string_view name = text.substr(stringStart, i - stringStart);
                std::size_t next = i + 1;
                while (next < text.size() && (text[next] == u' ' || text[next] == u'\t' ||
                                              text[next] == u'\r' || text[next] == u'\n')) {
                    ++next;
                }
                const bool isName = next < text.size() && text[next] == u':';
                const bool integerLike =
                    !name.empty() && name.find_first_not_of(u"0123456789") == std::u16string::npos;
                if (isName && integerLike) {
                    return true;
                }
            }
            continue;
        }
        if (c == u'"') {
            inString = true;
            stringStart = i + 1;
            digits = 0;
        } else if ((c == u'e' || c == u'E') && digits > 0) {
            return true;
        } else if (c >= u'0' && c <= u'9') {
            if (++digits > 15) {
                return true;
            }
        } else if (c != u'.' && c != u'-') {
            digits = 0;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    // Bytes read as Latin-1, so every UTF-16 unit below 0x100 can appear.
    const std::u16string text(data, data + size);
    const script::JsonTextReport report = script::checkJsonText(text);
    script::DuktapeEngine engine;
    const bool parsed = engine.parseIntoGlobal("v", text);
    if (report.plain && !parsed) {
        std::abort();
    }
    if (!report.plain) {
        return 0;
    }
    const std::u16string written = script::writeCompactJson(text, {0, text.size()});
    std::optional<std::u16string> stringified = engine.text("JSON.stringify(v)");
    if (!stringified) {
        std::abort();
    }
    script::escapeAsSerialiser(*stringified);
    if (!mayDiffer(text) && written != *stringified) {
        std::abort();
    }
    return 0;
}
