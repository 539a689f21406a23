#include "scan/LineStore.h"

#include <limits>
#include <stdexcept>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

TLineStore::TLineStore(const TLines& lines)
{
    std::size_t bytes = 0;
    for (const std::string& line : lines)
        bytes += line.size();
    m_text.reserve(bytes);
    m_ends.reserve(lines.size());
    for (const std::string& line : lines)
        push_back(line);
}

void TLineStore::push_back(std::string_view line)
{
    if (line.size() > std::numeric_limits<std::uint32_t>::max() - m_text.size())
        throw std::length_error("the outline's text passes 4 GB");
    m_text.append(line);
    m_ends.push_back(static_cast<std::uint32_t>(m_text.size()));
}

void TLineStore::shrink_to_fit()
{
    m_text.shrink_to_fit();
    m_ends.shrink_to_fit();
}

TLines TLineStore::Lines() const
{
    TLines lines;
    lines.reserve(size());
    for (std::size_t i = 0; i < size(); ++i)
        lines.emplace_back((*this)[i]);
    return lines;
}

void ReleaseFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
