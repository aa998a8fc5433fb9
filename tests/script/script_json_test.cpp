#include "script/script_json.h"

#include "runtime/codepage.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using runtime::gbk;
using script::ScriptJson;

struct Query {
    const char* name;
    const char* document;
    const char* path;
    const char* expected;
};

void PrintTo(const Query& q, std::ostream* os) {
    *os << q.name;
}

class ScriptJsonQuery : public testing::TestWithParam<Query> {};

TEST_P(ScriptJsonQuery, AnswersThePathAsCompactJson) {
    const Query& q = GetParam();
    ScriptJson json;
    json.clear();
    json.load(q.document);
    EXPECT_EQ(json.getJsonText(q.path), q.expected) << q.document << " at \"" << q.path << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ScriptJsonQuery,
    testing::Values(
        Query{"retNumber", R"({"ret":0,"data":["name1","name2"]})", "ret", "0"},
        Query{"retString", R"({"ret":"0"})", "ret", R"("0")"},
        Query{"retMissing", R"({"code":1})", "ret", ""},
        Query{"retNull", R"({"ret":null})", "ret", "null"},
        Query{"nestedPath", R"({"data":{"list":[{"name":"p1"}]}})", "data.list[0].name", R"("p1")"},
        Query{"indexPastEnd", R"({"data":{"list":[{"name":"p1"}]}})", "data.list[3].name", ""},
        Query{"absolutePath", R"({"data":{"list":[{"name":"p1"}]}})", "da.data.list[0]",
              R"({"name":"p1"})"},
        Query{"rootArrayMember", R"([{"id":7},{"id":8}])", "[0].id", "7"},
        Query{"rootArrayElement", R"([{"id":7},{"id":8}])", "[1]", R"({"id":8})"},
        Query{"wholeDocumentCompact",
              " {\r\n\t\"ret\" : 0 ,\n \"data\" : [ \"a\" , 1.5e2 , true , null , -0 ] } ", "",
              R"({"ret":0,"data":["a",150,true,null,0]})"},
        // Written from the reply's text, members keep the reply's order; written by the engine
        // (a bracketed name is no plain path), integer-like names come first.
        Query{"memberOrder", R"({"b":1,"2":2,"a":3,"1":4})", "", R"({"b":1,"2":2,"a":3,"1":4})"},
        Query{"memberOrderEvaluated", R"({"o":{"b":1,"2":2,"a":3}})", R"(["o"])",
              R"({"2":2,"b":1,"a":3})"},
        Query{"duplicateMember", R"({"a":1,"a":2})", "", R"({"a":2})"},
        Query{"stringEscapes", R"({"s":"tab\there \"q\" \\ \/ \u00e9\u0001"})", "s",
              "\"tab\\there \\\"q\\\" \\\\ / \xA8\xA6\\u0001\""},
        // The serialiser's escape class, from the text and from the engine.
        Query{"escapeClass", R"({"s":"\u2028\u00ad\u007f\u001f\ufeff\u2400"})", "s",
              R"("\u2028\u00ad\u007f\u001f\ufeff\")"},
        Query{"escapeClassEvaluated", R"({"s":"\u2028\u00ad\u007f\u001f\ufeff"})", R"(["s"])",
              R"("\u2028\u00ad\u007f\u001f\ufeff")"},
        // U+2400 comes back as one backslash.
        Query{"symbolForNull", R"({"a":"x\u2400y"})", "a", R"("x\y")"},
        // Numbers beyond double range, as the engine's own literals read them.
        Query{"numbersOutOfRange", R"({"big":1e400,"tiny":-1e-400,"n":12345678901234567890})", "",
              R"({"big":null,"tiny":0,"n":12345678901234567000})"},
        // Exponents longer than the engine's number reader takes.
        Query{"hugeExponents", R"({"big":1e99999999,"tiny":-1E-099999999,"z":0e99999999})", "",
              R"({"big":null,"tiny":0,"z":0})"},
        Query{"hugeExponentWrapped", R"("[2e+99999999]")", "", "[null]"},
        // Scalars are documents too.
        Query{"scalarNumber", "0", "", "0"}, Query{"scalarTrue", " true ", "", "true"},
        Query{"scalarNull", "null", "", "null"},
        // A JSON text wrapped as a string literal is parsed once more.
        Query{"wrappedArray", R"("[1,2]")", "[1]", "2"}, Query{"wrappedNumber", R"("5")", "", "5"},
        Query{"wrappedString", R"("\"x\"")", "", R"("x")"},
        Query{"wrappedStringOfCode", R"("\"while(true){}\"")", "", R"("while(true){}")"}));

