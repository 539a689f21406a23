#include "ScannerTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct TScanCase {
    const char* name;
    TLines rules;
    TLines source;
    TLines expected; // the Results lines
    TLines shown = {};
    TLines faults = {}; // the rule faults' texts; the rule block starts on line 6
    int indicator = 0;
    std::string error = {}; // what the scan fails with; the records are not compared then
};

// One record's four lines.
TLines Rec(const std::string& header, const std::string& type, const std::string& decl,
           const std::string& comment = "")
{
    return {header, type, decl, comment};
}

TLines Join(std::initializer_list<TLines> records)
{
    TLines all;
    for (const auto& r : records)
        all.insert(all.end(), r.begin(), r.end());
    return all;
}

// "begin", 30 000 lines "x", "y; z" and "w".
TLines ManyLines()
{
    TLines lines = {"begin"};
    lines.insert(lines.end(), 30000, "x");
    lines.insert(lines.end(), {"y; z", "w"});
    return lines;
}

std::string ManyLinesJoined()
{
    std::string text;
    for (int i = 0; i < 30000; ++i)
        text += "x ";
    return text + "y";
}

template <std::size_t N>
void ExpectScans(const TScanCase (&cases)[N])
{
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TScannerHarness h(c.rules, c.indicator);
        std::string error;
        try {
            h.Scan(c.source);
        } catch (const TScanError& e) {
            error = e.what();
        }
        EXPECT_EQ(error, c.error);
        if (c.error.empty()) {
            EXPECT_EQ(h.scanner->Results(), c.expected);
        }
        EXPECT_EQ(h.messages.shown, c.shown);
        TLines faults;
        for (const auto& fault : h.scanner->RuleFaults())
            faults.push_back(fault.Text());
        EXPECT_EQ(faults, c.faults);
    }
}

