#include "config/AppPaths.h"

#include "scan/TextFields.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kRulesName = "CodeScan.dll";
constexpr const char* kInstalledData = "../share/quillane/";
constexpr const char* kUserFolderName = "quillane/";

const std::string& ProgramPath()
{
    static const std::string path = [] {
        std::error_code ec;
        auto p = fs::read_symlink("/proc/self/exe", ec);
        return ec ? std::string() : p.string();
    }();
    return path;
}

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// An XDG base folder: the variable when it holds an absolute path, else the home folder's
// fallback; empty when neither is known.
std::string BaseFolder(const std::string& variable, const std::string& home, const char* fallback)
{
    std::string base = !variable.empty() && variable.front() == '/' ? variable
                       : home.empty()                               ? std::string()
                                                                    : home + "/" + fallback;
    if (base.empty())
        return base;
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return base == "/" ? base : base + "/";
}

std::string SettingsName(const std::string& programName)
{
    std::string name = programName;
    for (char& c : name)
        if (c == '.')
            c = '_';
    return name + ".ini";
}

} // namespace

TAppPaths TAppPaths::ForProgram() { return PlacesFor(ProgramFacts()); }

TAppPaths TAppPaths::InFolder(const std::string& folder)
{
    TAppPaths paths;
    paths.dataFolder = folder;
    paths.rulesFile = folder + kRulesName;
    paths.settingsFile = folder + "quillane.ini";
    paths.logFile = folder + "quillane.TXT";
    paths.exportFolder = folder;
    return paths;
}

std::string AppFolder() { return FolderOf(ProgramPath()); }

std::string AppFileName() { return FileNameOf(ProgramPath()); }

TPlaceFacts ProgramFacts()
{
    TPlaceFacts facts;
    facts.programPath = AppFolder() + AppFileName();
    const std::string folder = AppFolder();
    std::error_code ec;
    facts.dataBesideProgram = fs::is_regular_file(folder + kRulesName, ec);
    facts.dataInShare = fs::is_regular_file(folder + kInstalledData + kRulesName, ec);
    facts.programFolderWritable = !folder.empty() && access(folder.c_str(), W_OK) == 0;
    facts.home = Variable("HOME");
    if (facts.home.empty()) {
        if (const passwd* account = getpwuid(getuid()); account && account->pw_dir)
            facts.home = account->pw_dir;
    }
    facts.xdgConfigHome = Variable("XDG_CONFIG_HOME");
    facts.xdgStateHome = Variable("XDG_STATE_HOME");
    facts.xdgCacheHome = Variable("XDG_CACHE_HOME");
    return facts;
}

TAppPaths PlacesFor(const TPlaceFacts& facts)
{
    const std::string programFolder = FolderOf(facts.programPath);
    const std::string programName = FileNameOf(facts.programPath);
    const bool portable = facts.dataBesideProgram || !facts.dataInShare;

    TAppPaths paths;
    paths.dataFolder = portable
                           ? programFolder
                           : fs::path(programFolder + kInstalledData).lexically_normal().string();
    paths.rulesFile = paths.dataFolder + kRulesName;

    const std::string config = BaseFolder(facts.xdgConfigHome, facts.home, ".config");
    const std::string state = BaseFolder(facts.xdgStateHome, facts.home, ".local/state");
    const std::string cache = BaseFolder(facts.xdgCacheHome, facts.home, ".cache");
    // Without a home folder there are no user folders: the program folder is all there is.
    const bool userFoldersKnown = !config.empty() && !state.empty() && !cache.empty();
    if ((portable && facts.programFolderWritable) || !userFoldersKnown) {
        paths.settingsFile = programFolder + SettingsName(programName);
        paths.logFile = facts.programPath + ".TXT";
        paths.exportFolder = programFolder;
        paths.writePlace = TAppPaths::TWritePlace::BesideProgram;
    } else {
        paths.settingsFile = config + kUserFolderName + SettingsName(programName);
        paths.logFile = state + kUserFolderName + programName + ".TXT";
        paths.exportFolder = cache + kUserFolderName;
        paths.writePlace = TAppPaths::TWritePlace::UserFolders;
    }
    // Files the program can make again: always the user's, even in a portable folder.
    paths.cacheFolder = cache.empty() ? std::string() : cache + kUserFolderName;
    // A settings file away from the data starts from the delivered one.
    if (FolderOf(paths.settingsFile) != paths.dataFolder)
        paths.seedSettingsFile = paths.dataFolder + SettingsName(programName);
    return paths;
}

bool MakeFolders(const std::string& folder)
{
    std::error_code ec;
    if (folder.empty() || fs::is_directory(folder, ec))
        return !folder.empty();
    const fs::path path = fs::path(folder).lexically_normal();
    fs::path made;
    for (const auto& part : path) {
        made /= part;
        if (part.empty() || fs::is_directory(made, ec))
            continue;
        if (mkdir(made.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return fs::is_directory(folder, ec);
}
