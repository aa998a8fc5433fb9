#pragma once
// Finding where a value is written inside a checked JSON text, by a path of plain member names
// and element indexes, so that a query can hand the engine that value alone.

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace script {

struct PathStep {
    std::string_view member; // empty for an element index
    std::size_t index = 0;
};

// The steps of a path written only as .identifier (ASCII) and [decimal index] parts, e.g.
// ".data.list[0].name"; nullopt for any other text.
std::optional<std::vector<PathStep>> plainPathSteps(std::string_view path);

struct JsonSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// Where the value the steps lead to is written in `text`, a JSON text that checkJsonText found
// plain. A member step reads the object's last member of that name, an index step the array's
// element. nullopt when a step meets no such own member or element: what the engine answers
// then depends on more than the text.
std::optional<JsonSpan> locateJsonValue(std::u16string_view text, std::span<const PathStep> steps);

bool isJsonNull(std::u16string_view text, JsonSpan span);

} // namespace script