TEST(CodeScanner, RuleLanguage)
{
    const TScanCase cases[] = {
        {"a unit name becomes a record and the buffer keeps the text after the match",
         {"[+CYC0]", ".", "S0=\\bunit\\s+(\\w+)\\s*;", "D=$1", "I=1", "?", "B=#2", ".", "[-CYC0]"},
         {"unit Foo; interface"},
         Rec("[LINE]1[ICON]1[LEVEL]1", "", "Foo")},
        {"D substitutes only, T expands macros first",
         {"[+CYC0]", "3=three", ".", "S0=(\\w+)=(\\d+)", "D=#3 $2", "T=#3 $2", "?", "B=", ".", "[-CYC0]"},
         {"x=5"},
         Rec("[LINE]1[ICON][LEVEL]1", "three 5", "#3 5")},
        {"a failed IF test is the last search D substitutes from",
         {"[+CYC0]", ".", "S0=(\\w+)=(\\d+)", "R=(\\d)", "[IF#2THEN] S9", "D=[$1]", "?", "B=", ".", "[-CYC0]"},
         {"x=5;"},
         Rec("[LINE]1[ICON][LEVEL]1", "", "[]")},
        {"IF jumps to the named rule and runs the commands below it",
         {"[+CYC0]", ".", "S0=(\\w+)=(\\d+)", "R=(\\d)", "[IF#1THEN] S5", "D=never", "?", ".",
          "S5=x(=)", "D=$1", "T=#1|#2", "?", "B=", ".", "[-CYC0]"},
         {"x=5"},
         Rec("[LINE]1[ICON][LEVEL]1", "x=|5", "=")},
        {"IF naming a rule the set lacks goes on with the next line",
         {"[+CYC0]", ".", "S0=x", "R=x", "[IF#1THEN] S9", "D=after", "?", "B=", ".", "[-CYC0]"},
         {"x"},
         Rec("[LINE]1[ICON][LEVEL]1", "", "after")},
        {"a re-match that never matches restores the buffer and skips the lines it read",
         {"[+CYC0]", ".", "S0=begin", "S=zzz", "T=#2|#0|#1", "?", "B=", ".", "[-CYC0]"},
         {"begin", "a", "b"},
         Rec("[LINE]2[ICON][LEVEL]1", "begin||", "")},
        {"a re-match that gives up on the last line stays within the source",
         {"[+CYC0]", ".", "S0=a", "S=zzz", "<=w", "D=x", "?", "B=", ".", "[-CYC0]"},
         {"x", "a"},
         Rec("[LINE]2[ICON][LEVEL]1", "", "x")},
        {"a re-match over many lines stops at the first line that completes it",
         {"[+CYC0]", ".", "S0=^begin", "S=^begin([^;]*);", "D=$1", "?", "B=#2", ".", "S1=(\\w+)", "D=$1", "?",
          "B=#2", ".", "[-CYC0]"},
         ManyLines(),
         Join({Rec("[LINE]30002[ICON][LEVEL]1", "", ManyLinesJoined()), Rec("[LINE]30002[ICON][LEVEL]1", "", "z"),
               Rec("[LINE]30003[ICON][LEVEL]1", "", "w")})},
        {"a re-match joins lines until it matches",
         {"[+CYC0]", ".", "S0=begin", "S=begin(.*?)end", "T=$1", "?", "B=#2", ".", "[-CYC0]"},
         {"begin", "a", "end tail"},
         Rec("[LINE]3[ICON][LEVEL]1", "a", "")},
        {"picked-up strings are hidden from later rules and restored in the results",
         {"[+CYC0]", ".", "S0='[^']*'", "M=!", ".", "S1=(\\w+)\\s*=\\s*(\\S+);", "D=$1 := $2", "?", "B=#2", ".",
          "[-CYC0]"},
         {"s = 'a;b';"},
         Rec("[LINE]1[ICON][LEVEL]1", "", "s := 'a;b'")},
        {"macros expand one after another: #12 is #1 then 2",
         {"[+CYC0]", ".", "S0=#\\d", "5=five", "T=#1 #12", "?", "B=", ".", "[-CYC0]"},
         {"#5 here"},
         Rec("[LINE]1[ICON][LEVEL]1", "five five2", "")},
        {"a replacement can make a tag with the text before it: ##1 with #1 = 5 is #5",
         {"[+CYC0]", ".", "S0=\\d", "5=five", "T=##1 #1#", "?", "B=", ".", "[-CYC0]"},
         {"5"},
         Rec("[LINE]1[ICON][LEVEL]1", "five 5#", "")},
        {"L keeps its line for later records, until the next L",
         {"[+CYC0]", ".", "S0=a", "L", "?", "B=", ".", "S1=c", "?", "B=", ".", "[-CYC0]"},
         {"a", "b", "c"},
         Join({Rec("[LINE]1[ICON][LEVEL]1", "", ""), Rec("[LINE]1[ICON][LEVEL]1", "", "")})},
        {"LEVEL is the depth of the set stack; POP returns to the set below",
         {"[+CYC0]", ".", "S0=\\bclass\\b", "B=#2", "[PUSH] INCLASS", "S1=(\\w+)", "D=$1", "?", "B=#2", ".",
          "[-CYC0]", "[+INCLASS]", "I=3", ".", "S0=\\bend\\b", "B=#2", "?", "[POP]", "S1=(\\w+)", "D=$1", "?",
          "B=#2", ".", "[-INCLASS]"},
         {"class", "x", "end", "y"},
         Join({Rec("[LINE]2[ICON]3[LEVEL]2", "", "x"), Rec("[LINE]3[ICON]3[LEVEL]2", "", "x"),
               Rec("[LINE]4[ICON]3[LEVEL]1", "", "y")})},
        {"only the last cycle's records survive; written-back lines feed it; NEXTCYC leaves lines unread",
         {"[+CYC0]", ".", "S0=stop", "[NEXTCYC]", "?", "B=", ".", "S1=(\\w+)", "<=[#1]", "?", "B=#2", ".",
          "[-CYC0]", "[+CYC1]", ".", "S0=\\[(\\w+)\\]", "D=$1", "?", "B=#2", ".", "S1=(\\w+)", "D=raw $1", "?",
          "B=#2", ".", "[-CYC1]"},
         {"a", "b", "stop", "c"},
         Join({Rec("[LINE]1[ICON][LEVEL]1", "", "a"), Rec("[LINE]2[ICON][LEVEL]1", "", "b"),
               Rec("[LINE]4[ICON][LEVEL]1", "", "raw c")})},
        {"the first missing rule number ends the attempts: S3 after S0, S1 is never tried",
         {"[+CYC0]", ".", "S0=x", ".", "S1=y", ".", "S3=z", "D=z", "?", "B=", ".", "[-CYC0]"},
         {"z"},
         {}},
        {"rule names ignore case, and a lower-case command letter stops",
         {"[+CYC0]", ".", "s0=(z)", "D=$1", "?", "B=", "d=never", "?", "[-CYC0]"},
         {"z"},
         Rec("[LINE]1[ICON][LEVEL]1", "", "z")},
        {"SWITCH replaces the top set and runs its prologue; LEVEL stays",
         {"[+CYC0]", ".", "S0=a", "[SWITCH] OTHER", "[-CYC0]", "[+OTHER]", "I=9", ".", "S0=(b)", "D=$1", "?",
          "B=#2", ".", "[-OTHER]"},
         {"a", "b"},
         Rec("[LINE]2[ICON]9[LEVEL]1", "", "b")},
        {"remarks and unknown command words go on with the next line",
         {"[+CYC0]", ".", "S0=x", "; a remark", "[NOSUCHWORD] arg", "D=ok", "?", "B=", ".", "[-CYC0]"},
         {"x"},
         Rec("[LINE]1[ICON][LEVEL]1", "", "ok")},
        {"an empty separator joins lines directly",
         {"[+CYC0]", "[LINESEPARATER]", ".", "S0=abcd", "D=$&", "?", "B=", ".", "[-CYC0]"},
         {"ab", "cd"},
         Rec("[LINE]2[ICON][LEVEL]1", "", "abcd")},
        {"MODIFIER switches letter case on; MSG shows expanded text",
         {"[+CYC0]", "[MODIFIER] -i", ".", "S0=ABC", "D=upper", "?", "B=", ".", "S1=abc", "[MSG] saw #1",
          "B=", ".", "[-CYC0]"},
         {"abc"},
         {},
         {"saw abc"}},
        {"an empty pattern is an error of the attempt and the scan goes on",
         {"[+CYC0]", ".", "S0=", "[-CYC0]"},
         {"abc", "def"},
         {},
         {},
         {"There may be an exception at 0: empty regular expression (rule file line 8, set CYC0: S0=)"}},
        {"work done before a failing command stays done",
         {"[+CYC0]", ".", "S0=a", "D=$&", "?", "B=#2", "[MODIFIER] q", "[-CYC0]"},
         {"aab"},
         Join({Rec("[LINE]1[ICON][LEVEL]1", "", "a"), Rec("[LINE]1[ICON][LEVEL]1", "", "a")}),
         {},
         {"There may be an exception at 0: unknown modifier 'q' (rule file line 12, set CYC0: [MODIFIER] q)"}},
        {"a rule whose commands fail before changing anything is reported once",
         {"[+CYC0]", ".", "S0=a", "D=$&", "?", "[MODIFIER] q", "[-CYC0]"},
         {"a", "a"},
         Join({Rec("[LINE]1[ICON][LEVEL]1", "", "a"), Rec("[LINE]1[ICON][LEVEL]1", "", "a"),
               Rec("[LINE]2[ICON][LEVEL]1", "", "a"), Rec("[LINE]2[ICON][LEVEL]1", "", "a")}),
         {},
         {"There may be an exception at 0: unknown modifier 'q' (rule file line 11, set CYC0: [MODIFIER] q)"}},
        {"failing rules one after another are each tried",
         {"[+CYC0]", ".", "S0=q", ".", "S1=(", "S2=[", "S3=x", "D=$&", "?", "B=", ".", "[-CYC0]"},
         {"x"},
         Rec("[LINE]1[ICON][LEVEL]1", "", "x"),
         {},
         {"There may be an exception at 0: missing closing parenthesis at offset 1 of the pattern (rule file "
          "line 10, set CYC0: S1=()",
          "There may be an exception at 0: missing terminating ] for character class at offset 1 of the pattern "
          "(rule file line 11, set CYC0: S2=[)"}},
        {"rules that never consume the buffer are cut off, reported once",
         {"[+CYC0]", ".", "S0=a", ".", "[-CYC0]"},
         {"a", "b"},
         {},
         {},
         {"There may be an exception at 0: the rules make no progress: 10000 attempts without consuming the "
          "buffer (set CYC0)"}},
        {"a POP that empties the stack leaves the cycle only reading lines",
         {"[+CYC0]", ".", "S0=a", "[POP]", "S1=b", "D=b", "?", ".", "[-CYC0]"},
         {"a", "b"},
         {}},
        {"a record from a cycle's prologue is lost",
         {"[+CYC0]", "D=prologue", "?", ".", "S0=x", "?", "B=", ".", "[-CYC0]"},
         {"x"},
         Rec("[LINE]1[ICON][LEVEL]1", "", "prologue")},
        {"a placeholder that holds itself after CLRMACRO is cut off",
         {"[+CYC0]", ".", "S0='[^']*'", "M=!", ".", "S1=\\bclear\\b", "[CLRMACRO]", "B=#0#2", ".", "S2=_!\\d+_",
          "M=@", ".", "S3=(_@\\d+_)", "D=$1", "?", "B=#2", ".", "[-CYC0]"},
         {"'a' clear"},
         Rec("[LINE]1[ICON][LEVEL]1", "", "_!0_")},
        {"a placeholder whose picked-up text was cleared fails the scan",
         {"[+CYC0]", ".", "S0='[^']*'", "M=!", "T=#1", "[CLRMACRO]", "?", "B=#2", ".", "[-CYC0]"},
         {"'a'"},
         {},
         {},
         {},
         0,
         "placeholder _!0_ has no picked-up text"},
        {"the pattern of the last rule tried is the one an IF of the next cycle's prologue uses",
         {"[+CYC0]", ".", "S0=^q", "<=#1", "B=#2", ".", "S1=^y", ".", "[-CYC0]", "[+CYC1]", "3=y",
          "[IF#3THEN] S5", ".", "S0=(\\w+)", "D=$1", "T=#4", "?", "B=#2", ".", "S5=^", "4=jumped", ".",
          "[-CYC1]"},
         {"q", "z"},
         Rec("[LINE]1[ICON][LEVEL]1", "jumped", "q")},
    };
    ExpectScans(cases);
}

