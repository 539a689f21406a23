#include "TempPath.h"
#include "export/ExportWriters.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

TExportRow Row(const std::string& decl, const std::string& type, const std::string& line, int image = 0,
               const std::string& comment = "")
{
    return {" ", image, {{'D', decl}, {'C', comment}, {'T', type}, {'L', line}}};
}

TExportView View(std::vector<TExportRow> rows, TLines captions = {" ", "Declaration", "Comment", "Type", "Line"})
{
    return {std::move(captions), std::move(rows), {"// Title line"}, "/src/u.pas"};
}

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(TextExport, Tables)
{
    struct TCase {
        const char* name;
        TExportView view;
        TLines tableLines; // the lines after the empty line
    };
    const TCase cases[] = {
        {"an empty level has only the header", View({}), {"Declaration|Comment|Type|Line"}},
        {"a 15-character declaration widens the first slot; short types are padded",
         View({Row("ProcedureFifteen", "fn", "7")}),
         {"Declaration     |Comment|Type|Line", "ProcedureFifteen|       |fn  |7   "}},
        {"dragged columns give the slots their order",
         View({Row("A", "unit", "1", 0, "c")}, {" ", "Comment", "Declaration", "Type", "Line"}),
         {"Comment|Declaration|Type|Line", "c      |A          |unit|1   "}},
        {"a bar in a text is written unchanged", View({Row("a|b", "t", "2")}),
         {"Declaration|Comment|Type|Line", "a|b        |       |t   |2   "}},
        {"widths count characters, not bytes", View({Row("Gr\xC3\xB6\xC3\x9F" "e", "t", "3")}),
         {"Declaration|Comment|Type|Line", "Gr\xC3\xB6\xC3\x9F" "e      |       |t   |3   "}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TLines lines = TextTableLines(c.view);
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[0], "Export:/src/u.pas");
        EXPECT_EQ(lines[1], "// Title line");
        EXPECT_EQ(lines[2], "");
        EXPECT_EQ(TLines(lines.begin() + 3, lines.end()), c.tableLines);
    }
}

TEST(TextExport, TheFileHoldsOnlyTheLastExportAndNeverWritesThroughALink)
{
    const fs::path file = TestTempPath("quillane_TempFile.txt");
    const fs::path elsewhere = TestTempPath("quillane_not_an_export.txt");
    WriteLinesCrLf(file.string(), {"first", "export"});
    WriteLinesCrLf(file.string(), {"second"});
    EXPECT_EQ(ReadAll(file), "second\r\n");
    fs::remove(file);
    EXPECT_THROW(WriteLinesCrLf("/nonexistent/dir/TempFile.txt", {"x"}), TExportError);

    // A link in the export's place is replaced; the file it leads to keeps its text.
    std::ofstream(elsewhere) << "keep me";
    fs::create_symlink(elsewhere, file);
    WriteLinesCrLf(file.string(), {"third"});
    EXPECT_EQ(ReadAll(elsewhere), "keep me");
    EXPECT_FALSE(fs::is_symlink(file));
    EXPECT_EQ(ReadAll(file), "third\r\n");
    fs::remove(file);
    fs::remove(elsewhere);
}

TEST(HtmlExport, CellsLinksAndEscaping)
{
    TExportView view = View({{"..", 3, {{'D', "..< TList<T> >"}, {'L', "..< 4 >"}}},
                             Row("TList<TItem>", "class", "42", 3),
                             Row("A & B", "const", "x", 0, "\"quoted\"")});
    view.title = {"{ <b>not bold</b> }"};
    const TLines page = HtmlPageLines(view, "Index.html");
    auto has = [&](const std::string& line) { return std::find(page.begin(), page.end(), line) != page.end(); };
    EXPECT_EQ(TLines(page.begin(), page.begin() + 5),
              (TLines{"<!DOCTYPE html>", "<html>", "<head>", "<meta charset=\"utf-8\">", "<title>Export Table</title>"}))
        << "the page says it is UTF-8";
    EXPECT_EQ(page.back(), "</html>");
    EXPECT_TRUE(has("{ &lt;b&gt;not bold&lt;/b&gt; }"));
    EXPECT_TRUE(has("<td><strong>Declaration</strong></td>"));
    EXPECT_TRUE(has("<td><a href=\"Index.html\">..&lt; TList&lt;T&gt; &gt;</a></td>")) << "parent row links up";
    EXPECT_TRUE(has("<td><a href=\"42.html\">TList&lt;TItem&gt;</a></td>")) << "container rows link down";
    EXPECT_TRUE(has("<td><a href=\"42.html\">class</a></td>"));
    EXPECT_TRUE(has("<td>A &amp; B</td>"));
    EXPECT_TRUE(has("<td>&quot;quoted&quot;</td>"));
    EXPECT_EQ(std::count(page.begin(), page.end(), "<tr bgcolor=\"#ffffff\">"), 3);
    EXPECT_EQ(std::count_if(page.begin(), page.end(), [](const std::string& l) { return l.rfind("<td>", 0) == 0; }),
              4 + 3 * 4) << "one cell per column but the icon column";

    const TLines first = HtmlPageLines(view, "");
    EXPECT_NE(std::find(first.begin(), first.end(), "<td>..&lt; TList&lt;T&gt; &gt;</td>"), first.end())
        << "on the first page the parent row has plain cells";
}

