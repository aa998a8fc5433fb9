// Replies come from the network: none of them may run code, hang the caller or crash it.
#include "script/script_json.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

namespace {

using script::ScriptJson;

TEST(ScriptJsonHostile, ProgramTextIsNeverRun) {
    ScriptJson json;
    // Each of these would leave ret == 5 behind if the engine ran it.
    for (const char* text : {
             R"((function(){return {"ret":5};})())",
             R"({"ret":(function(){return 5;})()})",
             R"({"ret":5}, this.ran = 1)",
             R"({"a":"x"+(ret=5)+""})",
             R"js("({ret:5})")js",
             R"("[5]; this.ret = 5")",
             R"("\"x\"; var ret = 5")",
             R"js(eval("({ret:5})"))js",
         }) {
        EXPECT_FALSE(json.load(text)) << text;
        EXPECT_EQ(json.getJsonText("ret"), "") << text;
        EXPECT_EQ(json.getJsonText(""), "") << text;
    }
}

TEST(ScriptJsonHostile, EndlessLoopAsStringLiteralIsRefused) {
    ScriptJson json;
    EXPECT_FALSE(json.load(R"("while(true){}")"));
    EXPECT_FALSE(json.load(R"("for(;;);")"));
    ASSERT_TRUE(json.load(R"({"ret":0})"));
    EXPECT_EQ(json.getJsonText("ret"), "0");
}

std::string arrayOf(std::size_t count, std::string_view element) {
    std::string text = "[";
    text.reserve(count * (element.size() + 1) + 1);
    for (std::size_t i = 0; i < count; ++i) {
        text += i == 0 ? "" : ",";
        text += element;
    }
    return text + "]";
}

TEST(ScriptJsonHostile, TenMegabyteArraysAreOrdinaryDocuments) {
    ScriptJson json;
    // Five million elements, and a hundred thousand long ones.
    for (const auto& [text, length] :
         {std::pair{arrayOf(5'000'000, "0"), "5000000"},
          std::pair{arrayOf(100'000, '"' + std::string(100, 'n') + '"'), "100000"}}) {
        ASSERT_GE(text.size(), 10'000'000U);
        ASSERT_TRUE(json.load(text));
        EXPECT_EQ(json.getJsonText("length"), length);
    }
}

TEST(ScriptJsonHostile, DeepNestingIsRefusedWithoutCrashing) {
    const std::size_t depth = 1'000'000;
    ScriptJson json;
    const std::string balanced = std::string(depth, '[') + std::string(depth, ']');
    EXPECT_FALSE(json.load(balanced));
    EXPECT_EQ(json.getJsonText(""), "");
    EXPECT_FALSE(json.load(std::string(depth, '[')));
    EXPECT_FALSE(json.load(R"({"a":)" + std::string(depth, '[')));
    // A moderate depth is an ordinary document.
    ASSERT_TRUE(json.load(std::string(200, '[') + "7" + std::string(200, ']')));
    EXPECT_EQ(json.getJsonText("[0][0]"), std::string(198, '[') + "7" + std::string(198, ']'));
}

TEST(ScriptJsonHostile, RunawayEvaluationIsInterrupted) {
    ScriptJson json;
    ASSERT_TRUE(json.load(R"({"ret":0})"));
    // Paths are program text from the caller; a looping one is cut off and counts as failed.
    runtime::Text path = "[(function(){ for (;;) {} })()]";
    EXPECT_FALSE(json.resolvePath(path));
    // The interrupt does not stick to the engine.
    EXPECT_EQ(json.getJsonText("ret"), "0");
    EXPECT_TRUE(json.load(R"({"ret":1})"));
    EXPECT_EQ(json.getJsonText("ret"), "1");
}

TEST(ScriptJsonHostile, InstancesLiveOnWorkerThreads) {
    // As the pool refresh does: create, use and destroy on a thread with no event loop, here
    // two at once.
    std::array<std::string, 2> answers;
    std::array<bool, 2> loaded{};
    std::array<std::thread, 2> workers;
    for (std::size_t i = 0; i < workers.size(); ++i) {
        workers[i] = std::thread([i, &answers, &loaded] {
            ScriptJson json;
            json.clear();
            loaded[i] = json.load(R"({"ret":)" + std::to_string(i) + R"(,"data":["p"]})");
            answers[i] = json.getJsonText("ret") + json.getJsonText("data[0]");
            json.destroy();
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    EXPECT_TRUE(loaded[0]);
    EXPECT_TRUE(loaded[1]);
    EXPECT_EQ(answers[0], R"(0"p")");
    EXPECT_EQ(answers[1], R"(1"p")");
}

} // namespace
