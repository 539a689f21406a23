#include "config/AppContext.h"
#include "config/AppPaths.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using TPlace = TAppPaths::TWritePlace;

struct TPlaceCase {
    const char* name;
    TPlaceFacts facts;
    // dataFolder, settingsFile, seedSettingsFile, logFile, exportFolder, cacheFolder
    std::array<const char*, 6> expected;
    TPlace writePlace;
};

TPlaceFacts Facts(const char* program, bool beside, bool share, bool writable, const char* home,
                  const char* config = "", const char* state = "", const char* cache = "")
{
    return {program, beside, share, writable, home, config, state, cache};
}

TEST(AppPaths, AppFolderIsTheProgramsFolder)
{
    const std::string folder = AppFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(AppFileName(), "quillane_core_tests");
}

TEST(AppPaths, PlacesFollowTheLayoutAndTheUsersFolders)
{
    const TPlaceCase cases[] = {
        {"a writable program folder keeps everything beside the program",
         Facts("/opt/q/quillane", true, false, true, "/home/u", "/home/u/cfg"),
         {"/opt/q/", "/opt/q/quillane.ini", "", "/opt/q/quillane.TXT", "/opt/q/", "/home/u/.cache/quillane/"},
         TPlace::BesideProgram},
        {"a read-only program folder writes to the XDG folders, seeded from the delivered settings",
         Facts("/opt/q/quillane", true, false, false, "/home/u", "/x/cfg", "/x/state", "/x/cache"),
         {"/opt/q/", "/x/cfg/quillane/quillane.ini", "/opt/q/quillane.ini",
          "/x/state/quillane/quillane.TXT", "/x/cache/quillane/", "/x/cache/quillane/"},
         TPlace::UserFolders},
        {"installed: the data in ../share/quillane, unset variables fall back to the home folder",
         Facts("/usr/bin/quillane", false, true, false, "/home/u"),
         {"/usr/share/quillane/", "/home/u/.config/quillane/quillane.ini",
          "/usr/share/quillane/quillane.ini", "/home/u/.local/state/quillane/quillane.TXT",
          "/home/u/.cache/quillane/", "/home/u/.cache/quillane/"},
         TPlace::UserFolders},
        {"installed stays in the user's folders even where the program folder is writable (root)",
         Facts("/tmp/p/bin/quillane", false, true, true, "/root", "/c/", "relative/state", "/k//"),
         {"/tmp/p/share/quillane/", "/c/quillane/quillane.ini", "/tmp/p/share/quillane/quillane.ini",
          "/root/.local/state/quillane/quillane.TXT", "/k/quillane/", "/k/quillane/"},
         TPlace::UserFolders},
        {"no data anywhere: the program folder, as a portable one",
         Facts("/b/bench/tool", false, false, true, "/home/u"),
         {"/b/bench/", "/b/bench/tool.ini", "", "/b/bench/tool.TXT", "/b/bench/", "/home/u/.cache/quillane/"},
         TPlace::BesideProgram},
        {"no home and no variables: only the program folder is left",
         Facts("/usr/bin/quillane", false, true, false, ""),
         {"/usr/share/quillane/", "/usr/bin/quillane.ini", "/usr/share/quillane/quillane.ini",
          "/usr/bin/quillane.TXT", "/usr/bin/", ""},
         TPlace::BesideProgram},
        {"file names follow the program's name",
         Facts("/q/quill.app", true, false, false, "/h", "/c", "/s", "/k"),
         {"/q/", "/c/quillane/quill_app.ini", "/q/quill_app.ini", "/s/quillane/quill.app.TXT",
          "/k/quillane/", "/k/quillane/"},
         TPlace::UserFolders},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TAppPaths paths = PlacesFor(c.facts);
        EXPECT_EQ(paths.dataFolder, c.expected[0]);
        EXPECT_EQ(paths.rulesFile, std::string(c.expected[0]) + "CodeScan.dll");
        EXPECT_EQ(paths.settingsFile, c.expected[1]);
        EXPECT_EQ(paths.seedSettingsFile, c.expected[2]);
        EXPECT_EQ(paths.logFile, c.expected[3]);
        EXPECT_EQ(paths.exportFolder, c.expected[4]);
        EXPECT_EQ(paths.cacheFolder, c.expected[5]);
        EXPECT_EQ(paths.writePlace, c.writePlace);
    }
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(AppPaths, UserSettingsStartFromTheDeliveredOnesAndGetTheirFolders)
{
    const fs::path root = fs::temp_directory_path() / ("quillane_places_" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "share");
    const std::string data = (root / "share").string() + "/";
    std::ofstream(data + "quillane.ini", std::ios::binary) << "APP_CAPTION=Quillane\r\n";
    TAppPaths paths = TAppPaths::InFolder(data);
    paths.seedSettingsFile = data + "quillane.ini";
    paths.settingsFile = (root / "config/quillane/quillane.ini").string();
    paths.logFile = (root / "state/quillane/quillane.TXT").string();
    {
        TAppContext app(paths);
        EXPECT_EQ(app.Config().ReadString("APP_CAPTION"), "Quillane");
        app.Config().WriteInteger("MFORM_WIDTH", 640);
        app.DebugLog().AddLine("logged");
    }
    EXPECT_EQ(ReadAll(paths.settingsFile), "APP_CAPTION=Quillane\r\nMFORM_WIDTH=640\r\n");
    EXPECT_EQ(ReadAll(paths.logFile), "logged\r\n");
    EXPECT_EQ(ReadAll(data + "quillane.ini"), "APP_CAPTION=Quillane\r\n") << "the delivered file stays";
    EXPECT_EQ(fs::status(root / "config/quillane").permissions() & fs::perms::all, fs::perms::owner_all);
    {
        std::ofstream(data + "quillane.ini", std::ios::binary) << "APP_CAPTION=Changed\r\n";
        TAppContext app(paths, TAppContext::TSettingsAtEnd::Keep);
        EXPECT_EQ(app.Config().ReadInteger("MFORM_WIDTH"), 640) << "once there, the user's file counts";
        EXPECT_EQ(app.Config().ReadString("APP_CAPTION"), "Quillane");
    }
    EXPECT_TRUE(MakeFolders((root / "cache/quillane/").string()));
    EXPECT_TRUE(fs::is_directory(root / "cache/quillane"));
    EXPECT_FALSE(MakeFolders(data + "quillane.ini/sub/"));

    // Settings that cannot be written at the end are not lost without a word.
    paths.settingsFile = data + "quillane.ini/sub/quillane.ini";
    testing::internal::CaptureStderr();
    {
        TAppContext app(paths);
        app.Config().WriteInteger("MFORM_WIDTH", 800);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "quillane: the settings were not saved: cannot examine " + paths.settingsFile + ": Not a directory\n");
    EXPECT_EQ(ReadAll(paths.logFile),
              "error:Settings;not saved;cannot examine " + paths.settingsFile + ": Not a directory\r\n");
    fs::remove_all(root);
}

} // namespace
