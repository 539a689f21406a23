// Following include files: which directives are includes, where an include is found, and
// the outline of a unit with its includes in place (delivered rules): levels, the file and
// line of each record, and the entries of includes that are not followed.

#include "ScannerTestSupport.h"
#include "scan/IncludeResolver.h"
#include "scan/IncludeScan.h"
#include "scan/OutlineRecord.h"
#include "scan/PascalDirectives.h"
#include "scan/StructureTexts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A folder of its own for the files of the tests, removed when the process ends.
const fs::path& TreeRoot()
{
    struct TTree {
        fs::path root = fs::temp_directory_path() / ("quillane_includes_" + std::to_string(::getpid()));
        ~TTree()
        {
            std::error_code ec;
            fs::remove_all(root, ec);
        }
    };
    static TTree tree;
    return tree.root;
}

void WriteFile(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

TLines Split(std::string_view text)
{
    TLines lines;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t to = std::min(text.find('\n', from), text.size());
        lines.emplace_back(text.substr(from, to - from));
        from = to + 1;
    }
    return lines;
}

} // namespace

TEST(PascalDirectives, TellsIncludesFromOtherDirectives)
{
    struct Case {
        const char* text; // lines joined by \n
        const char* includes; // the names found, joined by |
        bool mayHold;         // MayHoldInclude's quick answer
    };
    const Case cases[] = {
        {"{$I a.inc}", "a.inc", true},
        {"{$INCLUDE defs}", "defs", true},
        {"{$i 'name with spaces.inc'}", "name with spaces.inc", true},
        {"(*$I star.inc*)", "star.inc", true},
        {"procedure P; {$I body.inc} end; {$I two.inc}", "body.inc|two.inc", true},
        {"{$I+}", "", false},
        {"{$I-}", "", false},
        {"{$IOCHECKS ON}", "", false},
        {"{$I %DATE%}", "", false},
        {"{$INCLUDE %FPCVERSION%}", "", false},
        {"{$IFDEF I}{$ENDIF}", "", false},
        {"{$ I a.inc}", "", false},
        {"{ {$I c.inc} }", "", true},
        {"(* {$I c.inc} *)", "", true},
        {"// {$I c.inc}", "", true},
        {"s := '{$I s.inc}';", "", true},
        {"{ open\n  {$I c.inc}\n}", "", true},
        {"(* open\n{$I c.inc} *) {$I after.inc}", "after.inc", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TLines lines = Split(c.text);
        TDirectiveLexer lexer;
        std::string found;
        for (const auto& line : lines)
            for (const TDirectiveEvent& event : lexer.Line(line))
                if (event.kind == TDirectiveKind::Include)
                    found += (found.empty() ? "" : "|") + std::string(event.argument);
        EXPECT_EQ(found, c.includes);
        EXPECT_EQ(MayHoldInclude(lines), c.mayHold);
    }
}

TEST(IncludeResolver, FindsTheFileInOrder)
{
    // Three folders above the holding folder are searched, the fourth is not.
    const fs::path root = TreeRoot() / "resolve";
    const fs::path proj = root / "l1" / "l2" / "proj";
    const fs::path src = proj / "src";
    for (const char* file : {"src/own.inc", "src/both.inc", "path1/both.inc", "path1/first.inc", "path2/first.inc",
                             "path2/second.inc", "src/noext.inc", "src/direct.inc", "src/Sub/Deep/nested.inc",
                             "src/with space.inc", "src/a/b/near.inc", "other/near.inc", "other/far.inc",
                             "src/Mixed.Inc"})
        WriteFile(proj / file, "x");
    WriteFile(root / "l1" / "side" / "up3.inc", "x");
    WriteFile(root / "up4.inc", "x");
    fs::create_directories(src / "folder.inc");

    TRecordedMessages log;
    TIncludeResolver resolver({(proj / "path1").string(), (proj / "path2").string(), (root / "none").string()}, log);
    EXPECT_EQ(log.lines.size(), 1u) << "one line for the include folder that does not exist";

    const std::pair<const char*, const char*> cases[] = {
        {"own.inc", "src/own.inc"},
        {"both.inc", "src/both.inc"},
        {"first.inc", "path1/first.inc"},
        {"second", "path2/second.inc"},
        {"noext", "src/noext.inc"},
        {"DIRECT.INC", "src/direct.inc"},
        {"mixed.inc", "src/Mixed.Inc"},
        {"sub\\deep\\NESTED.inc", "src/Sub/Deep/nested.inc"},
        {"with space.inc", "src/with space.inc"},
        {"near.inc", "src/a/b/near.inc"},
        {"far.inc", "other/far.inc"},
        {"../other/far.inc", "other/far.inc"},
        {"nested.inc", "src/Sub/Deep/nested.inc"},
        {"up3.inc", "../../side/up3.inc"},
        {"up4.inc", ""},
        {"folder.inc", ""},
        {"missing.inc", ""},
    };
    for (const auto& [name, expected] : cases) {
        SCOPED_TRACE(name);
        const std::string found = resolver.Resolve(name, src.string());
        EXPECT_EQ(found, *expected ? (proj / expected).lexically_normal().string() : std::string());
    }
}

namespace {

// The outline of a unit with its includes followed, by the delivered rules: a line per
// record, indented by level, with the record's file name (an include's) and line.
class IncludeScan : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_rules.LoadFromFile(std::string(QUILLANE_DATA_DIR) + "/CodeScan.dll"); }

    // Writes the files (name, text) into a folder of the case's own; the first is the unit.
    std::string Tree(const std::string& name, const std::vector<std::pair<std::string, std::string>>& files)
    {
        const fs::path folder = TreeRoot() / name;
        for (const auto& [file, text] : files)
            WriteFile(folder / file, text);
        return (folder / files.front().first).string();
    }

    TLines Outline(const std::string& unit, std::size_t limit = kDefaultMaxSourceBytes)
    {
        TCodeScanner scanner(s_rules, log);
        scanner.SetSourceLimit(limit);
        ScanWithIncludes(scanner, unit, "PAS", {}, log);
        results = scanner.Results();
        TLines lines;
        for (int i = 0; HasRecordAt(results, i); i += kRecordLines) {
            const TOutlineRecord r = ReadRecord(results, i);
            std::string line(static_cast<std::size_t>(2 * r.level), ' ');
            line += std::string(r.declaration) + " (" + std::string(r.type) + ", ";
            line += (r.file.empty() ? "" : FileNameOf(r.file) + " ") + r.line + ")";
            if (r.type == "include")
                line += " " + std::string(r.comment);
            lines.push_back(std::move(line));
        }
        return lines;
    }

    static TStructureTexts s_rules;
    TRecordedMessages log;
    TLines results;
};

