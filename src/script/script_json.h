#pragma once
// ScriptJson: one JSON value held inside a private JavaScript engine (one heap per instance,
// used by one thread at a time), queried by path.
// Texts are GBK; every failing call gives the empty value of its type.

#include "runtime/text.h"

#include <memory>
#include <optional>
#include <string_view>

namespace script {

using runtime::Text;

class ScriptJson final {
public:
    ScriptJson();  // root name "da", then createEngine()
    ~ScriptJson(); // destroy()
    ScriptJson(const ScriptJson&) = delete;
    ScriptJson& operator=(const ScriptJson&) = delete;

    void destroy();
    void createEngine();
    // true when the root is not null afterwards.
    bool load(std::string_view jsonText);
    bool clear();
    // Rewrites path into the absolute expression; true when the value exists.
    bool resolvePath(Text& path);
    // The value at path written as compact JSON, or empty.
    Text getJsonText(std::string_view path);

private:
    struct Engine;
    struct Document;
    struct Resolution;
    bool installDocument(const Document& document);
    void installPendingDocument();
    std::optional<Resolution> resolveInText(const Text& path) const;

    Text m_rootName;
    std::unique_ptr<Engine> m_engine;
    // The last reply while it is kept as text only (the root in the engine is null meanwhile):
    // queries for plain paths read their value out of it.
    std::unique_ptr<Document> m_document;
    // Set when the last load refused its text: every query then answers empty.
    bool m_loadRefused = false;
};

} // namespace script
