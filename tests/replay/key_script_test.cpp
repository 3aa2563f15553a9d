// key_script_test.cpp -- reading key scripts: the accepted forms and every refusal with its line
#include <gtest/gtest.h>

#include "key_script.h"
#include "shell/headless.h"

namespace {
// The lines of a script that must parse.
std::vector<KeyScriptLine> linesOf(const std::string& text) {
    KeyScript script = parseKeyScript(text);
    EXPECT_TRUE(script.ok()) << "line " << script.errorLine << ": " << script.error;
    return script.lines;
}

// The line number of the fault in a script that must be refused.
int faultLineOf(const std::string& text) {
    KeyScript script = parseKeyScript(text);
    EXPECT_FALSE(script.ok()) << "accepted: " << text;
    EXPECT_FALSE(script.error.empty());
    EXPECT_TRUE(script.lines.empty()) << "a refused script must hold no lines";
    return script.errorLine;
}
}  // namespace

TEST(KeyScriptReading, TakesCountsAndKeysInOrder) {
    std::vector<KeyScriptLine> lines = linesOf("3 -\n1 S\n40 LEFT+SPACE\n200 -\n");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].count, 3);
    EXPECT_EQ(lines[0].keys, 0u);
    EXPECT_EQ(lines[1].count, 1);
    EXPECT_EQ(lines[1].keys, uint32_t{HeldS});
    EXPECT_EQ(lines[2].count, 40);
    EXPECT_EQ(lines[2].keys, uint32_t{HeldLeft | HeldSpace});
    EXPECT_EQ(lines[3].count, 200);
    EXPECT_EQ(lines[3].keys, 0u);
}

TEST(KeyScriptReading, KnowsEverySevenKeyNames) {
    const std::pair<const char*, uint32_t> names[] = {
        {"ESC", HeldEsc},   {"LEFT", HeldLeft},   {"RIGHT", HeldRight}, {"UP", HeldUp},
        {"DOWN", HeldDown}, {"SPACE", HeldSpace}, {"S", HeldS},
    };
    for (const auto& [name, bit] : names) {
        std::vector<KeyScriptLine> lines = linesOf(std::string("1 ") + name);
        ASSERT_EQ(lines.size(), 1u) << name;
        EXPECT_EQ(lines[0].keys, bit) << name;
    }
    std::vector<KeyScriptLine> all = linesOf("1 ESC+LEFT+RIGHT+UP+DOWN+SPACE+S");
    EXPECT_EQ(all[0].keys, uint32_t{HeldEsc | HeldLeft | HeldRight | HeldUp | HeldDown |
                                    HeldSpace | HeldS});
}

TEST(KeyScriptReading, SkipsCommentsBlankLinesAndOddWhitespace) {
    std::vector<KeyScriptLine> lines = linesOf(
        "# a whole comment line\n"
        "\n"
        "   \t  \n"
        "  2\tUP   # hold Up twice\n"
        "5 DOWN\r\n"
        "007 S#comment right after the keys\n"
        "1 -");  // no newline at the end
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].count, 2);
    EXPECT_EQ(lines[0].keys, uint32_t{HeldUp});
    EXPECT_EQ(lines[1].keys, uint32_t{HeldDown});
    EXPECT_EQ(lines[2].count, 7);
    EXPECT_EQ(lines[3].keys, 0u);
    EXPECT_TRUE(linesOf("").empty());
    EXPECT_TRUE(linesOf("# nothing but a comment\n\n").empty());
}

TEST(KeyScriptReading, CountRunsFromOneToTheLargest32BitNumber) {
    EXPECT_EQ(linesOf("2147483647 -")[0].count, 2147483647);
    EXPECT_EQ(faultLineOf("2147483648 -"), 1);
    EXPECT_EQ(faultLineOf("99999999999999999999999 -"), 1);
    EXPECT_EQ(faultLineOf("0 -"), 1);
    EXPECT_EQ(faultLineOf("-1 -"), 1);
    EXPECT_EQ(faultLineOf("+3 -"), 1);
    EXPECT_EQ(faultLineOf("1.5 -"), 1);
    EXPECT_EQ(faultLineOf("3x -"), 1);
}

TEST(KeyScriptReading, RefusesBadKeysAndNamesTheLine) {
    EXPECT_EQ(faultLineOf("1 -\n2 JUMP\n"), 2);
    EXPECT_EQ(faultLineOf("1 -\n# comment\n\n1 left\n"), 4) << "names are upper case";
    EXPECT_EQ(faultLineOf("1 LEFT+\n"), 1);
    EXPECT_EQ(faultLineOf("1 +LEFT\n"), 1);
    EXPECT_EQ(faultLineOf("1 LEFT++S\n"), 1);
    EXPECT_EQ(faultLineOf("1 LEFT + S\n"), 1) << "keys are one word";
    EXPECT_EQ(faultLineOf("1 -+S\n"), 1);
    EXPECT_EQ(faultLineOf("1\n"), 1) << "keys are required";
    EXPECT_EQ(faultLineOf("S 1\n"), 1);
    EXPECT_EQ(faultLineOf("1 S extra\n"), 1);
}

TEST(KeyScriptReading, ReportsTheFirstBadLineOnly) {
    KeyScript script = parseKeyScript("1 -\r\n1 S\r\n0 -\r\nbad\r\n");
    EXPECT_EQ(script.errorLine, 3) << "CR LF line ends count as one line each";
    EXPECT_NE(script.error.find("least 1"), std::string::npos) << script.error;
    script = parseKeyScript("1 -\n1 FIRE\n");
    EXPECT_NE(script.error.find("FIRE"), std::string::npos) << "the message names the key";
}
