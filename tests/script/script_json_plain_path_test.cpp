// A reply is kept as text while only plain paths are asked of it; every answer must equal the
// one the engine gives with the whole document installed.
#include "script/script_json.h"

#include "runtime/codepage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using runtime::gbk;
using runtime::Text;
using script::ScriptJson;

struct Answer {
    bool loaded;
    bool exists;
    Text absolute;
    Text json;

    bool operator==(const Answer&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Answer& a) {
    return os << "loaded " << a.loaded << ", exists " << a.exists << ", " << a.absolute << " = '"
              << a.json << "'";
}

// A bracketed string key is no plain path, so asking for it installs the whole document.
const char* const kInstallsDocument = R"(["x"])";

Answer ask(ScriptJson& json, bool loaded, const Text& path) {
    Answer a{loaded, false, path, {}};
    a.exists = json.resolvePath(a.absolute);
    a.json = json.getJsonText(path);
    return a;
}

const std::vector<Text>& documents() {
    static const std::vector<Text> all = {
        R"({"ret":0,"data":["name1","name2"]})",
        R"({"a":1,"b":{"x":1},"a":{"y":[1,2]},"b":{"z":null},"a":{"y":[3,{"x":4}]}})",
        R"([[1,[2,[3,{"k":[4]}]]],[],{},[[[]]]])",
        gbk(R"({"名":"刷新完成","n":"乗\\ 乗","s":"\u00e9\ud83d\ude00\u0000","a":["名"]})"),
        R"({"s":"a\u2400b","a":["\u2400","\\\u2400\\"],"n":{"s":"\u2400"}})",
        // (The engine's own reader rounds a tie such as 9007199254740993 up, to ...994; the
        // kept text gives the nearest double, ...992.)
        R"({"n":[1e2,0.1,-0,1E-7,123456789012345678901234567890,9007199254740995,5e-324,0e0,)"
        R"(-12.50,1e-7,2.5E+3],"x":-0,"s":1e21})",
        R"({"o":{},"a":[],"s":"","z":0,"f":false,"data":{"list":[]}})",
        R"({"x":null,"y":{"x":null},"a":[null,[null]]})",
        R"({"da":{"x":2,"da":{"x":3}},"x":null,"y":5})",
        " \r\n\t{ \"a\" : [ 1 , { \"b\" : 2 } , [ ] ] , \"s\" : \" x \" }\n ",
        R"({"constructor":1,"length":2,"data":{"length":"l"},"__x":3,"$":4,"if":5})",
        R"({"s":"q\"\\\/\b\f\n\r\t\u0001x","a":["]","}","\"[{"]})",
        // Integer-like names in the engine's order: answers from the text keep the reply's.
        R"({"0":"zero","1":"one","ret":{"1":1}})",
        "7",
        "-0",
        R"("text")",
        R"("[1,{\"a\":2}]")",
        "null",
        "[]",
        R"([{"id":7},{"id":8,"id":9},null,"s"])",
        // Texts the engine reads in ways of its own.
        R"({"__proto__":{"x":1},"y":2})",
        R"({"r\u0065t":1,"a":2})",
        R"({"big":1e400,"ret":1})",
        R"({"big":1e99999999,"ret":[-1e-99999999]})",
        std::string(1020, '[') + "5" + std::string(1020, ']'),
    };
    return all;
}

const std::vector<Text>& paths() {
    static const std::vector<Text> all = {
        "",
        "da",
        "ret",
        "a",
        "a.y[1].x",
        "b.x",
        "[0]",
        "[0][1][1][1].k",
        "[1].id",
        "[9]",
        "data",
        "data[1]",
        "data.list[0]",
        "x",
        "y.x",
        "y.x.z",
        "da.x",
        "da.y",
        "da.da.x",
        "n",
        "n[2]",
        "n[4]",
        "n[5]",
        "n.s",
        "s",
        "o",
        "f",
        "a[1]",
        "a[1][0]",
        "a[01]",
        "length",
        "data.length",
        "constructor",
        "toString",
        "__x",
        "$",
        "if",
        "ret[1]",
        "dax",
        "da[0]",
        "big",
        gbk("名"),
    };
    return all;
}

TEST(ScriptJsonPlainPath, AnswersEqualTheWholeDocumentsForEveryDocumentAndPath) {
    ScriptJson kept;
    ScriptJson whole;
    for (const Text& document : documents()) {
        const bool loaded = whole.load(document);
        Text other = kInstallsDocument;
        whole.resolvePath(other);
        for (const Text& path : paths()) {
            // Loaded afresh for each path: one that is not plain installs the document.
            EXPECT_EQ(ask(kept, kept.load(document), path), ask(whole, loaded, path))
                << "document " << document.substr(0, 80) << " path \"" << path << '"';
        }
    }
}

TEST(ScriptJsonPlainPath, LoadTellsWhetherTheRootIsNull) {
    ScriptJson json;
    for (const Text& document : documents()) {
        const bool loaded = json.load(document);
        Text root;
        // The engine's own answer, with the document installed.
        Text other = kInstallsDocument;
        json.resolvePath(other);
        EXPECT_EQ(loaded, json.resolvePath(root)) << document.substr(0, 80);
    }
}

TEST(ScriptJsonPlainPath, ProgramTextInAPathChangesWhatLaterPathsRead) {
    ScriptJson json;
    ASSERT_TRUE(json.load(R"({"ret":0,"data":[1,2]})"));
    EXPECT_EQ(json.getJsonText("ret"), "0");
    // A path is program text: this one assigns, and the document read afterwards has changed.
    EXPECT_EQ(json.getJsonText("ret = 7"), "7");
    EXPECT_EQ(json.getJsonText("ret"), "7");
    EXPECT_EQ(json.getJsonText(""), R"({"ret":7,"data":[1,2]})");
    // The next reply starts over.
    ASSERT_TRUE(json.load(R"({"ret":0})"));
    EXPECT_EQ(json.getJsonText("ret"), "0");
    EXPECT_TRUE(json.clear());
    EXPECT_EQ(json.getJsonText(""), "{}");
    EXPECT_EQ(json.getJsonText("ret"), "");
}

TEST(ScriptJsonPlainPath, NamesAPathDefinedDoNotOutliveTheLoad) {
    ScriptJson json;
    ASSERT_TRUE(json.load("[5,6]"));
    EXPECT_EQ(json.getJsonText("[(this.leaked = 1, 0)]"), "5");
    EXPECT_EQ(json.getJsonText("[leaked]"), "6");
    ASSERT_TRUE(json.load("[5,6]"));
    EXPECT_EQ(json.getJsonText("[leaked]"), "");
    EXPECT_EQ(json.getJsonText("[1]"), "6");
}

} // namespace
