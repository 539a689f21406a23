#include "scan/SourceLines.h"

#include "scan/RuleFault.h"

#include <algorithm>
#include <vector>

void TSourceLines::Start(TLines codes)
{
    m_codes = std::move(codes);
    m_comments.assign(m_codes.size(), std::string());
    m_index = 0;
    m_readThrough = 0;
    m_atEnd = false;
    m_separator = " ";
}

void TSourceLines::Clear()
{
    m_codes.clear();
    m_comments.clear();
    m_index = 0;
    m_readThrough = 0;
    m_atEnd = false;
    m_separator = " ";
}

std::string& TSourceLines::LineAt(TLines& lines, const char* what)
{
    if (m_index < 0 || static_cast<std::size_t>(m_index) >= lines.size())
        throw TScanError(std::string("no ") + what + " line " + std::to_string(m_index));
    return lines[static_cast<std::size_t>(m_index)];
}

void TSourceLines::StartCycle()
{
    m_index = 0;
    m_readThrough = 0;
    m_atEnd = false;
    if (m_codes.empty())
        throw TScanError("the source has no lines");
    m_buffer.Set(std::move(m_codes[0]));
    m_codes[0].clear();
}

int TSourceLines::NextLine(int line) const
{
    const int last = static_cast<int>(m_codes.size()) - 1;
    int next = line + 1;
    while (m_codes[static_cast<std::size_t>(next)].empty() && next < last)
        ++next;
    return next;
}

bool TSourceLines::RoomFor(int line) const
{
    return m_buffer.Text().size() + m_separator.size() + m_codes[static_cast<std::size_t>(line)].size() <=
           TScanBudget::kMaxTextSize;
}

bool TSourceLines::ReadNext()
{
    if (m_index >= static_cast<int>(m_codes.size()) - 1) {
        m_atEnd = true;
        return true;
    }
    m_index = NextLine(m_index);
    m_readThrough = m_index;
    const bool room = RoomFor(m_index);
    if (!room)
        m_buffer.Set({});
    std::string& line = m_codes[static_cast<std::size_t>(m_index)];
    m_buffer.DropConsumed();
    m_buffer.Join(m_separator, line);
    line.clear();
    m_guard.LinesRead(1);
    return room;
}

// Each search starts where a match can start at the earliest: the matcher tells from
// which point the pattern still reached the end of the buffer, and no match can start
// before it however many lines follow. A pattern that has to read the buffer from its
// start every time would still take time in the square of the lines joined; when the
// searching outgrows the buffer by far, lines are joined in runs that double, and the
// first line at which the pattern matches is found by halving the last run.
void TSourceLines::Rematch(TRegex& regex, const std::stop_token& stop)
{
    TScanBuffer::TSaved kept = m_buffer.Save();
    const int keptLine = m_index;
    const int last = static_cast<int>(m_codes.size()) - 1;
    struct TJoin {
        int line;
        std::size_t end; // the buffer's end mark after the join
    };
    std::vector<TJoin> joins;
    std::size_t from = 0;     // in Buf: where a match can start at the earliest
    std::size_t searched = 0; // bytes searched so far
    std::size_t run = 1;      // lines joined between two searches
    std::size_t probed = 0;   // joins before the last search that failed
    bool found = false;
    for (;;) {
        if (stop.stop_requested())
            throw TScanStopped();
        const std::string_view buf = m_buffer.Text();
        if (regex.Search(buf, from)) {
            found = true;
            break;
        }
        searched += buf.size() - std::min(from, buf.size());
        from = regex.EarliestStart(buf, from);
        probed = joins.size();
        if (!joins.empty() && !buf.empty() && searched > 8 * buf.size() + (1u << 20))
            run = std::min<std::size_t>(run * 2, 1u << 16);
        for (std::size_t n = 0; n < run && m_index < last; ++n) {
            const int next = NextLine(m_index);
            if (!RoomFor(next))
                break;
            m_index = next;
            m_buffer.Join(m_separator, m_codes[static_cast<std::size_t>(next)]);
            joins.push_back({next, m_buffer.EndMark()});
        }
        if (joins.size() == probed)
            break; // nothing more to read
    }
    if (found && joins.size() > probed + 1) {
        // The first join of the last run at which the pattern matches (a later join only
        // adds text, so the matches continue from there).
        std::size_t fails = probed, matches = joins.size();
        while (matches - fails > 1) {
            const std::size_t mid = fails + (matches - fails) / 2;
            (regex.Search(m_buffer.TextUpTo(joins[mid - 1].end), from) ? matches : fails) = mid;
        }
        m_buffer.CutBackTo(joins[matches - 1].end);
        joins.resize(matches);
        m_index = joins.back().line;
        regex.Search(m_buffer.Text(), from);
    }
    for (const auto& join : joins)
        m_codes[static_cast<std::size_t>(join.line)].clear();
    if (!joins.empty())
        m_readThrough = std::max(m_readThrough, joins.back().line);
    m_guard.LinesRead(static_cast<long>(joins.size()));
    if (!found) {
        // Give up: the buffer as it was; the lines read stay consumed, and reading goes on
        // after the kept line, within the source.
        m_buffer.Restore(std::move(kept));
        m_index = std::max(0, std::min(keptLine + 1, last));
    }
}

TLines TSourceLines::CommentBlockAt(int n) const
{
    TLines block;
    if (m_codes.empty() || n < 0 || static_cast<std::size_t>(n) >= m_codes.size())
        return block;
    if (n == 0) {
        for (std::size_t i = 0; i < m_codes.size() && m_codes[i].empty(); ++i)
            block.push_back(m_comments[i]);
    } else {
        for (int i = n; i >= 0 && m_codes[static_cast<std::size_t>(i)].empty(); --i)
            block.push_back(m_comments[static_cast<std::size_t>(i)]);
        std::reverse(block.begin(), block.end());
    }
    return block;
}
