#pragma once
// Finds the file an include directive names. In order:
//  1. the folder of the file that holds the directive;
//  2. the include folders, in the order given;
//  3. the nearest file of that name in the subtree of the holding file's folder, then of
//     its parent, and so on up to kAncestors levels up (closest first within a subtree).
// Names tried: the name as written (a backslash is a path separator), then with ".inc",
// ".pp" and ".pas" added when it has no extension. In a folder the exact name comes first,
// then a name that differs in letter case (a file system that tells case apart finds
// "direct.inc" for {$I DIRECT.INC}). A subtree's file names are gathered once, only when
// the first two steps fail, without following symbolic links to folders or entering hidden
// folders, and only as far as kMaxIndexedFolders folders. One resolver serves one run; it
// keeps what it read of the file system.

#include "scan/ScanMessages.h"
#include "scan/TextFields.h"

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TIncludeResolver {
public:
    static constexpr int kAncestors = 3;
    static constexpr std::size_t kMaxIndexedFolders = 2000;

    // folders: the include folders. One that does not exist is left out, with a line in the
    // log (once).
    TIncludeResolver(const TLines& folders, IScanMessages& log);

    // The file that name (as written in the directive) stands for, included from a file in
    // holdingFolder (absolute): its absolute path, with the names as they are on disk; empty
    // when none is found. A folder never counts as a file.
    std::string Resolve(std::string_view name, const std::string& holdingFolder);

private:
    // A folder's entries, sorted by name; walk: a folder a subtree's walk enters (not a
    // link to a folder, not hidden).
    struct TEntry {
        std::string name;
        bool folder = false;
        bool walk = false;
    };
    using TListing = std::vector<TEntry>;
    // A subtree's files by their names in lower case: paths relative to its root, closest
    // to the root first.
    using TIndex = std::unordered_map<std::string, TLines>;

    const TListing& ListingOf(const std::string& folder);
    std::string FindIn(const std::string& folder, const TLines& names);
    std::string FindIgnoringCase(const std::string& folder, std::string_view name);
    std::string FindInSubtrees(const std::string& holdingFolder, const TLines& names);
    const TIndex& IndexOf(const std::string& root);

    TLines m_folders;
    std::unordered_map<std::string, TListing> m_listings;
    std::unordered_map<std::string, TIndex> m_indexes;
    std::map<std::pair<std::string, std::string>, std::string> m_resolved;
};
