// The delivered rules over hostile sources: text that reads like the engine's
// placeholders, a uses clause that never ends, one line of a megabyte. Each keeps its
// whole outline, and the rules report no fault.

#include "TempPath.h"
#include "config/Debug.h"
#include "scan/CodeScanner.h"
#include "scan/SourceText.h"
#include "scan/StructureTexts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A unit on one line: per group a record with two fields, a constant and a routine in
// the interface, and the routine's body in the implementation; 3 + 6 * groups records.
std::string LongLine(int groups)
{
    std::string interfacePart, implementationPart;
    for (int n = 0; n < groups; ++n) {
        const std::string k = std::to_string(n);
        interfacePart += "type TRec" + k + " = record A, B: Integer; end; const C" + k + " = 'value " + k +
                         "'; procedure P" + k + "(const S: string; var N: Integer); ";
        implementationPart += "procedure P" + k +
                              "(const S: string; var N: Integer); var T: string; begin T := S + '-' + #13#10; "
                              "if N > 0 then N := Length(T) else N := 0; end; ";
    }
    return "{ One line } unit LongLine; interface " + interfacePart + "implementation " + implementationPart +
           "end.\n";
}

std::string Repeat(const std::string& text, int times)
{
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

struct TRecordCheck {
    std::size_t record;
    std::string declaration;
    std::string comment;
};

struct THostileCase {
    const char* name;
    std::string source;
    std::size_t records;
    std::vector<TRecordCheck> checks;
};

TEST(HostileSource, DeliveredRulesKeepTheWholeOutline)
{
    TStructureTexts rules;
    rules.LoadFromFile(std::string(QUILLANE_DATA_DIR) + "/CodeScan.dll");
    ASSERT_FALSE(rules.Lines().empty());
    TDebug log(TestTempPath("hostile_source.TXT"));
    log.SetAutoSave(false);
    TLines shown;
    log.SetMessageSink([&](const std::string& text) { shown.push_back(text); });
    TCodeScanner scanner(rules, log);

    const std::string literal = "'_!0_" + std::string(20000, 'x') + "'";
    const int groups = 4370; // a line of about a megabyte
    const THostileCase cases[] = {
        {"a placeholder written in a comment",
         "unit u;\ninterface\nconst A = 'abc'; { see _!5_ here }\nimplementation\nend.\n",
         4,
         {{2, "A = 'abc'", "see _!5_ here"}}},
        {"a placeholder that names a string's picked-up text",
         "unit u;\ninterface\nconst A = 'secret'; { see _!0_ }\nimplementation\nend.\n",
         4,
         {{2, "A = 'secret'", "see _!0_"}}},
        {"a string literal of 20 KB that starts like a placeholder",
         "unit u;\ninterface\nconst S = " + literal + ";\nimplementation\nend.\n",
         4,
         {{2, "S = " + literal, ""}}},
        {"a uses clause of 200 000 lines without its semicolon",
         "unit u; interface uses a\n" + Repeat("  x, y\n", 200000),
         2,
         {{1, "interface", ""}}},
        {"one line of a megabyte",
         LongLine(groups),
         3 + 6 * groups,
         {{4, "B: Integer", "One line"},
          {5 * groups + 1, "P" + std::to_string(groups - 1) + "(const S: string; var N: Integer)", "One line"},
          {6 * groups + 2, "P" + std::to_string(groups - 1) + "(const S: string; var N: Integer)", "One line"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_THROW(scanner.ScanLines(DecodeSourceLines(c.source), "PAS"));
        const TLines& results = scanner.Results();
        EXPECT_EQ(results.size(), 4 * c.records);
        for (const auto& check : c.checks) {
            ASSERT_LT(4 * check.record + 3, results.size());
            EXPECT_EQ(results[4 * check.record + 2], check.declaration);
            EXPECT_EQ(results[4 * check.record + 3], check.comment);
        }
        EXPECT_TRUE(scanner.RuleFaults().empty()) << scanner.RuleFaults().front().Text();
        EXPECT_TRUE(shown.empty());
    }
}

} // namespace
