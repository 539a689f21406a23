#include "browser/core/UnitLookup.h"

#include <algorithm>
#include <deque>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool IsNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsNameChar(char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '.';
}

bool IsFile(const fs::path& path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// The first of the names that is a file of the folder.
std::optional<std::string> FileIn(const fs::path& folder, const TLines& names)
{
    for (const auto& name : names)
        if (IsFile(folder / name))
            return (folder / name).string();
    return std::nullopt;
}

// A tree is walked level by level, sub-folders by name, so that the nearest file wins and
// the answer does not hang on the order the system lists folders in. Links to folders are
// not followed (no loops), and the walk ends after this many folders.
constexpr std::size_t kMaxTreeFolders = 50000;

std::optional<std::string> FileInTree(const fs::path& root, const TLines& names)
{
    std::deque<fs::path> queue{root};
    std::size_t visited = 0;
    while (!queue.empty() && visited++ < kMaxTreeFolders) {
        const fs::path folder = std::move(queue.front());
        queue.pop_front();
        if (auto found = FileIn(folder, names))
            return found;
        std::vector<fs::path> children;
        std::error_code ec;
        for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
             !ec && it != end; it.increment(ec)) {
            std::error_code kind;
            if (it->is_directory(kind) && !it->is_symlink(kind))
                children.push_back(it->path());
        }
        std::sort(children.begin(), children.end());
        queue.insert(queue.end(), children.begin(), children.end());
    }
    return std::nullopt;
}

std::string JoinedNames(const TLines& names, const std::string& last)
{
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? last : ", ") + names[i];
    return text;
}

} // namespace

std::vector<TUsedUnit> UsedUnits(std::string_view declaration)
{
    std::vector<TUsedUnit> units;
    bool afterIn = false;
    for (std::size_t i = 0; i < declaration.size();) {
        const char c = declaration[i];
        if (c == '\'') {
            const std::size_t end = declaration.find('\'', i + 1);
            const std::string_view text = declaration.substr(i + 1, end == std::string_view::npos ? end : end - i - 1);
            if (afterIn && !units.empty())
                units.back().file = std::string(text);
            afterIn = false;
            i = end == std::string_view::npos ? declaration.size() : end + 1;
        } else if (IsNameStart(c)) {
            std::size_t end = i;
            while (end < declaration.size() && IsNameChar(declaration[end]))
                ++end;
            std::string name(declaration.substr(i, end - i));
            while (!name.empty() && name.back() == '.')
                name.pop_back();
            i = end;
            if (SameText(name, "in") && !units.empty()) {
                afterIn = true;
                continue;
            }
            afterIn = false;
            const bool known = std::any_of(units.begin(), units.end(),
                                           [&name](const TUsedUnit& unit) { return SameText(unit.name, name); });
            if (!known)
                units.push_back({std::move(name), {}});
        } else {
            ++i;
        }
    }
    return units;
}

TLines UnitFileNames(const std::string& name)
{
    TLines names;
    for (const std::string& stem : {name, LowerCase(name)})
        for (const char* extension : {".pas", ".pp", ".p"})
            if (std::find(names.begin(), names.end(), stem + extension) == names.end())
                names.push_back(stem + extension);
    return names;
}

std::optional<std::string> FindUnit(const TUsedUnit& unit, const TUnitPlaces& places)
{
    if (!unit.file.empty() && !places.folders.empty()) {
        std::string file = unit.file;
        std::replace(file.begin(), file.end(), '\\', '/');
        const fs::path path = fs::path(places.folders.front()) / file;
        if (IsFile(path))
            return path.lexically_normal().string();
    }
    const TLines names = UnitFileNames(unit.name);
    for (const auto& folder : places.folders)
        if (auto found = FileIn(folder, names))
            return found;
    for (const auto& tree : places.trees)
        if (auto found = FileInTree(tree, names))
            return found;
    return std::nullopt;
}

std::string UnitNotFoundText(const std::string& name, const TUnitPlaces& places)
{
    std::string text = "Unit " + name + " not found in " + JoinedNames(places.folders, " and ");
    if (!places.trees.empty())
        text += (places.folders.empty() ? "" : ", ") + std::string("below ") + JoinedNames(places.trees, " and ");
    return text;
}
