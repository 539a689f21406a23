#include "files/FileHelpers.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

bool ForEachFile(std::string folder, const std::function<void(const std::string&)>& take,
                 const std::stop_token& stop, const TUnreadableFolder& unreadable)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        if (stop.stop_requested())
            break;
        const std::string name = it->path().filename().string();
        std::error_code typeEc;
        if (it->is_directory(typeEc) && !it->is_symlink(typeEc)) {
            if (!ForEachFile(folder + name, take, stop, unreadable))
                return false;
        } else if (!it->is_directory(typeEc)) {
            take(folder + name);
        }
    }
    if (ec && unreadable && !stop.stop_requested())
        unreadable(folder, ec);
    return !stop.stop_requested();
}

void FindFiles(std::string folder, std::string_view ext, TLines& files)
{
    const std::string key = UpperCase(ext);
    const bool every = key.empty() || key == "*";
    ForEachFile(std::move(folder), [&](const std::string& path) {
        if (every || FileTypeKey(path) == key)
            files.push_back(path);
    });
}

void CopyFileData(const std::string& source, const std::string& dest)
{
    std::error_code ec;
    if (fs::exists(dest, ec) && fs::equivalent(source, dest, ec))
        throw TFileError("cannot copy " + source + " onto itself");
    std::ifstream in(source, std::ios::binary);
    if (!in)
        throw TFileError("cannot open " + source + ": " + std::strerror(errno));
    std::ofstream out(dest, std::ios::binary | std::ios::trunc);
    if (!out)
        throw TFileError("cannot create " + dest + ": " + std::strerror(errno));
    // Streaming an empty source with << sets the failbit, so an empty file counts
    // only on the source's size.
    if (in.peek() != std::ifstream::traits_type::eof())
        out << in.rdbuf();
    out.flush();
    if (!out || in.bad())
        throw TFileError("cannot copy " + source + " to " + dest);
}
