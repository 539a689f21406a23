// Finding the unit a uses clause names: the names of a clause, the file names tried, and
// the places looked in, in order.

#include "browser/core/UnitLookup.h"

#include "TempPath.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// A folder of the test's own, removed with what it holds.
struct TFolder {
    std::string path = TestTempPath("unitlookup");
    ~TFolder()
    {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

TEST(UnitLookup, UnitsOfAClause)
{
    struct Case {
        const char* declaration;
        std::vector<std::pair<std::string, std::string>> units; // name, "in" file
    };
    const Case cases[] = {
        {"classes, sysutils, contnrs", {{"classes", ""}, {"sysutils", ""}, {"contnrs", ""}}},
        {"dl, initc Syscall , Baseunix", {{"dl", ""}, {"initc", ""}, {"Syscall", ""}, {"Baseunix", ""}}},
        {"Forms, Unit1 in 'src\\Unit1.pas' {Form1}, laz.virtualtreeview_package",
         {{"Forms", ""}, {"Unit1", "src\\Unit1.pas"}, {"Form1", ""}, {"laz.virtualtreeview_package", ""}}},
        {"SysUtils, sysutils, Classes", {{"SysUtils", ""}, {"Classes", ""}}},
        {"A in 'unclosed", {{"A", "unclosed"}}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.declaration);
        std::vector<std::pair<std::string, std::string>> found;
        for (const TUsedUnit& unit : UsedUnits(c.declaration))
            found.emplace_back(unit.name, unit.file);
        EXPECT_EQ(found, c.units);
    }
}

TEST(UnitLookup, FileNamesTried)
{
    EXPECT_EQ(UnitFileNames("SysUtils"),
              (TLines{"SysUtils.pas", "SysUtils.pp", "SysUtils.p", "sysutils.pas", "sysutils.pp", "sysutils.p"}));
    EXPECT_EQ(UnitFileNames("lib.beta"), (TLines{"lib.beta.pas", "lib.beta.pp", "lib.beta.p"}));
}

TEST(UnitLookup, PlacesInOrder)
{
    const TFolder dir;
    const auto write = [&dir](const std::string& name) {
        const fs::path path = fs::path(dir.path) / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "unit X;\n";
        return path.string();
    };
    const std::string here = dir.path + "/here";
    const std::string near = write("here/near.pas");
    const std::string source = write("src/near.pp");
    const std::string far = write("tree/a/b/far.p");
    write("tree/a/b/c/deep.pas");
    const std::string shallow = write("tree/z/deep.pas");
    const std::string named = write("other/Main Unit.pas");
    fs::create_directories(here);
    const TUnitPlaces places{{here, dir.path + "/src", dir.path + "/gone"}, {dir.path + "/tree"}};
    struct Case {
        const char* name;
        TUsedUnit unit;
        std::string expected; // empty: not found
    };
    const Case cases[] = {
        {"the current folder first", {"Near", {}}, near},
        {"a tree, nearest first", {"deep", {}}, shallow},
        {"a tree, any depth", {"Far", {}}, far},
        {"the file an in names", {"Main", "..\\other\\Main Unit.pas"}, named},
        {"an in that names no file: the name", {"near", "nothing.pas"}, near},
        {"nowhere", {"absent", {}}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto found = FindUnit(c.unit, places);
        EXPECT_EQ(found.value_or(""), c.expected.empty() ? "" : fs::path(c.expected).lexically_normal().string());
    }
    EXPECT_EQ(FindUnit({"near", {}}, {{dir.path + "/src"}, {}}).value_or(""), source);
    EXPECT_FALSE(FindUnit({"far", {}}, {{}, {far}})) << "a tree that is a file";
    EXPECT_EQ(UnitNotFoundText("absent", {{"/a", "/b", "/c"}, {"/t"}}), "Unit absent not found in /a, /b and /c, below /t");
    EXPECT_EQ(UnitNotFoundText("absent", {{"/a"}, {}}), "Unit absent not found in /a");
}

} // namespace
