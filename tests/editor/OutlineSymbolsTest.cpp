// Outline records as editors get them: the symbol tree of a document, the entries a tags
// file and a workspace search list, the tags file itself and the JSON lines.

#include "editor/JsonRecords.h"
#include "editor/LspDocuments.h"
#include "editor/OutlineSymbols.h"
#include "editor/TagsFile.h"
#include "search/core/FileOutline.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using K = TSymbolKind;

// A small unit: a record with a method, a class with members, and an include's entries
// (whose lines are lines of the included file) inside the class.
const TLines kRecords = {
    "[LINE]1[ICON]1[LEVEL]1", "unit", "Shop", "",
    "[LINE]3[ICON]3[LEVEL]1", "section", "interface", "",
    "[LINE]5[ICON]3[LEVEL]2", "record", "TPos", "",
    "[LINE]6[ICON]2[LEVEL]3", "field", "Row: Integer", "zero-based",
    "[LINE]7[ICON]0[LEVEL]3", "function", "ToText: string", "",
    "[LINE]9[ICON]3[LEVEL]2", "class", "TShop(TObject)", "",
    "[LINE]120[ICON]2[LEVEL]3[FILE]/src/inc/shop[1].inc", "public procedure", "FromInclude", "",
    "[LINE]10[ICON]0[LEVEL]3", "public procedure", "Open", "opens it",
    "[LINE]14[ICON]3[LEVEL]1", "section", "implementation", "",
    "[LINE]16[ICON]0[LEVEL]2", "function", "TPos.ToText: string", "",
    "[LINE]18[ICON]0[LEVEL]3", "procedure", "Nested", "",
};

TEST(OutlineSymbols, DocumentSymbolsNestByLevelAndRunToTheNextEntryOfTheirLevel)
{
    struct Expected {
        const char* name;
        K kind;
        int line;
        int lastLine;
        int parent;
    };
    const Expected expected[] = {
        {"Shop", K::Module, 1, 2, -1},
        {"interface", K::Namespace, 3, 13, -1},
        {"TPos", K::Struct, 5, 8, 1},
        {"Row", K::Field, 6, 6, 2},
        {"ToText", K::Method, 7, 8, 2},
        {"TShop", K::Class, 9, 13, 1},
        {"Open", K::Method, 10, 13, 5},
        {"implementation", K::Namespace, 14, 20, -1},
        {"TPos.ToText", K::Method, 16, 20, 7},
        {"Nested", K::Function, 18, 20, 8},
    };
    const auto symbols = SymbolsOfRecords(kRecords, 20);
    ASSERT_EQ(symbols.size(), std::size(expected)) << "the include's entry is left out";
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(symbols[i].name, expected[i].name);
        EXPECT_EQ(symbols[i].kind, expected[i].kind);
        EXPECT_EQ(symbols[i].line, expected[i].line);
        EXPECT_EQ(symbols[i].lastLine, expected[i].lastLine);
        EXPECT_EQ(symbols[i].parent, expected[i].parent);
    }
    EXPECT_EQ(symbols[3].comment, "zero-based");
}

TEST(OutlineSymbols, TheSelectionIsTheNameOnItsLineInUtf16Units)
{
    struct Case {
        const char* line;
        const char* type;
        const char* declaration;
        int first, second;
    };
    const Case cases[] = {
        {"  TShop = class", "class", "TShop", 2, 7},
        {"    FRow, Row: Integer;", "field", "Row: Integer", 10, 13},
        {"  { Größe } Row: Integer;", "field", "Row: Integer", 12, 15},
        {"  { \xf0\x9f\x98\x80 } Row: Integer;", "field", "Row: Integer", 9, 12},
        {"function TPOS.totext: string;", "function", "TPos.ToText: string", 9, 20},
        {"function TList<T>.Add: Integer;", "function", "TList<T>.Add: Integer", 18, 21},
        {"  nothing of it here", "const", "Missing = 1", 0, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const TLines records = {"[LINE]1[ICON]1[LEVEL]1", c.type, c.declaration, ""};
        const std::string json = DocumentSymbolsJson(SymbolsOfRecords(records, 1), {c.line}, "file:///a.pas", true);
        const std::string selection = "\"selectionRange\":{\"start\":{\"line\":0,\"character\":" +
                                      std::to_string(c.first) + "},\"end\":{\"line\":0,\"character\":" +
                                      std::to_string(c.second) + "}}";
        EXPECT_NE(json.find(selection), std::string::npos) << json;
    }
}

TEST(OutlineSymbols, IndexSymbolsCarryTheirScopeWithoutSectionsOrUses)
{
    TLines records = kRecords;
    records.insert(records.begin() + 8, {"[LINE]4[ICON]2[LEVEL]2", "uses", "Classes", ""});
    const TFileOutline outline = TFileOutline::FromResults(records, {});
    std::vector<std::string> seen;
    VisitIndexSymbols(outline, {}, [&](const TIndexSymbol& s) {
        std::string text = std::string(s.name) + " " + TagKindOf(s.kind).name + " " + std::to_string(s.line);
        if (!s.scope.empty())
            text += std::string(" ") + TagKindOf(s.scopeKind).name + ":" + std::string(s.scope);
        text += " in " + std::string(s.module);
        seen.push_back(text);
    });
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "Shop unit 1 in Shop",
                        "TPos record 5 in Shop",
                        "Row field 6 record:TPos in Shop",
                        "ToText method 7 record:TPos in Shop",
                        "TShop class 9 in Shop",
                        // A stored outline keeps an include's entries as entries of the file.
                        "FromInclude method 120 class:TShop in Shop",
                        "Open method 10 class:TShop in Shop",
                        "ToText method 16 record:TPos in Shop",
                        "Nested function 18 method:TPos.ToText in Shop",
                    }));

    std::vector<std::string> filtered;
    VisitIndexSymbols(outline, [](std::string_view declaration) { return declaration.find("ToText") != declaration.npos; },
                      [&](const TIndexSymbol& s) { filtered.emplace_back(s.scope); });
    EXPECT_EQ(filtered, (std::vector<std::string>{"TPos", "TPos"}));
}

