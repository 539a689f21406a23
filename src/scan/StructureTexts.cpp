#include "scan/StructureTexts.h"

#include "scan/SourceText.h"

#include <algorithm>

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
    TFileBytes file = ReadFileBytes(m_fileName, kMaxFileBytes);
    m_loadProblem = std::move(file.problem);
    LoadFromText(file.bytes);
}

void TStructureTexts::LoadFromText(std::string_view text)
{
    // A NUL byte ends the text.
    m_lines = SplitLines(text.substr(0, text.find('\0')));
    m_lineNumbers.clear();
    Prepare();
}

void TStructureTexts::LoadFromList(const TLines& lines, const std::vector<int>& lineNumbers)
{
    m_lines = lines;
    m_lineNumbers = lineNumbers;
    Prepare();
}

void TStructureTexts::Prepare()
{
    if (m_lineNumbers.size() != m_lines.size()) {
        m_lineNumbers.resize(m_lines.size());
        for (std::size_t i = 0; i < m_lines.size(); ++i)
            m_lineNumbers[i] = static_cast<int>(i) + 1;
    }
    // TrimLines, keeping each line's number with it.
    std::size_t out = 0;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        std::string line = Trim(m_lines[i]);
        if (line.empty())
            continue;
        m_lines[out] = std::move(line);
        m_lineNumbers[out] = m_lineNumbers[i];
        ++out;
    }
    m_lines.resize(out);
    m_lineNumbers.resize(out);
}

// Walks lines 1..last (line 0 only plays the outer begin line) and calls
// visit(index, group, depth, marker) for each; visit returns false to stop.
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
        if (!visit(cursor, group, depth, marker))
            return;
        if (cursor + 1 >= m_lines.size())
            return;
    }
}

TLines TStructureTexts::Section(std::string_view name, std::vector<int>* lineNumbers) const
{
    const std::string start = "+" + std::string(name);
    const std::string end = "-" + std::string(name);
    TLines result;
    bool inside = false;
    Walk([&](std::size_t i, const std::string& group, int depth, bool) {
        if (group == start && depth == 1) {
            inside = true;
        } else if (group == end && depth == 1) {
            return false;
        } else if (inside) {
            result.push_back(m_lines[i]);
            if (lineNumbers)
                lineNumbers->push_back(m_lineNumbers[i]);
        }
        return true;
    });
    return result;
}

std::optional<std::string> TStructureTexts::BlockNameFor(std::string_view key) const
{
    for (const auto& line : Section("VAR")) {
        const auto eq = line.find('=');
        if (eq != std::string::npos && SameText(PairName(line), key))
            return line.substr(eq + 1);
    }
    return std::nullopt;
}

TLines TStructureTexts::TypeKeys() const
{
    TLines keys;
    for (const auto& line : Section("VAR")) {
        if (line.find('=') == std::string::npos)
            continue;
        std::string key = UpperCase(Trim(PairName(line)));
        if (!key.empty() && std::find(keys.begin(), keys.end(), key) == keys.end())
            keys.push_back(std::move(key));
    }
    return keys;
}

TLines TStructureTexts::TypePatterns() const
{
    TLines patterns;
    for (const auto& key : TypeKeys())
        patterns.push_back("*." + LowerCase(key));
    return patterns;
}

TLines TStructureTexts::Block(std::string_view name, std::vector<int>* lineNumbers) const
{
    TLines result;
    bool inside = false;
    auto take = [&](std::size_t i) {
        result.push_back(m_lines[i]);
        if (lineNumbers)
            lineNumbers->push_back(m_lineNumbers[i]);
    };
    Walk([&](std::size_t i, const std::string& group, int depth, bool marker) {
        const TRole role = RoleOf(group);
        if (role == TRole::Begin && depth == 2 && !marker &&
            PairValue(TagTail(m_lines[i], 1), "NAME") == name) {
            take(i);
            inside = true;
        } else if (role == TRole::End && depth == 2 && inside) {
            take(i);
            inside = false;
        } else if (inside) {
            take(i);
        }
        return true;
    });
    return result;
}
