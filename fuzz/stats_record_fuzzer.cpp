// Statistics records: a reply gives cells only when it is a record of 12 fields, and each cell
// is one of its fields, or a field followed by its share.
#include "runtime/text.h"
#include "service/stats_record.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const auto cells = service::statsCells(reply);
    if (!cells) {
        return 0;
    }
    const runtime::TextList fields = runtime::splitText(reply, "-");
    if (fields.size() != 12 || runtime::findText(reply, "a 404 Not") != -1) {
        std::abort();
    }
    for (const runtime::Text& cell : *cells) {
        const bool isField = std::ranges::any_of(fields, [&](const runtime::Text& field) {
            return cell == field || (cell.starts_with(field + "  ") && cell.ends_with("\xA3\xA5"));
        });
        if (!isField) {
            std::abort();
        }
    }
    return 0;
}
