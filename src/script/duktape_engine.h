#pragma once
// One Duktape heap: evaluates program text at global scope, hands JSON texts to the engine's
// own JSON.parse as data, and stops any evaluation that runs past its time limit. A heap is
// single-threaded: an instance belongs to the thread that uses it.

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace script {

class DuktapeEngine final {
public:
    static constexpr std::chrono::milliseconds kEvaluationLimit{2000};

    DuktapeEngine();
    ~DuktapeEngine();
    DuktapeEngine(const DuktapeEngine&) = delete;
    DuktapeEngine& operator=(const DuktapeEngine&) = delete;

    // false when the heap could not be created; nothing else may be called then.
    bool valid() const;

    // Program texts are GBK. Each returns its empty value when the evaluation fails.
    bool run(std::string_view program);
    bool isTrue(std::string_view expression);
    // The result as text (a string, or any other value converted); nullopt when the evaluation
    // fails or gives undefined.
    std::optional<std::u16string> text(std::string_view expression);

    // global[name] = JSON.parse(json); false when the engine refuses the text.
    bool parseIntoGlobal(std::string_view name, std::u16string_view json);
    // JSON.parse(json) when that is a string.
    std::optional<std::u16string> parseString(std::u16string_view json);
    // global[name] = the completion value of `program`; false when it fails.
    bool evaluateIntoGlobal(std::string_view name, std::u16string_view program);
    bool hasGlobal(std::string_view name);

private:
    struct Heap;
    std::unique_ptr<Heap> m_heap;
};

} // namespace script
