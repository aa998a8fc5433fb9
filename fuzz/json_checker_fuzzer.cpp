// The JSON gate: a text it finds plain is read by the engine's JSON.parse as written, and what
// is written out of such a text is JSON the engine reads again.
#include "script/duktape_engine.h"
#include "script/json_text_checker.h"
#include "script/json_value_writer.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    // Bytes read as Latin-1, so every UTF-16 unit below 0x100 can appear.
    const std::u16string text(data, data + size);
    const script::JsonTextReport report = script::checkJsonText(text);
    script::DuktapeEngine engine;
    const bool parsed = engine.parseIntoGlobal("v", text);
    if (report.plain && !parsed) {
        std::abort();
    }
    if (report.plain) {
        const std::u16string written = script::writeCompactJson(text, {0, text.size()});
        script::DuktapeEngine again;
        if (!again.parseIntoGlobal("v", written)) {
            std::abort();
        }
    }
    return 0;
}