TEST(ScriptJson, LoadReportsWhetherTheRootIsSet) {
    ScriptJson json;
    EXPECT_TRUE(json.load(R"({"ret":0})"));
    EXPECT_TRUE(json.load("[]"));
    EXPECT_TRUE(json.load("false"));
    EXPECT_FALSE(json.load("null"));
    EXPECT_FALSE(json.load(""));
    // An object wrapped as a string literal reads as a block when parsed once more.
    EXPECT_FALSE(json.load(R"("{\"ret\":1}")"));
    EXPECT_EQ(json.getJsonText("ret"), "");
    // Text after a NUL is not part of the text.
    EXPECT_TRUE(json.load(std::string("{\"ret\":3}\0{", 11)));
    EXPECT_EQ(json.getJsonText("ret"), "3");
}

TEST(ScriptJson, LargeReplyWithANumberBeyondDoubleRangeLoads) {
    std::string reply = R"({"ret":0,"big":1e400,"data":[)";
    int pools = 1;
    for (; reply.size() < 229 * 1024; ++pools) {
        reply += R"("pool",)";
    }
    reply += R"("last"]})";
    ScriptJson json;
    ASSERT_TRUE(json.load(reply));
    EXPECT_EQ(json.getJsonText("ret"), "0");
    EXPECT_EQ(json.getJsonText("big"), "null");
    // The same answers with the whole document in the engine.
    EXPECT_EQ(json.getJsonText(R"(["big"])"), "null");
    EXPECT_EQ(json.getJsonText("data.length"), std::to_string(pools));
}

TEST(ScriptJson, EveryLoadStartsFromAnEmptyDocument) {
    ScriptJson json;
    ASSERT_TRUE(json.load(R"({"ret":1,"old":true})"));
    ASSERT_TRUE(json.load(R"({"ret":2})"));
    EXPECT_EQ(json.getJsonText(""), R"({"ret":2})");
    EXPECT_EQ(json.getJsonText("old"), "");
}

TEST(ScriptJson, ClearEmptiesTheDocument) {
    ScriptJson json;
    EXPECT_EQ(json.getJsonText(""), "{}");
    ASSERT_TRUE(json.load(R"({"ret":0,"data":[1]})"));
    EXPECT_TRUE(json.clear());
    EXPECT_EQ(json.getJsonText(""), "{}");
    EXPECT_EQ(json.getJsonText("ret"), "");
}

TEST(ScriptJson, TextThatIsNotJsonLeavesNothingToRead) {
    ScriptJson json;
    for (const char* text : {R"({"ret":0)",
                             R"({"ret":0}})",
                             R"({ret:0})",
                             R"({'ret':0})",
                             "[1,]",
                             "[1 2]",
                             R"({"a" 1})",
                             R"({"a":1,})",
                             "01",
                             "1.",
                             ".5",
                             "+1",
                             "0x10",
                             "NaN",
                             "Infinity",
                             "undefined",
                             "nul",
                             R"("\x41")",
                             "\"a\tb\"",
                             "// note\n{}",
                             "\xEF\xBB\xBF{}",
                             "abc",
                             R"("abc")",
                             "[1]]",
                             "]"}) {
        EXPECT_FALSE(json.load(text)) << text;
        EXPECT_EQ(json.getJsonText("ret"), "") << text;
        EXPECT_EQ(json.getJsonText(""), "") << text;
    }
    // The next good reply reads normally again.
    ASSERT_TRUE(json.load(R"({"ret":0})"));
    EXPECT_EQ(json.getJsonText("ret"), "0");
}

TEST(ScriptJson, GbkTextRoundTrips) {
    ScriptJson json;
    // 乗 ends in byte 0x5C, the backslash, in GBK.
    ASSERT_TRUE(json.load(gbk(R"({"名":"刷新完成","乗":["乗\\"]})")));
    EXPECT_EQ(json.getJsonText(gbk("名")), gbk(R"("刷新完成")"));
    EXPECT_EQ(json.getJsonText(""), gbk(R"({"名":"刷新完成","乗":["乗\\"]})"));
}

struct Resolution {
    const char* path;
    const char* absolute;
    bool exists;
};

TEST(ScriptJson, ResolvePathMakesThePathAbsolute) {
    ScriptJson json;
    ASSERT_TRUE(json.load(R"({"ret":0,"data":[{"id":1}],"da":{"x":2}})"));
    for (const Resolution& r :
         {Resolution{"", "da", true}, Resolution{"ret", "da.ret", true},
          Resolution{"da.ret", "da.ret", true}, Resolution{"[\"ret\"]", "da[\"ret\"]", true},
          Resolution{"data[0].id", "da.data[0].id", true},
          Resolution{"data[1].id", "da.data[1].id", false},
          Resolution{"missing", "da.missing", false},
          // An absolute path to a missing value is taken as relative.
          Resolution{"da.x", "da.da.x", true}, Resolution{"da.y", "da.da.y", false}}) {
        runtime::Text path = r.path;
        EXPECT_EQ(json.resolvePath(path), r.exists) << r.path;
        EXPECT_EQ(path, r.absolute) << r.path;
    }
    EXPECT_EQ(json.getJsonText("da.x"), "2");
}

TEST(ScriptJson, DestroyedInstanceAnswersEmpty) {
    ScriptJson json;
    ASSERT_TRUE(json.load(R"({"ret":0})"));
    json.destroy();
    EXPECT_FALSE(json.load(R"({"ret":0})"));
    EXPECT_FALSE(json.clear());
    EXPECT_EQ(json.getJsonText("ret"), "");
    runtime::Text path = "ret";
    EXPECT_FALSE(json.resolvePath(path));
}

} // namespace
