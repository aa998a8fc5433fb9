#include "script/duktape_engine.h"

#include "runtime/codepage.h"
#include "script/engine_text.h"

#include <duktape.h>

#include <algorithm>

// Called by the engine from its interrupt handler while it runs bytecode; `udata` is the
// heap's Heap. A deadline in the past makes the running evaluation fail with a RangeError.
extern "C" int pooldesk_duktape_timed_out(void* udata) {
    const auto* deadline = static_cast<const std::chrono::steady_clock::time_point*>(udata);
    return deadline != nullptr && std::chrono::steady_clock::now() > *deadline ? 1 : 0;
}

namespace script {

namespace {

// GBK's single bytes below 0x80 are ASCII and never part of a double-byte character, and the
// engine's text is ASCII-compatible: such a text (most programs and replies) goes in as it is.
std::string engineTextOfGbk(std::string_view gbk) {
    const std::string_view text = gbk.substr(0, runtime::textLength(gbk));
    if (std::ranges::all_of(text, [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return std::string(text);
    }
    return toEngineText(runtime::gbkToUtf16(text));
}

} // namespace

struct DuktapeEngine::Heap {
    Heap() : context(duk_create_heap(nullptr, nullptr, nullptr, &deadline, nullptr)) {}
    ~Heap() {
        if (context != nullptr) {
            duk_destroy_heap(context);
        }
    }
    Heap(const Heap&) = delete;
    Heap& operator=(const Heap&) = delete;

    // Every entry into the engine starts a new time limit; the value stack is left as found.
    template <typename Enter> bool guarded(Enter enter) {
        deadline = std::chrono::steady_clock::now() + kEvaluationLimit;
        const bool succeeded = enter() == DUK_EXEC_SUCCESS;
        deadline = std::chrono::steady_clock::time_point::max();
        return succeeded;
    }

    bool evaluate(std::string_view engineText) {
        return guarded(
            [&] { return duk_peval_lstring(context, engineText.data(), engineText.size()); });
    }

    // Calls JSON.parse(json) and leaves its result (or the error) on the stack.
    bool parse(std::u16string_view json) {
        duk_push_global_object(context);
        duk_get_prop_string(context, -1, "JSON");
        duk_get_prop_string(context, -1, "parse");
        duk_remove(context, -2);
        duk_remove(context, -2);
        if (!duk_is_callable(context, -1)) {
            return false;
        }
        const std::string text = toEngineText(json);
        duk_push_lstring(context, text.data(), text.size());
        return guarded([&] { return duk_pcall(context, 1); });
    }

    std::u16string topText() {
        duk_size_t length = 0;
        const char* text = duk_safe_to_lstring(context, -1, &length);
        return fromEngineText(std::string_view(text, length));
    }

    void putGlobal(std::string_view name) {
        const std::string key = engineTextOfGbk(name);
        duk_put_global_lstring(context, key.data(), key.size());
    }

    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    duk_context* context;
};

DuktapeEngine::DuktapeEngine() : m_heap(std::make_unique<Heap>()) {}

DuktapeEngine::~DuktapeEngine() = default;

bool DuktapeEngine::valid() const {
    return m_heap->context != nullptr;
}

bool DuktapeEngine::run(std::string_view program) {
    const bool succeeded = m_heap->evaluate(engineTextOfGbk(program));
    duk_pop(m_heap->context);
    return succeeded;
}

bool DuktapeEngine::isTrue(std::string_view expression) {
    const bool succeeded = m_heap->evaluate(engineTextOfGbk(expression));
    const bool result = succeeded && duk_is_boolean(m_heap->context, -1) &&
                        duk_get_boolean(m_heap->context, -1) != 0;
    duk_pop(m_heap->context);
    return result;
}

std::optional<std::u16string> DuktapeEngine::text(std::string_view expression) {
    std::optional<std::u16string> result;
    if (m_heap->evaluate(engineTextOfGbk(expression)) && !duk_is_undefined(m_heap->context, -1)) {
        result = m_heap->topText();
    }
    duk_pop(m_heap->context);
    return result;
}

bool DuktapeEngine::parseIntoGlobal(std::string_view name, std::u16string_view json) {
    if (!m_heap->parse(json)) {
        duk_pop(m_heap->context);
        return false;
    }
    m_heap->putGlobal(name);
    return true;
}

std::optional<std::u16string> DuktapeEngine::parseString(std::u16string_view json) {
    std::optional<std::u16string> result;
    if (m_heap->parse(json) && duk_is_string(m_heap->context, -1)) {
        result = m_heap->topText();
    }
    duk_pop(m_heap->context);
    return result;
}

bool DuktapeEngine::evaluateIntoGlobal(std::string_view name, std::u16string_view program) {
    if (!m_heap->evaluate(toEngineText(program))) {
        duk_pop(m_heap->context);
        return false;
    }
    m_heap->putGlobal(name);
    return true;
}

bool DuktapeEngine::hasGlobal(std::string_view name) {
    const std::string key = engineTextOfGbk(name);
    duk_push_global_object(m_heap->context);
    const bool has = duk_has_prop_lstring(m_heap->context, -1, key.data(), key.size()) != 0;
    duk_pop(m_heap->context);
    return has;
}

} // namespace script
