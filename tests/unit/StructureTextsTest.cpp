#include "TempPath.h"
#include "scan/StructureTexts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

TStructureTexts Rules(const TLines& lines)
{
    TStructureTexts rules;
    rules.LoadFromList(lines);
    return rules;
}

const TLines kRuleFile = {
    "[BEGIN]",
    "  [+var]  ",
    "PAS=PASCAL",
    "PAS = OTHER",
    "[-VAR]",
    "",
    "[BEGIN] ICON=x;NAME=PASCAL",
    "[+CYC0]",
    "S0=a",
    ".",
    "[-CYC0]",
    "[END]",
    "[BEGIN] NAME=C",
    "[+CYC0]",
    "S0=c",
    "[-CYC0]",
    "[END]",
    "[END]",
};

TEST(StructureTexts, PrepareTrimsAndDropsEmptyLines)
{
    const auto rules = Rules({"  a  ", "", "\t", "b"});
    EXPECT_EQ(rules.Lines(), (TLines{"a", "b"}));
}

TEST(StructureTexts, SectionMatchesUpperCasedGroupsOnly)
{
    const auto rules = Rules(kRuleFile);
    EXPECT_EQ(rules.Section("VAR"), (TLines{"PAS=PASCAL", "PAS = OTHER"}));
    EXPECT_TRUE(rules.Section("var").empty());
    EXPECT_TRUE(rules.Section("CYC0").empty()) << "sets inside blocks stand at depth 2";
    EXPECT_TRUE(rules.Section("NONE").empty());
}

TEST(StructureTexts, TypeKeysOfVar)
{
    const auto rules = Rules({"[BEGIN]", "[+VAR]", "PAS=P", "pp = P", "PAS=Q", "NOTYPE", "inc=P", "[-VAR]", "[END]"});
    EXPECT_EQ(rules.TypeKeys(), (TLines{"PAS", "PP", "INC"}));
    EXPECT_EQ(rules.TypePatterns(), (TLines{"*.pas", "*.pp", "*.inc"}));
    EXPECT_TRUE(Rules({"[BEGIN]", "[END]"}).TypeKeys().empty());
}

TEST(StructureTexts, BlockFindsNamedBlocksAmongOtherPairs)
{
    const auto rules = Rules(kRuleFile);
    const TLines block = rules.Block("PASCAL");
    ASSERT_EQ(block.size(), 6u);
    EXPECT_EQ(block.front(), "[BEGIN] ICON=x;NAME=PASCAL");
    EXPECT_EQ(block.back(), "[END]");
    EXPECT_TRUE(rules.Block("pascal").empty()) << "block names compare exactly";
    EXPECT_TRUE(rules.Block("MISSING").empty());
    EXPECT_EQ(Rules(block).Section("CYC0"), (TLines{"S0=a", "."}));
    std::vector<int> numbers;
    const TLines blockC = rules.Block("C", &numbers);
    EXPECT_EQ(numbers, (std::vector<int>{13, 14, 15, 16, 17}));
    TStructureTexts copy;
    copy.LoadFromList(blockC, numbers);
    numbers.clear();
    EXPECT_EQ(copy.Section("CYC0", &numbers), (TLines{"S0=c"}));
    EXPECT_EQ(numbers, (std::vector<int>{15})) << "a copied block keeps the numbers of the file";
}

TEST(StructureTexts, EdgeShapes)
{
    struct TCase {
        const char* name;
        TLines lines;
        const char* query; // "S:NAME" for Section, "B:NAME" for Block
        TLines expected;
    };
    const TCase cases[] = {
        {"a pattern with a brace class shifts the depth",
         {"[BEGIN]", "[+VAR]", "[{]x", "PAS=P", "[-VAR]", "[END]"}, "S:VAR",
         {"[{]x", "PAS=P", "[-VAR]", "[END]"}},
        {"a depth-shifting line hides a later section",
         {"[BEGIN]", "[{]", "[+VAR]", "PAS=P", "[-VAR]", "[END]"}, "S:VAR", {}},
        {"an end marker before the start ends the walk",
         {"[BEGIN]", "[-VAR]", "[+VAR]", "PAS=P", "[-VAR]"}, "S:VAR", {}},
        {"a block begin inside a +/- range is not found",
         {"[BEGIN]", "[+X]", "[BEGIN] NAME=A", "S0=a", "[END]", "[-X]", "[END]"}, "B:A", {}},
        {"several blocks of one name follow each other",
         {"[BEGIN]", "[BEGIN] NAME=A", "x", "[END]", "[BEGIN] NAME=A", "y", "[END]", "[END]"}, "B:A",
         {"[BEGIN] NAME=A", "x", "[END]", "[BEGIN] NAME=A", "y", "[END]"}},
        {"a single line is examined", {"[+VAR]"}, "S:VAR", {}},
        {"line 0 only sets the starting depth", {"[+VAR]", "PAS=P", "[-VAR]"}, "S:VAR", {}},
        {"an empty rule file", {}, "S:VAR", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto rules = Rules(c.lines);
        const std::string query = c.query;
        const TLines got = query[0] == 'S' ? rules.Section(query.substr(2)) : rules.Block(query.substr(2));
        EXPECT_EQ(got, c.expected);
    }
}

TEST(StructureTexts, LoadFromFileReadsLineEndsAndStopsAtNul)
{
    const std::filesystem::path path = TestTempPath("quillane_rules_test.dll");
    {
        std::ofstream out(path, std::ios::binary);
        out << "[BEGIN]\r\n[+VAR]\r\n  \nPAS=P\n[-VAR]\n" << '\0' << "[+VAR]\nDPR=D\n[-VAR]\n";
    }
    TStructureTexts rules;
    rules.LoadFromFile(path.string());
    std::vector<int> numbers;
    EXPECT_EQ(rules.Section("VAR", &numbers), (TLines{"PAS=P"}));
    EXPECT_EQ(numbers, (std::vector<int>{4})) << "a line keeps its number in the file past blank lines";
    std::filesystem::remove(path);

    rules.LoadFromFile("/nonexistent/CodeScan.dll");
    EXPECT_TRUE(rules.Lines().empty());
    EXPECT_TRUE(rules.Section("VAR").empty());
}

} // namespace
