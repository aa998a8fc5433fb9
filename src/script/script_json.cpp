#include "script/script_json.h"

#include "runtime/codepage.h"
#include "script/json_text_checker.h"
#include "script/json_value_locator.h"

#include <QCoreApplication>
#include <QJSEngine>
#include <QJSValue>
#include <QString>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

namespace script {

namespace {

// The engine brings its own JSON object; the program only keeps the guard that makes sure one
// exists, so that later statements never meet an undefined name.
const QString kScriptProgram = QStringLiteral("if (typeof JSON !== 'object') {\n"
                                              "    JSON = {};\n"
                                              "}\n");

constexpr std::chrono::milliseconds kEvaluationLimit{2000};

// The engine's compiler cannot be interrupted and slows down faster than the text grows (a
// 2.3 MB object literal took two minutes here), so replies are compiled only up to this size
// (UTF-16 units).
constexpr qsizetype kMaxEvaluatedText = 64 * 1024;

// Values parsed for a query that are larger than this (UTF-16 units) are worth freeing with the
// engine at the next load rather than leaving them to its collector.
constexpr std::size_t kLargeValue = 64 * 1024;

// What str_reg matches: every result passes through .replace(str_reg, '\\').
constexpr QChar kSymbolForNull{0x2400};

QString toQString(std::string_view gbkText) {
    const std::string_view text = gbkText.substr(0, runtime::textLength(gbkText));
    // GBK's single bytes below 0x80 are ASCII and never part of a double-byte character: such
    // a text (most replies) is widened directly, several times faster than the converter.
    if (std::ranges::all_of(text, [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    }
    return QString::fromStdU16String(runtime::gbkToUtf16(text));
}

Text toText(const QString& text) {
    return runtime::utf16ToGbk(text.toStdU16String());
}

// Undefined and error values have texts of their own ("undefined", the message) that must
// never reach a caller.
Text resultText(const QJSValue& value) {
    if (value.isUndefined() || value.isError()) {
        return {};
    }
    return toText(value.toString());
}

bool isTrue(const QJSValue& value) {
    return value.isBool() && value.toBool();
}

std::u16string_view view(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

bool isJsonText(const QString& text) {
    return script::isJsonText(view(text));
}

QChar firstNonSpace(QStringView text) {
    for (const QChar c : text) {
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r') {
            return c;
        }
    }
    return {};
}

} // namespace

// Interrupts an evaluation that runs past the limit. One thread per instance, idle between
// evaluations; the engine pointer is only touched under the lock, so disarm() returning means
// the watchdog no longer refers to it.
struct ScriptJson::Watchdog {
    Watchdog() : m_thread([this](std::stop_token stop) { run(stop); }) {}

    void arm(QJSEngine* engine) {
        const std::lock_guard lock(m_mutex);
        m_target = engine;
        m_deadline = std::chrono::steady_clock::now() + kEvaluationLimit;
        m_wake.notify_all();
    }

    void disarm() {
        const std::lock_guard lock(m_mutex);
        m_target = nullptr;
        m_wake.notify_all();
    }

private:
    void run(const std::stop_token& stop) {
        std::unique_lock lock(m_mutex);
        while (!stop.stop_requested()) {
            if (m_target == nullptr) {
                m_wake.wait(lock, stop, [this] { return m_target != nullptr; });
                continue;
            }
            const auto deadline = m_deadline;
            const bool disarmed = m_wake.wait_until(lock, stop, deadline, [this, deadline] {
                return m_target == nullptr || m_deadline != deadline;
            });
            if (!disarmed && m_target != nullptr && m_deadline == deadline) {
                m_target->setInterrupted(true);
                m_target = nullptr;
            }
        }
    }

    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    QJSEngine* m_target = nullptr;
    std::chrono::steady_clock::time_point m_deadline;
    std::jthread m_thread; // last: started after the members it uses, stopped before them
};

struct ScriptJson::Engine {
    explicit Engine(Watchdog& watchdog) : m_watchdog(watchdog) {}

    QJSValue evaluate(const QString& program) {
        return guarded([&] { return m_js.evaluate(program); });
    }

    QJSValue evaluate(std::string_view gbkProgram) { return evaluate(toQString(gbkProgram)); }

    // JSON.parse with the text handed over as data, never as program text.
    QJSValue parseJson(const QString& text) {
        const QJSValue parse = json().property(QStringLiteral("parse"));
        if (!parse.isCallable()) {
            return {};
        }
        return guarded([&] { return parse.call({QJSValue(text)}); });
    }

    // JSON.stringify(JSON.parse(text)), the text again handed over as data.
    QJSValue restringifyJson(const QString& text) {
        const QJSValue value = parseJson(text);
        const QJSValue stringify = json().property(QStringLiteral("stringify"));
        if (value.isError() || !stringify.isCallable()) {
            return value;
        }
        return guarded([&] { return stringify.call({value}); });
    }

    void setGlobal(std::string_view gbkName, const QJSValue& value) {
        m_js.globalObject().setProperty(toQString(gbkName), value);
    }

    bool hasGlobal(std::string_view gbkName) {
        return m_js.globalObject().hasProperty(toQString(gbkName));
    }

    // Whether the engine still holds only what createEngine put there (and an empty or null
    // root): nothing of a caller's path or an earlier reply.
    bool pristine() const { return m_pristine; }
    void taint() { m_pristine = false; }

private:
    QJSValue json() { return m_js.globalObject().property(QStringLiteral("JSON")); }

    template <typename Run> QJSValue guarded(Run run) {
        m_js.setInterrupted(false);
        m_watchdog.arm(&m_js);
        QJSValue result = run();
        m_watchdog.disarm();
        return result;
    }

    Watchdog& m_watchdog;
    QJSEngine m_js;
    bool m_pristine = true;
};

struct ScriptJson::Document {
    QString text;
};

// A path's absolute form and the value it designates, found in the kept reply text.
struct ScriptJson::Resolution {
    Text absolute;
    JsonSpan value;
    bool exists;
};

ScriptJson::ScriptJson() : m_rootName("da"), m_watchdog(std::make_unique<Watchdog>()) {
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
    m_engine.reset();
    // The engine aborts the process when no application object exists; that is a failed
    // creation here.
    if (QCoreApplication::instance() == nullptr) {
        return;
    }
    m_engine = std::make_unique<Engine>(*m_watchdog);
    m_loadRefused = false;
    m_engine->evaluate(kScriptProgram);
    m_engine->evaluate(runtime::concat(
        {"var ", m_rootName,
         " = {}, str_Code = String.fromCharCode(9216), str_reg = new RegExp(str_Code, 'g')"}));
}

// Building the engine's copy of a large reply costs many times more than reading the text, and
// the service only reads "ret" out of it. So a reply that JSON.parse reads as written is kept as
// text, and a query for a plain path has the engine parse and write back just the value at that
// path, which gives the same text as asking the whole document. Anything else installs the
// whole document in the engine first.
bool ScriptJson::load(std::string_view jsonText) {
    if (m_engine && !m_engine->pristine()) {
        createEngine();
    }
    if (!m_engine) {
        return false;
    }
    m_document.reset();
    m_loadRefused = false;
    m_engine->evaluate(runtime::concat({"var ", m_rootName, " = null"}));
    QString text = toQString(jsonText);
    const JsonTextReport report = checkJsonText(view(text));
    if (!report.valid) {
        m_loadRefused = true;
        return false;
    }
    const QChar first = firstNonSpace(text);
    if (report.plain && first != u'"') {
        m_document = std::make_unique<Document>(Document{std::move(text)});
        return first != u'n';
    }
    m_loadRefused = !installDocument(Document{std::move(text)});
    return isTrue(m_engine->evaluate(runtime::concat({m_rootName, " != null"})));
}

// Puts a checked reply's value into the root, so that evaluating it as an expression cannot run
// anything. JSON.parse builds the same value several times faster and, unlike compiling the
// text, in time proportional to its size, so it is used wherever it accepts the text; it refuses
// numbers out of double range (the expression reads them as Infinity or 0) and deep nesting, and
// the engine's own reading is left for the texts it is needed for, when they are small.
bool ScriptJson::installDocument(const Document& document) {
    const QString& text = document.text;
    m_engine->taint();
    const auto evaluateAsWritten = [&] {
        if (text.size() > kMaxEvaluatedText) {
            return false;
        }
        const QString statement = toQString(runtime::concat({"var ", m_rootName, " = eval("})) +
                                  text + QStringLiteral(")");
        return !m_engine->evaluate(statement).isError();
    };
    if (firstNonSpace(text) == u'"') {
        // A JSON text wrapped as a string literal is parsed once more by the eval; its content
        // must be a JSON text as well, or the eval would run it.
        const QJSValue content = m_engine->parseJson(text);
        if (!content.isString() || !isJsonText(content.toString())) {
            return false;
        }
        return evaluateAsWritten();
    }
    const QJSValue value = m_engine->parseJson(text);
    if (!value.isError()) {
        m_engine->setGlobal(m_rootName, value);
        return true;
    }
    return evaluateAsWritten();
}

void ScriptJson::installPendingDocument() {
    if (!m_document) {
        return;
    }
    const std::unique_ptr<Document> document = std::move(m_document);
    m_loadRefused = !installDocument(*document);
}

std::optional<ScriptJson::Resolution> ScriptJson::resolveInText(const Text& path) const {
    const std::u16string_view text = view(m_document->text);
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
            if (!plainPathSteps(runtime::concat({".", name})) || m_engine->hasGlobal(name)) {
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
    const bool cleared = !m_engine->evaluate(runtime::concat({m_rootName, " = {}"})).isError();
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
        m_engine->taint();
        return isTrue(m_engine->evaluate(runtime::concat({absolute, " != null"})));
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
            const JsonSpan value = resolved->value;
            if (value.end - value.begin > kLargeValue) {
                // The parsed copy stays in the engine's heap until the next load replaces it.
                m_engine->taint();
            }
            const QJSValue written = m_engine->restringifyJson(
                m_document->text.sliced(static_cast<qsizetype>(value.begin),
                                        static_cast<qsizetype>(value.end - value.begin)));
            return written.isString()
                       ? toText(written.toString().replace(kSymbolForNull, QLatin1Char('\\')))
                       : Text{};
        }
        installPendingDocument();
        if (m_loadRefused) {
            return {};
        }
    }
    m_engine->taint();
    resolvePath(absolute);
    return resultText(m_engine->evaluate(
        runtime::concat({"JSON.stringify(", absolute, ").replace(str_reg, '\\\\')"})));
}

} // namespace script