TEST(HtmlExport, LinksToTheFirstPageKeepItsName)
{
    struct TCase {
        const char* page;
        const char* href;
    };
    const TCase cases[] = {
        {"Index.html", "Index.html"},
        {"My Outline.html", "My%20Outline.html"},
        {"C#.html", "C%23.html"},
        {"why?.html", "why%3F.html"},
        {"100%.html", "100%25.html"},
        {"Tom&Jerry's.html", "Tom%26Jerry%27s.html"},
        {"Gr\xC3\xB6\xC3\x9F" "e.html", "Gr%C3%B6%C3%9Fe.html"},
    };
    const TExportView view = View({{"..", 3, {{'D', "..< TFoo >"}, {'L', "..< 4 >"}}}});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        const TLines page = HtmlPageLines(view, c.page);
        const std::string cell = std::string("<td><a href=\"") + c.href + "\">..&lt; TFoo &gt;</a></td>";
        EXPECT_TRUE(std::find(page.begin(), page.end(), cell) != page.end()) << "no line " << cell;
    }
}

// An outline of levels keyed by the container's line; level 0 is the top.
class TFakeNavigator : public TExportNavigator {
public:
    std::map<int, std::vector<TExportRow>> levels;
    std::vector<int> path{0};
    int steps = 0;

    TExportView CurrentView() const override
    {
        std::vector<TExportRow> rows;
        if (path.back() != 0)
            rows.push_back({"..", 3, {{'D', "..< parent >"}, {'L', std::to_string(path.back())}}});
        for (const auto& r : levels.at(path.back()))
            rows.push_back(r);
        return View(rows);
    }
    bool StepInto(const TExportRow& row) override
    {
        const int line = IntOrZero(row.Field('L'));
        if (!levels.count(line))
            return false;
        path.push_back(line);
        ++steps;
        return true;
    }
    void GoUp() override { path.pop_back(); }
};

TEST(HtmlExport, WalksEveryLevelOnceAndComesBack)
{
    const fs::path dir = fs::temp_directory_path() / ("quillane_html_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    TFakeNavigator nav;
    nav.levels[0] = {Row("TFoo", "class", "10", 3), Row("Run", "procedure", "30"), Row("TBar", "class", "20", 3)};
    nav.levels[10] = {Row("Field", "field", "11"), Row("TInner", "record", "12", 3),
                      Row("Same line", "class", "10", 3)};
    nav.levels[12] = {Row("X", "field", "13")};
    nav.levels[20] = {};

    // A page of an earlier export, and a link named like a page that leads out of the folder.
    const fs::path outside = fs::temp_directory_path() / ("quillane_outside_" + std::to_string(::getpid()));
    std::ofstream(outside) << "outside";
    std::ofstream(dir / "20.html") << "mine";
    fs::create_symlink(outside, dir / "12.html");
    const auto folderNames = [&dir] {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.insert(entry.path().filename().string());
        return names;
    };
    {
        // Made but not published: the folder is as it was, the link's file untouched.
        TExportPages pages(dir.string() + "/");
        ExportLevel(nav, "", "Index.html", pages);
        EXPECT_EQ(pages.Count(), 4u);
        EXPECT_EQ(pages.Existing(), (TLines{"12.html", "20.html"}));
        nav.path = {0};
        nav.steps = 0;
    }
    EXPECT_EQ(folderNames(), (std::set<std::string>{"12.html", "20.html"}));
    EXPECT_EQ(ReadAll(dir / "20.html"), "mine");

    TExportPages pages(dir.string() + "/");
    ExportLevel(nav, "", "Index.html", pages);
    pages.Publish();
    EXPECT_EQ(folderNames(), (std::set<std::string>{"Index.html", "10.html", "12.html", "20.html"}));
    EXPECT_EQ(ReadAll(outside), "outside") << "the link was replaced, not written through";
    EXPECT_FALSE(fs::is_symlink(dir / "12.html"));
    fs::remove(outside);
    EXPECT_EQ(nav.path, std::vector<int>{0}) << "the walk ends on the level it started from";
    EXPECT_EQ(nav.steps, 3);
    const std::string index = ReadAll(dir / "Index.html");
    const std::string foo = ReadAll(dir / "10.html");
    const std::string inner = ReadAll(dir / "12.html");
    EXPECT_NE(index.find("<td><a href=\"10.html\">TFoo</a></td>\r\n"), std::string::npos);
    EXPECT_NE(index.find("<td><a href=\"20.html\">TBar</a></td>"), std::string::npos);
    EXPECT_NE(foo.find("<td><a href=\"Index.html\">..&lt; parent &gt;</a></td>"), std::string::npos);
    EXPECT_NE(foo.find("<td><a href=\"12.html\">TInner</a></td>"), std::string::npos);
    EXPECT_NE(inner.find("<td><a href=\"10.html\">..&lt; parent &gt;</a></td>"), std::string::npos);
    fs::remove_all(dir);
}

} // namespace
