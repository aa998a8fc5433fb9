#include "script/script_json.h"

#include "runtime/codepage.h"

#include <QCoreApplication>
#include <QJSEngine>
#include <QJSValue>
#include <QString>

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

QString toQString(std::string_view gbkText) {
    return QString::fromStdU16String(
        runtime::gbkToUtf16(gbkText.substr(0, runtime::textLength(gbkText))));
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

// The engine keeps the elements of every array it is still reading on its fixed-size value
// stack and crashes when they overflow it (past about 557,000 here). Pool lists are a few
// thousand names long.
constexpr std::size_t kMaxPendingArrayElements = 262'144;

// A strict JSON text (RFC 8259, any value at the top) that the engine can hold: the gate that
// keeps replies from being run as program text. Iterative, so deep nesting cannot exhaust the
// stack here.
class JsonTextChecker final {
public:
    explicit JsonTextChecker(QStringView text) : m_text(text) {}

    bool check() {
        skipSpace();
        while (true) {
            const char16_t c = peek();
            if (c == u'{' || c == u'[') {
                ++m_pos;
                skipSpace();
                if (peek() != closing(c)) {
                    m_open.push_back({c, 0});
                    if (c == u'{' && !member()) {
                        return false;
                    }
                    continue;
                }
                ++m_pos;
            } else if (!scalar(c)) {
                return false;
            }
            if (!afterValue()) {
                return false;
            }
            if (m_open.empty()) {
                skipSpace();
                return m_pos == m_text.size();
            }
        }
    }

private:
    struct Container {
        char16_t opening;
        std::size_t elements;
    };

    static char16_t closing(char16_t opening) { return opening == u'{' ? u'}' : u']'; }

    bool scalar(char16_t c) {
        switch (c) {
        case u'"':
            return string();
        case u't':
            return word(u"true");
        case u'f':
            return word(u"false");
        case u'n':
            return word(u"null");
        default:
            return number();
        }
    }

    // Separators and closings after a complete value, up to where the next value starts or
    // the top-level value has ended.
    bool afterValue() {
        while (!m_open.empty()) {
            Container& inner = m_open.back();
            if (inner.opening == u'[') {
                ++inner.elements;
                if (++m_pendingElements > kMaxPendingArrayElements) {
                    return false;
                }
            }
            skipSpace();
            const char16_t c = peek();
            if (c == u',') {
                ++m_pos;
                skipSpace();
                return inner.opening == u'[' || member();
            }
            if (c != closing(inner.opening)) {
                return false;
            }
            ++m_pos;
            m_pendingElements -= inner.elements;
            m_open.pop_back();
        }
        return true;
    }

    // A member name and its colon, leaving the position at the member's value.
    bool member() {
        if (peek() != u'"' || !string()) {
            return false;
        }
        skipSpace();
        if (peek() != u':') {
            return false;
        }
        ++m_pos;
        skipSpace();
        return true;
    }

    bool string() {
        ++m_pos; // opening quote
        while (m_pos < m_text.size()) {
            const char16_t c = m_text[m_pos++].unicode();
            if (c == u'"') {
                return true;
            }
            if (c < 0x20) {
                return false;
            }
            if (c == u'\\' && !escape()) {
                return false;
            }
        }
        return false;
    }

    bool escape() {
        const char16_t c = peek();
        ++m_pos;
        if (c == u'u') {
            for (int i = 0; i < 4; ++i, ++m_pos) {
                if (!isHexDigit(peek())) {
                    return false;
                }
            }
            return true;
        }
        return std::u16string_view(u"\"\\/bfnrt").find(c) != std::u16string_view::npos;
    }

    bool number() {
        if (peek() == u'-') {
            ++m_pos;
        }
        if (peek() == u'0') {
            ++m_pos;
        } else if (!digits()) {
            return false;
        }
        if (peek() == u'.') {
            ++m_pos;
            if (!digits()) {
                return false;
            }
        }
        if (peek() == u'e' || peek() == u'E') {
            ++m_pos;
            if (peek() == u'+' || peek() == u'-') {
                ++m_pos;
            }
            if (!digits()) {
                return false;
            }
        }
        return true;
    }

    bool digits() {
        const qsizetype start = m_pos;
        while (peek() >= u'0' && peek() <= u'9') {
            ++m_pos;
        }
        return m_pos > start;
    }

    bool word(std::u16string_view literal) {
        for (const char16_t c : literal) {
            if (peek() != c) {
                return false;
            }
            ++m_pos;
        }
        return true;
    }

    void skipSpace() {
        while (peek() == u' ' || peek() == u'\t' || peek() == u'\n' || peek() == u'\r') {
            ++m_pos;
        }
    }

    static bool isHexDigit(char16_t c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    }

    // 0 past the end, which no rule accepts.
    char16_t peek() const { return m_pos < m_text.size() ? m_text[m_pos].unicode() : u'\0'; }

    QStringView m_text;
    qsizetype m_pos = 0;
    std::vector<Container> m_open; // every container not yet closed, outermost first
    std::size_t m_pendingElements = 0;
};

bool isJsonText(QStringView text) {
    return JsonTextChecker(text).check();
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
        const QJSValue parse =
            m_js.globalObject().property(QStringLiteral("JSON")).property(QStringLiteral("parse"));
        if (!parse.isCallable()) {
            return {};
        }
        return guarded([&] { return parse.call({QJSValue(text)}); });
    }

    void setGlobal(std::string_view gbkName, const QJSValue& value) {
        m_js.globalObject().setProperty(toQString(gbkName), value);
    }

private:
    template <typename Run> QJSValue guarded(Run run) {
        m_js.setInterrupted(false);
        m_watchdog.arm(&m_js);
        QJSValue result = run();
        m_watchdog.disarm();
        return result;
    }

    Watchdog& m_watchdog;
    QJSEngine m_js;
};

