#include "scan/StructureTexts.h"

#include <fstream>
#include <iterator>

namespace {

enum class TRole { Plain, Begin, End };

TRole RoleOf(const std::string& group)
{
    if (group == "BEGIN" || group == "{")
        return TRole::Begin;
    if (group == "END" || group == "}")
        return TRole::End;
    return TRole::Plain;
}

} // namespace

void TStructureTexts::LoadFromFile(const std::string& fileName)
{
    if (fileName.size() > 1)
        m_fileName = fileName;
    m_lines.clear();
    std::ifstream in(m_fileName, std::ios::binary);
    if (in) {
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad())
            text.clear();
        // A NUL byte ends the text.
        if (const auto nul = text.find('\0'); nul != std::string::npos)
            text.resize(nul);
        m_lines = SplitLines(text);
    }
    Prepare();
}

void TStructureTexts::LoadFromList(const TLines& lines)
{
    m_lines = lines;
    Prepare();
}

void TStructureTexts::Prepare() { TrimLines(m_lines); }

// Walks lines 1..last (line 0 only plays the outer begin line) and calls
// visit(line, group, depth, marker) for each; visit returns false to stop.
// A list of one line has that line examined.
template <typename Visit>
void TStructureTexts::Walk(Visit visit) const
{
    if (m_lines.empty())
        return;
    std::size_t cursor = 0;
    int depth = 1;
    bool marker = false;
    std::string group = TagText(m_lines[0], 0);
    for (;;) {
        if (cursor + 1 < m_lines.size()) {
            const bool leftEnd = RoleOf(group) == TRole::End;
            ++cursor;
            group = TagText(m_lines[cursor], 0);
            if (RoleOf(group) == TRole::Begin)
                ++depth;
            if (leftEnd)
                --depth;
            if (!group.empty()) {
                if (group[0] == '+')
                    marker = true;
                else if (group[0] == '-')
                    marker = false;
            }
        }
        if (!visit(m_lines[cursor], group, depth, marker))
            return;
        if (cursor + 1 >= m_lines.size())
            return;
    }
}

TLines TStructureTexts::Section(std::string_view name) const
{
    const std::string start = "+" + std::string(name);
    const std::string end = "-" + std::string(name);
    TLines result;
    bool inside = false;
    Walk([&](const std::string& line, const std::string& group, int depth, bool) {
        if (group == start && depth == 1) {
            inside = true;
        } else if (group == end && depth == 1) {
            return false;
        } else if (inside) {
            result.push_back(line);
        }
        return true;
    });
    return result;
}

TLines TStructureTexts::Block(std::string_view name) const
{
    TLines result;
    bool inside = false;
    Walk([&](const std::string& line, const std::string& group, int depth, bool marker) {
        const TRole role = RoleOf(group);
        if (role == TRole::Begin && depth == 2 && !marker && PairValue(TagTail(line, 1), "NAME") == name) {
            result.push_back(line);
            inside = true;
        } else if (role == TRole::End && depth == 2 && inside) {
            result.push_back(line);
            inside = false;
        } else if (inside) {
            result.push_back(line);
        }
        return true;
    });
    return result;
}