TEST(CodeScanner, RulesThatRunAwayAreCutOffWithAFault)
{
    const std::string words = [] {
        std::string text;
        for (int i = 0; i < 1100; ++i)
            text += "w ";
        return text;
    }();
    const TScanCase cases[] = {
        // The set in force is already the one entered when its first lines fail: the
        // rest of the line finds no rule there.
        {"a set whose first lines enter the set itself",
         {"[+CYC0]", ".", "S0=(\\w+)", "D=$1", "?", "B=#2", "[PUSH] LOOP", "[-CYC0]", "[+LOOP]", "[PUSH] LOOP",
          "[-LOOP]"},
         {"a b"},
         Rec("[LINE]1[ICON][LEVEL]1", "", "a"),
         {},
         {"There may be an exception at 0: sets entered while entering a set, more than 64 deep: set prologues "
          "enter sets without end (rule file line 15, set LOOP: [PUSH] LOOP)"}},
        {"sets that enter each other",
         {"[+CYC0]", ".", "S0=(\\w+)", "B=#2", "[PUSH] A", "[-CYC0]", "[+A]", "[PUSH] B", "[-A]", "[+B]",
          "[PUSH] A", "[-B]"},
         {"a"},
         {},
         {},
         {"There may be an exception at 0: sets entered while entering a set, more than 64 deep: set prologues "
          "enter sets without end (rule file line 13, set A: [PUSH] B)"}},
        {"a set stack that only grows",
         {"[+CYC0]", ".", "S0=(\\w+)", "B=#2", "[PUSH] CYC0", "[-CYC0]"},
         {words},
         {},
         {},
         {"There may be an exception at 0: more than 1000 rule sets on the stack: [PUSH] CYC0 (rule file line 10, "
          "set CYC0: [PUSH] CYC0)"}},
        // The records of the attempts after the first that made no progress are dropped.
        {"an IF jump back to the running rule",
         {"[+CYC0]", ".", "S0=x", "D=x", "?", "R=x", "[IF#1THEN] S0", "[-CYC0]"},
         {"x"},
         Rec("[LINE]1[ICON][LEVEL]1", "", "x"),
         {},
         {"There may be an exception at 0: the rules make no progress: 10000 attempts without consuming the "
          "buffer (set CYC0)"}},
        {"a macro that doubles itself",
         {"[+CYC0]", "3=x", ".", "S0=x", "3=#3#3", "R=x", "[IF#1THEN] S0", "[-CYC0]"},
         {"x"},
         {},
         {},
         {"There may be an exception at 0: a macro expansion grows past 32 MB (rule file line 10, set CYC0: "
          "3=#3#3)"}},
        // A macro of a megabyte expanded on every attempt: each stays under the caps, all of
        // them together would take seconds.
        {"a large macro expanded again and again",
         {"[+CYC0]", "3=x", "3=#3#3", "3=#3#3", "3=#3#3", "3=#3#3", "3=#3#3", "3=#3#3", "3=#3#3", "3=#3#3",
          "3=#3#3", "3=#3#3", "3=#3#3", "3=#3#3", "3=#3#3", "3=#3#3", "3=#3#3", "3=#3#3", "3=#3#3", "3=#3#3",
          "3=#3#3", "3=#3#3", ".", "S0=x", "4=#3", "R=x", "[IF#1THEN] S0", "[-CYC0]"},
         {"x"},
         {},
         {},
         {"There may be an exception at 0: macro expansions grow past 64 MB, four times the source and 64 MB "
          "(rule file line 30, set CYC0: 4=#3)"}},
        {"a pattern that backtracks past the matcher's limit",
         {"[+CYC0]", ".", "S0=(a|aa)+b", "[-CYC0]"},
         {std::string(60, 'a') + "cb"},
         {},
         {},
         {"There may be an exception at 0: match limit exceeded (rule file line 8, set CYC0: S0=(a|aa)+b)"}},
    };
    ExpectScans(cases);
}