ScriptJson::ScriptJson() : m_rootName("da"), m_watchdog(std::make_unique<Watchdog>()) {
    createEngine();
}

ScriptJson::~ScriptJson() {
    destroy();
}

void ScriptJson::destroy() {
    m_engine.reset();
    m_rootName.clear();
}

void ScriptJson::createEngine() {
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

bool ScriptJson::load(std::string_view jsonText) {
    if (m_engine) {
        m_engine.reset();
        createEngine();
    }
    if (!m_engine) {
        return false;
    }
    m_engine->evaluate(runtime::concat({"var ", m_rootName, " = null"}));
    m_loadRefused = !installDocument(jsonText);
    return isTrue(m_engine->evaluate(runtime::concat({m_rootName, " != null"})));
}

// Puts the reply's value into the root. Only a JSON text gets this far, so evaluating it as an
// expression cannot run anything. JSON.parse builds the same value several times faster and,
// unlike compiling the text, in time proportional to its size, so it is used wherever it accepts
// the text; it refuses numbers out of double range (the expression reads them as Infinity or 0)
// and the engine's own reading is left for the texts it is needed for, when they are small.
bool ScriptJson::installDocument(std::string_view jsonText) {
    const QString text = toQString(jsonText);
    if (!isJsonText(text)) {
        return false;
    }
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

bool ScriptJson::clear() {
    if (!m_engine) {
        return false;
    }
    const bool cleared = !m_engine->evaluate(runtime::concat({m_rootName, " = {}"})).isError();
    if (cleared) {
        m_loadRefused = false;
    }
    return cleared;
}

bool ScriptJson::resolvePath(Text& path) {
    path.resize(runtime::textLength(path));
    const auto exists = [this](std::string_view absolute) {
        return m_engine && isTrue(m_engine->evaluate(runtime::concat({absolute, " != null"})));
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
    resolvePath(absolute);
    return resultText(m_engine->evaluate(
        runtime::concat({"JSON.stringify(", absolute, ").replace(str_reg, '\\\\')"})));
}

} // namespace script
