#pragma once
// Where the program finds its data and where it keeps what it writes.
//
// Two layouts. A portable program folder holds the program beside its data (CodeScan.dll,
// Example.pas, help/ and the delivered quillane.ini); an installed tree holds the program
// in PREFIX/bin/ and the data in PREFIX/share/quillane/. The settings file, the trace log
// and the text export stay beside the program in a portable folder the user may write to.
// Otherwise (an installed tree, which belongs to the system or the package manager, or a
// portable folder the user cannot write to) they go to the user's folders of the XDG base
// directories, and the delivered settings seed the user's first settings file.

#include <string>

struct TAppPaths {
    enum class TWritePlace { BesideProgram, UserFolders };

    std::string dataFolder; // CodeScan.dll, Example.pas, help/, Temp.dat; ends with "/"
    std::string rulesFile;
    std::string settingsFile;
    // Read instead of settingsFile while that does not exist; empty when there is none.
    std::string seedSettingsFile;
    std::string logFile;
    std::string exportFolder; // TempFile.txt; ends with "/"
    // The search's outline cache: $XDG_CACHE_HOME/quillane/ in either layout; ends with "/";
    // empty when there is no home folder to put it in.
    std::string cacheFolder;
    TWritePlace writePlace = TWritePlace::BesideProgram;

    // The places of the running program (PlacesFor of ProgramFacts).
    static TAppPaths ForProgram();
    // Everything inside one folder (ending with "/"): quillane.TXT, quillane.ini,
    // CodeScan.dll and the exports; no outline cache.
    static TAppPaths InFolder(const std::string& folder);
};

// The folder of the running program file, ending with "/", and the file's name; empty
// when the system does not tell.
std::string AppFolder();
std::string AppFileName();

// What the choice of places depends on: gathered from the running system by ProgramFacts,
// written out by hand in tests.
struct TPlaceFacts {
    std::string programPath;            // the running program's full path
    bool dataBesideProgram = false;     // CodeScan.dll lies in the program's folder
    bool dataInShare = false;           // CodeScan.dll lies in ../share/quillane/ from there
    bool programFolderWritable = false; // the user may create files in the program's folder
    std::string home;                   // $HOME, or the home folder of the user's account
    // $XDG_CONFIG_HOME, $XDG_STATE_HOME, $XDG_CACHE_HOME as set (empty when unset).
    std::string xdgConfigHome, xdgStateHome, xdgCacheHome;
};

TPlaceFacts ProgramFacts();

// The portable layout when the data lies beside the program or cannot be found in the
// installed place either; the installed layout otherwise. Written files stay beside the
// program only in a writable portable folder. In the user's folders: the settings file in
// $XDG_CONFIG_HOME/quillane/, the trace log in $XDG_STATE_HOME/quillane/, the exports in
// $XDG_CACHE_HOME/quillane/, where an unset or relative variable stands for ~/.config,
// ~/.local/state or ~/.cache. File names follow the program's name: "quillane.ini"
// (each "." of the name made "_") and "quillane.TXT".
TAppPaths PlacesFor(const TPlaceFacts& facts);

// Creates a folder and any missing parents, new ones readable by the user only (the XDG
// folders hold private settings). True when the folder exists afterwards.
bool MakeFolders(const std::string& folder);