TEST(CodeScanner, CommentIndicatorPicksTheCommentLine)
{
    // The first cycle gathers the comments (#1 is the whole match) and writes the code
    // back; the second emits, so a record can take the comment of the line below.
    const TLines rules = {"[+CYC0]", ".", "S0=//.*", "*=#1", "B=#0", ".", "S1=\\S.*", "<=#1", "B=", ".",
                          "[-CYC0]", "[+CYC1]", ".", "S0=(\\w+);", "D=$1", "?", "B=#2", ".", "[-CYC1]"};
    const TLines source = {"// c0", "a; // c1", "// c2", "b;"};
    const struct {
        int indicator;
        const char* first;
        const char* second;
    } cases[] = {{0, "// c1", ""}, {-1, "// c0", "// c2"}, {1, "// c2", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.indicator);
        TScannerHarness h(rules, c.indicator);
        const TLines& results = h.Scan(source);
        ASSERT_EQ(results.size(), 8u);
        EXPECT_EQ(results[0], "[LINE]2[ICON][LEVEL]1");
        EXPECT_EQ(results[3], c.first);
        EXPECT_EQ(results[4], "[LINE]4[ICON][LEVEL]1");
        EXPECT_EQ(results[7], c.second);
    }
}

TEST(CodeScanner, CommentBlockAtTheHeadAndAtALine)
{
    TScannerHarness h({"[+CYC0]", ".", "S0=//(.*)", "*=#1", "B=#0", ".", "S1=\\S.*", "<=#1", "B=", ".",
                       "[-CYC0]"});
    h.Scan({"// head 1", "// head 2", "unit X;", "// tail"});
    EXPECT_EQ(h.scanner->CommentBlockAt(0), (TLines{"// head 1", "// head 2"}));
    EXPECT_EQ(h.scanner->CommentBlockAt(1), (TLines{"// head 1", "// head 2"}));
    EXPECT_EQ(h.scanner->CommentBlockAt(3), (TLines{"// tail"}));
    EXPECT_TRUE(h.scanner->CommentBlockAt(2).empty());
    EXPECT_TRUE(h.scanner->CommentBlockAt(9).empty());

    h.Scan({"unit X; // not a head"});
    EXPECT_TRUE(h.scanner->CommentBlockAt(0).empty()) << "the first line kept its code";
}

