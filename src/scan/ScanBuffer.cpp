#include "scan/ScanBuffer.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

} // namespace

void TScanBuffer::Clear()
{
    m_text.clear();
    m_begin = 0;
    m_retired.clear();
    ++m_version;
    m_tagClearFrom = m_tagClearTo = 0;
    m_tail.where = TTail::Own;
    m_tail.own.clear();
}

void TScanBuffer::Set(std::string text, std::size_t begin)
{
    // #2 may still stand in the storage being replaced: that storage is kept for it.
    if (m_tail.where == TTail::Live) {
        m_retired.swap(m_text);
        m_tail.where = TTail::Retired;
    }
    m_text = std::move(text);
    m_begin = begin;
    m_tagClearFrom = m_tagClearTo = 0;
    ++m_version;
}

void TScanBuffer::Join(std::string_view separator, std::string_view line)
{
    m_text.append(separator).append(line);
    ++m_version;
    Trim();
}

void TScanBuffer::DropConsumed()
{
    std::size_t drop = m_begin;
    if (m_tail.where == TTail::Live)
        drop = std::min(drop, m_tail.pos);
    if (drop <= 4096 || drop <= m_text.size() - drop)
        return;
    m_text.erase(0, drop);
    m_begin -= drop;
    if (m_tail.where == TTail::Live)
        m_tail.pos -= drop;
    m_tagClearFrom = m_tagClearFrom > drop ? m_tagClearFrom - drop : 0;
    m_tagClearTo = std::max(m_tagClearFrom, m_tagClearTo > drop ? m_tagClearTo - drop : 0);
    ++m_version;
}

std::string_view TScanBuffer::Tail() const
{
    switch (m_tail.where) {
    case TTail::Live:
        return std::string_view(m_text).substr(m_tail.pos, m_tail.len);
    case TTail::Retired:
        return std::string_view(m_retired).substr(m_tail.pos, m_tail.len);
    case TTail::Own:
        break;
    }
    return m_tail.own;
}

void TScanBuffer::SetTailAfterMatch(std::size_t end)
{
    m_tail.where = TTail::Live;
    m_tail.pos = m_begin + end;
    m_tail.len = m_text.size() - m_tail.pos;
    m_matchVersion = m_version;
}

bool TScanBuffer::TailHasTag()
{
    return m_tail.where == TTail::Live && HasTag(m_tail.pos, m_tail.pos + m_tail.len);
}

void TScanBuffer::TakeTail()
{
    if (m_text.size() > m_tail.pos + m_tail.len)
        TruncateStorage(m_tail.pos + m_tail.len);
    m_begin = m_tail.pos;
    ++m_version;
    Trim();
}

void TScanBuffer::Rebuild(std::string_view head, std::string_view middle)
{
    if (m_matchVersion == m_version && m_tail.where == TTail::Live && m_tail.pos >= head.size() + middle.size()) {
        // Buf still is #0 #1 #2 as the match left it: middle takes the match's place, head
        // moves up to it over text already consumed, and #2 stays where it is.
        const std::size_t begin = m_tail.pos - head.size() - middle.size();
        std::copy(head.begin(), head.end(), m_text.begin() + static_cast<std::ptrdiff_t>(begin));
        std::copy(middle.begin(), middle.end(), m_text.begin() + static_cast<std::ptrdiff_t>(begin + head.size()));
        m_begin = begin;
        if (m_tagClearTo + 1 >= begin && m_tagClearFrom < m_tail.pos)
            m_tagClearFrom = m_tagClearTo = m_tail.pos;
        ++m_version;
    } else {
        const std::string_view tail = Tail();
        const std::size_t room = 64 + (head.size() + middle.size() + tail.size()) / 2;
        std::string text(room, ' ');
        text.append(head).append(middle).append(tail);
        const std::size_t tailLen = tail.size();
        Set(std::move(text), room);
        m_tail.where = TTail::Live;
        m_tail.pos = m_text.size() - tailLen;
        m_tail.len = tailLen;
    }
    m_matchVersion = m_version;
}

void TScanBuffer::CutBackTo(std::size_t endMark) { TruncateStorage(endMark); }

TScanBuffer::TSaved TScanBuffer::Save() const
{
    TSaved saved{m_begin, m_text.size(), std::nullopt};
    if (m_begin < m_text.size() && IsBlank(m_text.back()))
        saved.text.emplace(Text());
    return saved;
}

void TScanBuffer::Restore(TSaved saved)
{
    if (saved.text) {
        Set(std::move(*saved.text));
        return;
    }
    TruncateStorage(saved.end);
    m_begin = saved.begin;
    ++m_version;
}

void TScanBuffer::Trim()
{
    std::size_t end = m_text.size();
    while (end > m_begin && IsBlank(m_text[end - 1]))
        --end;
    std::size_t begin = m_begin;
    while (begin < end && IsBlank(m_text[begin]))
        ++begin;
    if (end < m_text.size())
        TruncateStorage(end);
    if (begin != m_begin) {
        m_begin = begin;
        ++m_version;
    }
}

void TScanBuffer::TruncateStorage(std::size_t size)
{
    if (m_tail.where == TTail::Live && m_tail.pos + m_tail.len > size) {
        m_tail.own.assign(Tail());
        m_tail.where = TTail::Own;
    }
    m_text.resize(size);
    // A "#" at the new end may pair with a digit appended later.
    m_tagClearTo = std::min(m_tagClearTo, size > 0 ? size - 1 : 0);
    m_tagClearFrom = std::min(m_tagClearFrom, m_tagClearTo);
    ++m_version;
}

// Whether a "#3" to "#9" starts in the storage between from and to - 1. Known clear ranges
// are remembered, so consuming a long buffer piece by piece reads it once.
bool TScanBuffer::HasTag(std::size_t from, std::size_t to)
{
    if (to < from + 2)
        return false;
    const std::size_t last = to - 1; // a tag starts before this
    if (from < m_tagClearFrom || from > m_tagClearTo)
        m_tagClearFrom = m_tagClearTo = from;
    while (m_tagClearTo < last) {
        const auto* hit = static_cast<const char*>(std::memchr(m_text.data() + m_tagClearTo, '#', last - m_tagClearTo));
        if (!hit) {
            m_tagClearTo = last;
            break;
        }
        const auto at = static_cast<std::size_t>(hit - m_text.data());
        if (m_text[at + 1] >= '3' && m_text[at + 1] <= '9') {
            m_tagClearTo = at;
            return true;
        }
        m_tagClearTo = at + 1;
    }
    return false;
}
