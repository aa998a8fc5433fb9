#include "script/script_json.h"

#include "runtime/codepage.h"
#include "script/duktape_engine.h"
#include "script/json_text_checker.h"
#include "script/json_value_locator.h"
#include "script/json_value_writer.h"

#include <algorithm>

namespace script {

namespace {

// The engine brings its own JSON object; the program only keeps the guard that makes sure one
// exists, so that later statements never meet an undefined name.
constexpr std::string_view kScriptProgram = "if (typeof JSON !== 'object') {\n"
                                            "    JSON = {};\n"
                                            "}\n";

// What str_reg matches: every result passes through .replace(str_reg, '\\').
constexpr char16_t kSymbolForNull = 0x2400;

std::u16string utf16OfGbk(std::string_view gbkText) {
    const std::string_view text = gbkText.substr(0, runtime::textLength(gbkText));
    // GBK's single bytes below 0x80 are ASCII and never part of a double-byte character: such
    // a text (most replies) is widened directly, several times faster than the converter.
    if (std::ranges::all_of(text, [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return std::u16string(text.begin(), text.end());
    }
    return runtime::gbkToUtf16(text);
}

char16_t firstNonSpace(std::u16string_view text) {
    for (const char16_t c : text) {
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r') {
            return c;
        }
    }
    return 0;
}

} // namespace

struct ScriptJson::Engine {
    DuktapeEngine js;
    // Whether the engine still holds only what createEngine put there (and an empty or null
    // root): nothing of a caller's path or an earlier reply.
    bool pristine = true;
};

struct ScriptJson::Document {
    std::u16string text;
};

// A path's absolute form and the value it designates, found in the kept reply text.
struct ScriptJson::Resolution {
    Text absolute;
    JsonSpan value;
    bool exists;
};

ScriptJson::ScriptJson() : m_rootName("da") {
    createEngine();
}

ScriptJson::~ScriptJson() {
    destroy();
}

void ScriptJson::destroy() {
    m_document.reset();
    m_engine.reset();
    m_rootName.clear();
}

void ScriptJson::createEngine() {
    m_document.reset();
    m_engine = std::make_unique<Engine>();
    if (!m_engine->js.valid()) {
        m_engine.reset();
        return;
    }
    m_loadRefused = false;
    m_engine->js.run(kScriptProgram);
    m_engine->js.run(runtime::concat(
        {"var ", m_rootName,
         " = {}, str_Code = String.fromCharCode(9216), str_reg = new RegExp(str_Code, 'g')"}));
}

// Building the engine's copy of a large reply costs many times more than reading the text, and
// the service only reads "ret" out of it. So a reply that JSON.parse reads as written is kept as
// text, and a query for a plain path is answered by writing the value at that path out of the
// text. Anything else installs the whole document in the engine first.
bool ScriptJson::load(std::string_view jsonText) {
    if (m_engine && !m_engine->pristine) {
        createEngine();
    }
    if (!m_engine) {
        return false;
    }
    m_document.reset();
    m_loadRefused = false;
    m_engine->js.run(runtime::concat({"var ", m_rootName, " = null"}));
    std::u16string text = utf16OfGbk(jsonText);
    const JsonTextReport report = checkJsonText(text);
    if (!report.valid) {
        m_loadRefused = true;
        return false;
    }
    const char16_t first = firstNonSpace(text);
    if (report.plain && first != u'"') {
        m_document = std::make_unique<Document>(Document{std::move(text)});
        return first != u'n';
    }
    if (!report.hugeExponents.empty()) {
        text = withReadableExponents(text, report);
    }
    m_loadRefused = !installDocument(Document{std::move(text)});
    return m_engine->js.isTrue(runtime::concat({m_rootName, " != null"}));
}

// Puts a checked reply's value into the root without running it as a program: JSON.parse reads
// it as data. Only a text nested deeper than JSON.parse reads is evaluated as an expression,
// which a checked JSON text can only build values with, never call anything.
bool ScriptJson::installDocument(const Document& document) {
    const std::u16string& text = document.text;
    m_engine->pristine = false;
    if (firstNonSpace(text) == u'"') {
        // A JSON text wrapped as a string literal is parsed once more, as a program; its content
        // must be a JSON text as well, or it would be run.
        const std::optional<std::u16string> content = m_engine->js.parseString(text);
        if (!content) {
            return false;
        }
        const JsonTextReport report = checkJsonText(*content);
        return report.valid &&
               m_engine->js.evaluateIntoGlobal(m_rootName, withReadableExponents(*content, report));
    }
    if (m_engine->js.parseIntoGlobal(m_rootName, text)) {
        return true;
    }
    return m_engine->js.evaluateIntoGlobal(m_rootName, u"(" + text + u")");
}

void ScriptJson::installPendingDocument() {
    if (!m_document) {
        return;
    }
    const std::unique_ptr<Document> document = std::move(m_document);
    m_loadRefused = !installDocument(*document);
}

std::optional<ScriptJson::Resolution> ScriptJson::resolveInText(const Text& path) const {
    const std::u16string_view text = m_document->text;
    const auto locate = [&](std::string_view absolute) -> std::optional<JsonSpan> {
        const auto steps = plainPathSteps(absolute.substr(m_rootName.size()));
        if (!steps) {
            return std::nullopt;
        }
        return locateJsonValue(text, *steps);
    };
    if (path.starts_with(m_rootName)) {
        // The path is first tried as an absolute expression.
        const std::string_view rest = std::string_view(path).substr(m_rootName.size());
        if (rest.empty() || rest.front() == '.' || rest.front() == '[') {
            const auto value = locate(path);
            if (!value) {
                return std::nullopt;
            }
            if (!isJsonNull(text, *value)) {
                return Resolution{path, *value, true};
            }
        } else {
            // Another name that begins like the root name: an undefined one fails, so the path
            // is taken as relative.
            const std::size_t end = path.find_first_of(".[");
            const std::string_view name = std::string_view(path).substr(0, end);
            if (!plainPathSteps(runtime::concat({".", name})) || m_engine->js.hasGlobal(name)) {
                return std::nullopt;
            }
        }
    }
    Text absolute = path.empty()          ? m_rootName
                    : path.front() == '[' ? runtime::concat({m_rootName, path})
                                          : runtime::concat({m_rootName, ".", path});
    const auto value = locate(absolute);
    if (!value) {
        return std::nullopt;
    }
    return Resolution{std::move(absolute), *value, !isJsonNull(text, *value)};
}

bool ScriptJson::clear() {
    if (!m_engine) {
        return false;
    }
    m_document.reset();
    const bool cleared = m_engine->js.run(runtime::concat({m_rootName, " = {}"}));
    if (cleared) {
        m_loadRefused = false;
    }
    return cleared;
}

bool ScriptJson::resolvePath(Text& path) {
    path.resize(runtime::textLength(path));
    if (m_engine && m_document) {
        if (const auto resolved = resolveInText(path)) {
            path = resolved->absolute;
            return resolved->exists;
        }
        installPendingDocument();
    }
    const auto exists = [this](std::string_view absolute) {
        if (!m_engine) {
            return false;
        }
        m_engine->pristine = false;
        return m_engine->js.isTrue(runtime::concat({absolute, " != null"}));
    };
    if (path.starts_with(m_rootName) && exists(path)) {
        return true;
    }
    if (path.empty()) {
        path = m_rootName;
    } else if (path.front() == '[') {
        path = runtime::concat({m_rootName, path});
    } else {
        path = runtime::concat({m_rootName, ".", path});
    }
    return exists(path);
}

Text ScriptJson::getJsonText(std::string_view path) {
    if (!m_engine || m_loadRefused) {
        return {};
    }
    Text absolute(path);
    if (m_document) {
        absolute.resize(runtime::textLength(absolute));
        if (const auto resolved = resolveInText(absolute)) {
            std::u16string written = writeCompactJson(m_document->text, resolved->value);
            std::ranges::replace(written, kSymbolForNull, u'\\');
            return runtime::utf16ToGbk(written);
        }
        installPendingDocument();
        if (m_loadRefused) {
            return {};
        }
    }
    m_engine->pristine = false;
    resolvePath(absolute);
    std::optional<std::u16string> written = m_engine->js.text(
        runtime::concat({"JSON.stringify(", absolute, ").replace(str_reg, '\\\\')"}));
    if (!written) {
        return {};
    }
    escapeAsSerialiser(*written);
    return runtime::utf16ToGbk(*written);
}

} // namespace script
