#include "scan/IncludeResolver.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The names to try for a directive's name, in order.
TLines NamesToTry(std::string_view written)
{
    std::string name(written);
    std::replace(name.begin(), name.end(), '\\', '/');
    TLines names{name};
    if (name.substr(name.rfind('/') + 1).find('.') == std::string::npos)
        for (const char* extension : {".inc", ".pp", ".pas"})
            names.push_back(name + extension);
    return names;
}

std::string Normal(const std::string& path) { return fs::path(path).lexically_normal().string(); }

std::string Joined(const std::string& folder, std::string_view name)
{
    if (!name.empty() && name.front() == '/')
        return std::string(name);
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

bool IsFileEntry(const std::string& path)
{
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    return !ec && fs::exists(status) && !fs::is_directory(status);
}

// The path's pieces other than "." (and the empty ones of repeated slashes).
TLines Pieces(std::string_view path)
{
    TLines pieces;
    std::size_t from = 0;
    while (from <= path.size()) {
        const std::size_t to = std::min(path.find('/', from), path.size());
        const std::string_view piece = path.substr(from, to - from);
        if (!piece.empty() && piece != ".")
            pieces.emplace_back(piece);
        from = to + 1;
    }
    return pieces;
}

} // namespace

TIncludeResolver::TIncludeResolver(const TLines& folders, IScanMessages& log)
{
    for (const auto& folder : folders) {
        std::error_code ec;
        if (folder.empty())
            continue;
        if (!fs::is_directory(folder, ec)) {
            log.AddLine("note:Includes;no such include folder;" + folder);
            continue;
        }
        std::string absolute = Normal(fs::absolute(folder, ec).string());
        if (std::find(m_folders.begin(), m_folders.end(), absolute) == m_folders.end())
            m_folders.push_back(std::move(absolute));
    }
}

std::string TIncludeResolver::Resolve(std::string_view name, const std::string& holdingFolder)
{
    auto key = std::make_pair(holdingFolder, std::string(name));
    if (auto known = m_resolved.find(key); known != m_resolved.end())
        return known->second;
    const TLines names = NamesToTry(name);
    std::string found = FindIn(holdingFolder, names);
    const bool absolute = names.front().front() == '/';
    for (std::size_t i = 0; found.empty() && !absolute && i < m_folders.size(); ++i)
        found = FindIn(m_folders[i], names);
    if (found.empty() && !absolute)
        found = FindInSubtrees(holdingFolder, names);
    m_resolved.emplace(std::move(key), found);
    return found;
}

std::string TIncludeResolver::FindIn(const std::string& folder, const TLines& names)
{
    for (const auto& name : names)
        if (const std::string path = Joined(folder, name); IsFileEntry(path))
            return Normal(path);
    for (const auto& name : names)
        if (std::string path = FindIgnoringCase(folder, name); !path.empty())
            return path;
    return {};
}

// Follows the name's pieces from folder, each piece as it is or, when no entry has that
// name, the first entry whose name differs from it only in letter case.
std::string TIncludeResolver::FindIgnoringCase(const std::string& folder, std::string_view name)
{
    std::string at = name.front() == '/' ? "/" : Normal(folder);
    const TLines pieces = Pieces(name);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const bool last = i + 1 == pieces.size();
        const std::string& piece = pieces[i];
        std::string next = Joined(at, piece);
        std::error_code ec;
        const fs::file_status status = fs::status(next, ec);
        const bool fits = !ec && fs::exists(status) && fs::is_directory(status) != last;
        if (!fits && piece != "..") {
            const TListing& listing = ListingOf(at);
            const auto entry = std::find_if(listing.begin(), listing.end(), [&](const TEntry& e) {
                return e.folder != last && SameText(e.name, piece);
            });
            if (entry == listing.end())
                return {};
            next = Joined(at, entry->name);
        }
        at = Normal(next);
    }
    return IsFileEntry(at) ? at : std::string();
}

const TIncludeResolver::TListing& TIncludeResolver::ListingOf(const std::string& folder)
{
    if (auto known = m_listings.find(folder); known != m_listings.end())
        return known->second;
    TListing listing;
    std::error_code ec;
    for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        std::error_code entryError;
        const bool link = it->is_symlink(entryError);
        const bool isFolder = it->is_directory(entryError);
        std::string name = it->path().filename().string();
        const bool walk = isFolder && !link && !name.empty() && name.front() != '.';
        listing.push_back({std::move(name), isFolder, walk});
    }
    std::sort(listing.begin(), listing.end(), [](const TEntry& a, const TEntry& b) { return a.name < b.name; });
    return m_listings.emplace(folder, std::move(listing)).first->second;
}

const TIncludeResolver::TIndex& TIncludeResolver::IndexOf(const std::string& root)
{
    if (auto known = m_indexes.find(root); known != m_indexes.end())
        return known->second;
    TIndex index;
    // Breadth first, so that the files closest to the root come first.
    std::deque<std::string> queue{""};
    std::size_t folders = 0;
    while (!queue.empty() && folders < kMaxIndexedFolders) {
        const std::string relative = std::move(queue.front());
        queue.pop_front();
        ++folders;
        for (const TEntry& entry : ListingOf(relative.empty() ? root : Joined(root, relative))) {
            std::string path = relative.empty() ? entry.name : relative + "/" + entry.name;
            if (entry.walk)
                queue.push_back(std::move(path));
            else if (!entry.folder)
                index[LowerCase(entry.name)].push_back(std::move(path));
        }
    }
    return m_indexes.emplace(root, std::move(index)).first->second;
}

std::string TIncludeResolver::FindInSubtrees(const std::string& holdingFolder, const TLines& names)
{
    std::string root = Normal(holdingFolder);
    for (int up = 0; up <= kAncestors; ++up) {
        // The whole file system is never searched.
        if (root.empty() || root == "/")
            break;
        const TIndex& index = IndexOf(root);
        for (const auto& name : names) {
            // The pieces of the name after any "..": the end of the path a file must have.
            std::string tail;
            for (const auto& piece : Pieces(name))
                tail = piece == ".." ? std::string() : (tail.empty() ? piece : tail + "/" + piece);
            if (tail.empty())
                continue;
            const std::string lowerTail = LowerCase(tail);
            const auto files = index.find(LowerCase(tail.substr(tail.rfind('/') + 1)));
            if (files == index.end())
                continue;
            // The closest file with that end; of those equally close, one whose letter case
            // is as written.
            const std::string* best = nullptr;
            std::size_t bestDepth = 0;
            for (const auto& path : files->second) {
                const std::size_t depth = static_cast<std::size_t>(std::count(path.begin(), path.end(), '/'));
                if (best && depth > bestDepth)
                    break;
                const bool ends = path.size() >= tail.size() &&
                                  LowerCase(std::string_view(path).substr(path.size() - tail.size())) == lowerTail &&
                                  (path.size() == tail.size() || path[path.size() - tail.size() - 1] == '/');
                if (!ends)
                    continue;
                const bool exact = path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
                if (!best || (exact && !best->ends_with(tail))) {
                    best = &path;
                    bestDepth = depth;
                }
            }
            if (best)
                return Normal(Joined(root, *best));
        }
        root = fs::path(root).parent_path().string();
    }
    return {};
}