TEST(CodeScanner, SavedLineAndRecordFieldsSurviveAScan)
{
    TScannerHarness h({"[+CYC0]", ".", "S0=mark", "L", "T=kept", "B=", ".", "S1=(\\w+)", "D=$1", "?", "B=#2",
                       ".", "[-CYC0]"});
    h.Scan({"x", "x", "mark", "y"});
    ASSERT_EQ(h.scanner->Results().size(), 12u);
    EXPECT_EQ(h.scanner->Results()[8], "[LINE]3[ICON][LEVEL]1");
    const TLines& second = h.Scan({"z"});
    ASSERT_EQ(second.size(), 4u);
    EXPECT_EQ(second[0], "[LINE]3[ICON][LEVEL]1") << "the kept line is not reset by a scan";
    EXPECT_EQ(second[1], "kept");
}

TEST(CodeScanner, TraceModeShowsTheTraceAndMinimizes)
{
    TScannerHarness h({"[+CYC0]", "[SCANDEBUG] yes", ".", "S0=a", "D=$&", "?", "B=#2", ".", "[-CYC0]"});
    int minimized = 0;
    h.scanner->SetMinimizeCallback([&] { ++minimized; });
    h.Scan({"a"});
    std::string all;
    for (const auto& text : h.messages.shown)
        all += text;
    EXPECT_NE(all.find("[Match <CYC0,S0>] S0=a"), std::string::npos) << all;
    EXPECT_NE(all.find("\n\r[Buf:]|a|\n\r"), std::string::npos) << all;
    EXPECT_NE(all.find("\n\r[Declaration<-]a"), std::string::npos) << all;
    EXPECT_NE(all.find("\n\r[Do OutPut!]"), std::string::npos) << all;
    EXPECT_EQ(minimized, static_cast<int>(h.messages.shown.size()));
}