TEST(OutlineSymbols, TagsFilesInBothFormats)
{
    const TFileOutline outline = TFileOutline::FromResults(kRecords, {});
    TTagsCollector ctags(TTagsCollector::TFormat::Ctags, "/work");
    ctags.AddOutline("/src/shop.pas", outline);
    ctags.AddOutline("/src/a.pas", TFileOutline::FromResults({"[LINE]2[ICON]0[LEVEL]1", "procedure", "Open", ""}, {}));
    std::ostringstream out;
    ctags.Write(out);
    std::string tags = out.str();
    tags.erase(0, tags.rfind("!_TAG_PROGRAM_VERSION"));
    tags.erase(0, tags.find('\n') + 1);
    EXPECT_EQ(tags, "FromInclude\t/src/shop.pas\t120;\"\tkind:m\tline:120\tclass:TShop\n"
                    "Nested\t/src/shop.pas\t18;\"\tkind:f\tline:18\tmethod:TPos.ToText\n"
                    "Open\t/src/a.pas\t2;\"\tkind:f\tline:2\n"
                    "Open\t/src/shop.pas\t10;\"\tkind:m\tline:10\tclass:TShop\n"
                    "Row\t/src/shop.pas\t6;\"\tkind:d\tline:6\trecord:TPos\n"
                    "Shop\t/src/shop.pas\t1;\"\tkind:u\tline:1\n"
                    "TPos\t/src/shop.pas\t5;\"\tkind:r\tline:5\n"
                    "TShop\t/src/shop.pas\t9;\"\tkind:c\tline:9\n"
                    "ToText\t/src/shop.pas\t7;\"\tkind:m\tline:7\trecord:TPos\n"
                    "ToText\t/src/shop.pas\t16;\"\tkind:m\tline:16\trecord:TPos\n");
    EXPECT_EQ(out.str().rfind("!_TAG_FILE_FORMAT\t2\t", 0), 0u);

    // Relative paths are written relative to the tags file's folder; the file cannot be
    // read, so each tag's search text is empty and Emacs goes by its line.
    TTagsCollector etags(TTagsCollector::TFormat::Etags, "out");
    etags.AddOutline("src/a.pas", TFileOutline::FromResults({"[LINE]2[ICON]0[LEVEL]1", "procedure", "Open", ""}, {}));
    std::ostringstream etagsOut;
    etags.Write(etagsOut);
    EXPECT_EQ(etagsOut.str(), "\x0c\n../src/a.pas,9\n\x7fOpen\x01" "2,\n");
}

TEST(OutlineSymbols, JsonLinesNameTheFileOfEachRecord)
{
    std::ostringstream out;
    WriteJsonRecords(out, "/src/shop.pas",
                     {"[LINE]9[ICON]3[LEVEL]2", "class", "TShop \"main\"", "tab\there",
                      "[LINE]120[ICON]2[LEVEL]3[FILE]/src/inc/shop[1].inc", "public procedure", "FromInclude", ""});
    EXPECT_EQ(out.str(), "{\"file\":\"/src/shop.pas\",\"line\":9,\"level\":2,\"kind\":\"class\","
                         "\"declaration\":\"TShop \\\"main\\\"\",\"comment\":\"tab\\there\"}\n"
                         "{\"file\":\"/src/inc/shop[1].inc\",\"line\":120,\"level\":3,\"kind\":\"public procedure\","
                         "\"declaration\":\"FromInclude\",\"comment\":\"\"}\n");
    EXPECT_EQ(JsonEntryLine({"f", 0, 0, "", "", "bad \xff byte", true}),
              "{\"file\":\"f\",\"line\":0,\"level\":0,\"kind\":\"\",\"declaration\":\"\","
              "\"comment\":\"bad \xef\xbf\xbd byte\",\"title\":true}\n");
}

} // namespace