TStructureTexts IncludeScan::s_rules;

} // namespace

TEST_F(IncludeScan, OutlinesIncludesInPlace)
{
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> files;
        TLines expected; // the outline, exactly
    };
    const Case cases[] = {
        {"types in the interface and a class body",
         {{"u.pas", "unit U;\ninterface\ntype\n{$I types.inc}\n  TBar = class\n    {$I members.inc}\n"
                    "    procedure Own;\n  end;\nimplementation\nend.\n"},
          {"types.inc", "  TFoo = class\n    procedure A;\n  end;\n"},
          {"members.inc", "procedure FromInc;\nfunction Count: Integer;\n"}},
         {"  U (unit, 1)",
          "  interface (section, 2)",
          "    TFoo (class, types.inc 1)",
          "      A (procedure, types.inc 2)",
          "    TBar (class, 5)",
          "      FromInc (procedure, members.inc 1)",
          "      Count: Integer (function, members.inc 2)",
          "      Own (procedure, 7)",
          "  implementation (section, 9)"}},
        {"a routine body in the middle of a line",
         {{"u.pas", "unit U;\ninterface\nimplementation\nprocedure P; {$I body.inc} end;\nprocedure Q;\nbegin\nend;\n"
                    "end.\n"},
          {"body.inc", "var\n  X: Integer;\nbegin\n  X := 1;\n"}},
         {"  U (unit, 1)",
          "  interface (section, 2)",
          "  implementation (section, 3)",
          "    P (procedure, 4)",
          "    Q (procedure, 5)"}},
        {"the same file twice under different defines",
         {{"u.pas", "unit U;\ninterface\n{$define read_interface}\n{$I both.inc}\n{$undef read_interface}\n"
                    "implementation\n{$define read_implementation}\n{$I both.inc}\n{$undef read_implementation}\nend.\n"},
          {"both.inc", "{$ifdef read_interface}\nprocedure Shared;\n{$endif}\n{$ifdef read_implementation}\n"
                       "procedure Shared;\nbegin\nend;\n{$endif}\n"}},
         {"  U (unit, 1)",
          "  interface (section, 2)",
          "    Shared (procedure, both.inc 2)",
          "  implementation (section, 6)",
          "    Shared (procedure, both.inc 5)"}},
        {"an include ending the unit in a branch",
         {{"u.pas", "unit U;\ninterface\nimplementation\n{$I tail.inc}\nprocedure After;\nbegin\nend;\nend.\n"},
          {"tail.inc", "{$ifndef standalone}\nprocedure Inner;\nbegin\nend;\n{$else}\nend.\n{$endif}\n"}},
         {"  U (unit, 1)",
          "  interface (section, 2)",
          "  implementation (section, 3)",
          "    Inner (procedure, tail.inc 2)",
          "    After (procedure, 5)"}},
        {"an include that may be a unit of its own",
         {{"u.pas", "unit U;\ninterface\nimplementation\n{$I part.inc}\nend.\n"},
          {"part.inc", "{$ifdef standalone}\nunit Part;\ninterface\n{$else}\nuses Other;\n{$endif}\n"
                       "{$ifdef standalone}\nimplementation\n{$endif}\nprocedure Shared;\nbegin\nend;\n"}},
         {"  U (unit, 1)", "  interface (section, 2)", "  implementation (section, 3)",
          "    Other (uses, part.inc 5)", "    Shared (procedure, part.inc 10)"}},
        {"includes not followed",
         {{"u.pas", "unit U;\ninterface\ntype\n  TBar = class\n    {$I missing.inc}\n  end;\n{$I u.pas}\n"
                    "{$I a.inc}\nimplementation\nend.\n"},
          {"a.inc", "{$I b.inc}\n"},
          {"b.inc", "{$I a.inc}\n"}},
         {"  U (unit, 1)",
          "  interface (section, 2)",
          "    TBar (class, 4)",
          "      missing.inc (include, 5) not found",
          "    u.pas (include, 7) includes itself",
          "    a.inc (include, b.inc 1) includes itself",
          "  implementation (section, 9)"}},
        {"text that is not UTF-8",
         {{"u.pas", "unit U;\ninterface\n{$I latin.inc}\nimplementation\nend.\n"},
          {"latin.inc", "procedure Caf\xe9;\n"}},
         {"  U (unit, 1)",
          "  interface (section, 2)",
          "    Caf\xc3\xa9 (procedure, latin.inc 1)",
          "  implementation (section, 4)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TLines outline = Outline(Tree(c.name, c.files));
        EXPECT_EQ(outline, c.expected);
    }
}

TEST_F(IncludeScan, GuardsGiveEntriesAndKeepTheRest)
{
    // A chain of includes deeper than the cap, a file that cannot be read (a FIFO, which is
    // never opened) and one that takes the text past the size limit.
    std::vector<std::pair<std::string, std::string>> files = {
        {"u.pas", "unit U;\ninterface\n{$I d1.inc}\n{$I pipe.inc}\n{$I big.inc}\nprocedure Last;\nimplementation\nend.\n"},
        {"big.inc", std::string(4000, ' ') + "\nprocedure Big;\n"}};
    for (int i = 1; i <= TIncludeOptions::kMaxDepth + 2; ++i)
        files.push_back({"d" + std::to_string(i) + ".inc", "{$I d" + std::to_string(i + 1) + ".inc}\n"});
    const std::string unit = Tree("guards", files);
    ASSERT_EQ(::mkfifo((fs::path(unit).parent_path() / "pipe.inc").c_str(), 0600), 0);
    const TLines expected = {"  U (unit, 1)",
                             "  interface (section, 2)",
                             "    d17.inc (include, d16.inc 1) nested too deep",
                             "    pipe.inc (include, 4) cannot be read",
                             "    big.inc (include, 5) over the size limit",
                             "    Last (procedure, 6)",
                             "  implementation (section, 7)"};
    EXPECT_EQ(Outline(unit, 2000), expected);

    // Files that include the next one four times over, 18 deep: a bounded outline, the rest kept.
    std::vector<std::pair<std::string, std::string>> bomb = {
        {"b.pas", "unit B;\ninterface\n{$I f1.inc}\nprocedure Last;\nimplementation\nend.\n"}};
    for (int i = 1; i <= TIncludeOptions::kMaxDepth + 2; ++i)
        bomb.push_back({"f" + std::to_string(i) + ".inc", std::string(4, ' ') + "\n"});
    for (std::size_t i = 1; i < bomb.size(); ++i)
        for (int k = 0; k < 4; ++k)
            bomb[i].second += "{$I f" + std::to_string(i + 1) + ".inc}\n";
    const TLines outline = Outline(Tree("bomb", bomb));
    EXPECT_LE(outline.size(), TIncludeOptions::kMaxNotes + 4);
    EXPECT_EQ(outline.at(outline.size() - 2), "    Last (procedure, 4)");
}

TEST_F(IncludeScan, RecordsNameTheirFile)
{
    const std::string unit = Tree("records", {{"u.pas", "unit U;\ninterface\n{$I 'a b.inc'}\nimplementation\nend.\n"},
                                              {"a b.inc", "\n\nprocedure FromInc;\n"}});
    Outline(unit);
    ASSERT_EQ(RecordCount(results), 4u);
    EXPECT_EQ(results[0], "[LINE]1[ICON]1[LEVEL]1") << "a record of the unit keeps its header";
    EXPECT_EQ(RecordFile(results[8]), (fs::path(unit).parent_path() / "a b.inc").string());
    EXPECT_EQ(RecordLine(results[8]), "3");
    EXPECT_EQ(results[12].find("[FILE]"), std::string::npos);

    // A unit without includes: the same records as a plain scan.
    const std::string plain = Tree("plain", {{"p.pas", "unit P;\ninterface\nprocedure A; {$I+}\nimplementation\nend.\n"}});
    TCodeScanner scanner(s_rules, log);
    scanner.ScanFile(plain, "PAS");
    Outline(plain);
    EXPECT_EQ(results, scanner.Results());
}
