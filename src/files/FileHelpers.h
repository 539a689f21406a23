#pragma once
// File system helpers of the search and of Save As: the recursive file finder and
// the whole-file copy. Stateless; safe from any thread.

#include "scan/TextFields.h"

#include <functional>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <system_error>

class TFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Appends the full path of every file under folder, at any depth, whose file-type key
// equals ext (letter case ignored; an empty ext or "*" takes every file). Depth first in
// the order the file system lists entries, so a sub-folder's files stand at its place.
// A folder that cannot be listed adds nothing. Symbolic links to folders are not
// followed, so a link cycle cannot make the walk endless.
void FindFiles(std::string folder, std::string_view ext, TLines& files);

// Told of a folder that could not be listed (wholly or in part) and why.
using TUnreadableFolder = std::function<void(const std::string& folder, const std::error_code& why)>;

// The walk of FindFiles: calls take with the full path of every file under folder, in
// FindFiles's order, and unreadable (when given) with every folder it cannot list, such as
// one without read or search permission or one whose path is too long. Ends early when a
// stop is requested (checked at every entry) and returns false then.
bool ForEachFile(std::string folder, const std::function<void(const std::string&)>& take,
                 const std::stop_token& stop = {}, const TUnreadableFolder& unreadable = {});

// Copies the whole of source into dest, replacing dest. Throws TFileError when source
// cannot be read or dest cannot be written, and when both name the same file (which is
// then left unchanged).
void CopyFileData(const std::string& source, const std::string& dest);