TEST(CodeScanner, FilesTypesAndFailures)
{
    TScannerHarness h({"[+CYC0]", ".", "S0=(\\w+)", "D=$1", "?", "B=#2", ".", "[-CYC0]"});
    EXPECT_TRUE(h.scanner->IsKnownType("pas"));
    EXPECT_FALSE(h.scanner->IsKnownType("DPR"));

    h.scanner->ScanFile("/nonexistent/unit.pas", "PAS");
    EXPECT_TRUE(h.scanner->Results().empty());
    EXPECT_TRUE(h.scanner->Codes().empty());
    EXPECT_EQ(h.messages.lines, (TLines{"error:Codes.LoadFromFile;/nonexistent/unit.pas"}));

    EXPECT_THROW(h.Scan({}), TScanError) << "a source without lines fails the scan";

    h.scanner->ScanLines({"word"}, "DPR");
    EXPECT_TRUE(h.scanner->Results().empty()) << "an unknown key chooses no block";
    EXPECT_EQ(h.scanner->Codes(), (TLines{"word"}));
}

TEST(CodeScanner, RecordsAlwaysHaveFourLinesNearTheEnds)
{
    TScannerHarness h({"[+CYC0]", ".", "S0=(\\w+)", "D=$1", "?", "B=#2", ".", "[-CYC0]"}, -5);
    const TLines& results = h.Scan({"a", "b"});
    ASSERT_EQ(results.size(), 8u);
    EXPECT_EQ(results[3], "");
    EXPECT_EQ(results[7], "");
}

} // namespace
