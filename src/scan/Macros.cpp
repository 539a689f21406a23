#include "scan/Macros.h"

#include "scan/SourceText.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace {

// The digits d from first to 9 for which "#d" occurs in text, as bits 1 << d.
unsigned TagsIn(std::string_view text, int first)
{
    unsigned tags = 0;
    for (std::size_t at = text.find('#'); at != std::string_view::npos && at + 1 < text.size();
         at = text.find('#', at + 1)) {
        const char d = text[at + 1];
        if (d >= '0' + first && d <= '9')
            tags |= 1u << (d - '0');
    }
    return tags;
}

} // namespace

TMacros::TMacros(const TScanBuffer& buffer, TScanBudget& budget) : m_buffer(buffer), m_budget(budget)
{
    for (auto& text : m_texts)
        text.reserve(1024);
}

void TMacros::Clear()
{
    for (auto& text : m_texts)
        text.clear();
}

// One pass over the text for each macro that occurs in it, and one after each replacement
// to find the tags left (a macro's text may hold tags, or make one with the text around it).
std::string TMacros::Expand(std::string_view text)
{
    std::string result(text);
    std::string next;
    for (unsigned tags = TagsIn(result, 0); tags != 0;) {
        const int n = std::countr_zero(tags);
        const char tagText[2] = {'#', static_cast<char>('0' + n)};
        const std::string_view tag(tagText, 2);
        std::size_t count = 0;
        for (auto pos = result.find(tag); pos != std::string::npos; pos = result.find(tag, pos + 2))
            ++count;
        const std::string_view macro = Text(n);
        TScanBudget::CheckSize(result.size() - 2 * count + count * macro.size(), "a macro expansion");
        next.clear();
        next.reserve(result.size() - 2 * count + count * macro.size());
        std::size_t from = 0;
        for (auto pos = result.find(tag); pos != std::string::npos; pos = result.find(tag, pos + 2)) {
            next.append(result, from, pos - from).append(macro);
            from = pos + 2;
        }
        next.append(result, from);
        m_budget.Expanded(next.size());
        result.swap(next);
        tags = TagsIn(result, n + 1);
    }
    return result;
}

bool TMacros::TagsStandForThemselves() const
{
    for (std::size_t d = 3; d <= 9; ++d) {
        const std::string& text = m_texts[d];
        if (text.size() != 2 || text[0] != '#' || text[1] != static_cast<char>('0' + d))
            return false;
    }
    return true;
}

std::string TPickups::Add(std::string_view text, char marker)
{
    if (m_texts.size() >= kMaxPickups)
        throw TScanError("more than " + std::to_string(kMaxPickups) + " picked-up texts");
    m_budget.Written(text.size() + sizeof(std::string));
    m_texts.emplace_back(text);
    return "_" + std::string(1, marker) + std::to_string(m_texts.size() - 1) + "_";
}

void TPickups::ExpandAll(TLines& lines, const std::function<void(const TScanLimit&)>& onLimit)
{
    m_expanded.assign(m_texts.size(), std::nullopt);
    m_expanding.assign(m_texts.size(), false);
    for (auto& line : lines) {
        if (line.find('_') == std::string::npos)
            continue;
        std::string out;
        try {
            AppendExpanded(out, line, 0);
            line = std::move(out);
        } catch (const TScanLimit& limit) {
            onLimit(limit);
        }
    }
    m_expanded.clear();
    m_expanding.clear();
}

void TPickups::AppendExpanded(std::string& out, std::string_view text, int depth)
{
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find('_', from);
        if (at == std::string_view::npos)
            break;
        std::size_t end = at + 1; // past the placeholder's digits
        std::size_t index = 0;
        bool known = end < text.size() && IsPlaceholderMarker(text[end]);
        if (known) {
            ++end;
            while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
                index = std::min<std::size_t>(index * 10 + static_cast<std::size_t>(text[end] - '0'), SIZE_MAX / 20);
                ++end;
            }
            known = end > at + 2 && end < text.size() && text[end] == '_';
            if (known && index >= m_texts.size())
                throw TScanError("placeholder " + std::string(text.substr(at, end + 1 - at)) +
                                 " has no picked-up text");
        }
        if (!known || m_expanding[index] || (!m_expanded[index] && depth >= kMaxDepth)) {
            out.append(text.substr(from, at + 1 - from));
            from = at + 1;
            continue;
        }
        out.append(text.substr(from, at - from));
        if (!m_expanded[index]) {
            struct TExpanding {
                std::vector<bool>::reference flag;
                explicit TExpanding(std::vector<bool>::reference f) : flag(f) { flag = true; }
                ~TExpanding() { flag = false; }
            } expanding(m_expanding[index]);
            std::string expanded;
            AppendExpanded(expanded, m_texts[index], depth + 1);
            m_expanded[index] = std::move(expanded);
        }
        out += *m_expanded[index];
        TScanBudget::CheckSize(out.size(), "a result line");
        from = end + 1;
    }
    out.append(text.substr(from));
}
