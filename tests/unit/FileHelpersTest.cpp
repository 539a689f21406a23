#include "files/FileHelpers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class FileHelpers : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() /
                 ("quillane_files_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
                  std::to_string(::getpid()));
        fs::remove_all(m_root);
        fs::create_directories(m_root);
    }
    void TearDown() override { fs::remove_all(m_root); }

    std::string Path(const std::string& relative) const { return (m_root / relative).string(); }
    std::string Root() const { return m_root.string(); }

    void Write(const std::string& relative, const std::string& content = "x")
    {
        fs::create_directories(fs::path(Path(relative)).parent_path());
        std::ofstream(Path(relative), std::ios::binary) << content;
    }

    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    TLines Sorted(TLines lines) const
    {
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    fs::path m_root;
};

TEST_F(FileHelpers, FindFilesChoosesByFileTypeKey)
{
    Write("a.pas");
    Write("B.PAS");
    Write("c.dpr");
    Write("readme");
    Write(".hidden.pas");
    Write("deep/er/d.Pas");
    fs::create_directories(Path("folder.pas"));

    struct Case {
        const char* name;
        std::string ext;
        TLines expected;
    };
    const Case cases[] = {
        {"lower-case key finds every spelling", "pas",
         {Path(".hidden.pas"), Path("B.PAS"), Path("a.pas"), Path("deep/er/d.Pas")}},
        {"upper-case key", "DPR", {Path("c.dpr")}},
        {"star takes every file, never a folder", "*",
         {Path(".hidden.pas"), Path("B.PAS"), Path("a.pas"), Path("c.dpr"), Path("deep/er/d.Pas"),
          Path("readme")}},
        {"empty key takes every file", "",
         {Path(".hidden.pas"), Path("B.PAS"), Path("a.pas"), Path("c.dpr"), Path("deep/er/d.Pas"),
          Path("readme")}},
        {"a name without a dot has the whole path as its key", "txt", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TLines files;
        FindFiles(Root(), c.ext, files);
        EXPECT_EQ(Sorted(files), c.expected);
    }
}

TEST_F(FileHelpers, FindFilesTakesAFileWithoutADotByItsPathKey)
{
    // The key of <root>/readme is the upper-cased text after the last "." of the whole path.
    Write("x.y/readme");
    TLines files;
    FindFiles(Path("x.y"), "Y/README", files);
    EXPECT_EQ(files, (TLines{Path("x.y/readme")}));
}

TEST_F(FileHelpers, FindFilesIsDepthFirst)
{
    Write("one.pas");
    Write("two.pas");
    Write("three.pas");
    Write("sub/s1.pas");
    Write("sub/s2.pas");
    Write("sub/inner/i1.pas");
    TLines files;
    FindFiles(Root() + "/", "pas", files);
    ASSERT_EQ(files.size(), 6u);
    // The sub-folder's files (its own sub-folder's included) stand together at its place.
    std::vector<std::size_t> inSub;
    for (std::size_t i = 0; i < files.size(); ++i)
        if (files[i].find("/sub/") != std::string::npos)
            inSub.push_back(i);
    ASSERT_EQ(inSub.size(), 3u);
    EXPECT_EQ(inSub.back() - inSub.front(), 2u) << "sub-folder files are not contiguous";
    for (const auto& f : files)
        EXPECT_EQ(f.find("//"), std::string::npos) << f;
}

TEST_F(FileHelpers, FindFilesAppendsAndNeverRemoves)
{
    Write("a.pas");
    TLines files{"kept"};
    FindFiles(Root(), "pas", files);
    FindFiles(Root(), "pas", files);
    EXPECT_EQ(files, (TLines{"kept", Path("a.pas"), Path("a.pas")}));
}

TEST_F(FileHelpers, FindFilesOfAMissingFolderAddsNothing)
{
    TLines files;
    FindFiles(Path("missing"), "pas", files);
    Write("plain.pas");
    FindFiles(Path("plain.pas"), "pas", files);
    EXPECT_TRUE(files.empty());
}

TEST_F(FileHelpers, FindFilesDoesNotFollowFolderLinks)
{
    Write("sub/a.pas");
    fs::create_directory_symlink(m_root, Path("sub/loop"));
    TLines files;
    FindFiles(Root(), "pas", files);
    EXPECT_EQ(files, (TLines{Path("sub/a.pas")}));
}

TEST_F(FileHelpers, CopyFileDataCopiesEveryByte)
{
    struct Case {
        const char* name;
        std::string content;
    };
    const Case cases[] = {
        {"empty file", ""},
        {"binary with NUL and CR", std::string("a\0b\r\nc", 6)},
        {"large", std::string(300000, 'q')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Write("src", c.content);
        Write("dst", "old content that is longer than some sources");
        CopyFileData(Path("src"), Path("dst"));
        EXPECT_EQ(Read(Path("dst")), c.content);
    }
}

TEST_F(FileHelpers, CopyFileDataFailures)
{
    Write("src", "keep me");
    EXPECT_THROW(CopyFileData(Path("src"), Path("src")), TFileError);
    EXPECT_EQ(Read(Path("src")), "keep me");
    EXPECT_THROW(CopyFileData(Path("src"), Root() + "/./src"), TFileError);
    EXPECT_EQ(Read(Path("src")), "keep me");
    EXPECT_THROW(CopyFileData(Path("missing"), Path("dst")), TFileError);
    EXPECT_FALSE(fs::exists(Path("dst")));
    EXPECT_THROW(CopyFileData(Path("src"), Path("no/such/folder/dst")), TFileError);
}

} // namespace
