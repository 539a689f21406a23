#pragma once
// The rules' texts beside the buffer: the ten macros #0 to #9 and their expansion, and
// the picked-up texts that M commands hide behind placeholders and the records show again.

#include "scan/ScanBudget.h"
#include "scan/ScanBuffer.h"
#include "scan/TextFields.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// #0, #1 and #2 hold the text before the last match, the match and the text after it (#2
// is the buffer's tail); #3 to #9 are set by the rules. Expansions count against the
// scan's budget.
class TMacros {
public:
    TMacros(const TScanBuffer& buffer, TScanBudget& budget);

    // Every macro empty, for a new scan.
    void Clear();
    std::string_view Text(int n) const
    {
        return n == 2 ? m_buffer.Tail() : std::string_view(m_texts[static_cast<std::size_t>(n)]);
    }
    // #0 and #1 of a match (the buffer keeps #2).
    void SetMatch(std::string_view head, std::string_view match)
    {
        m_texts[0].assign(head);
        m_texts[1].assign(match);
    }
    // Sets #n for n other than 2.
    void Set(int n, std::string text) { m_texts[static_cast<std::size_t>(n)] = std::move(text); }
    // Replaces "#0" to "#9", in that order, each over the text the earlier ones made.
    std::string Expand(std::string_view text);
    // Whether each of #3 to #9 holds its own name ("#3" for #3) and nothing else, so that
    // expanding a text with no other tags in it leaves it as it is.
    bool TagsStandForThemselves() const;

private:
    const TScanBuffer& m_buffer;
    TScanBudget& m_budget;
    std::array<std::string, 10> m_texts; // #2 unused
};

// The picked-up texts of a scan, each behind its placeholder: "_", a marker character, its
// index and "_" ("_!0_").
class TPickups {
public:
    static constexpr std::size_t kMaxPickups = 1u << 20;
    static constexpr int kMaxDepth = 64;

    explicit TPickups(TScanBudget& budget) : m_budget(budget) {}

    // No picked-up texts (a new scan, or CLRMACRO).
    void Clear() { m_texts.clear(); }
    // Keeps text and returns the placeholder that stands for it.
    std::string Add(std::string_view text, char marker);
    // Replaces every placeholder in the lines by its picked-up text, itself expanded. Each
    // picked-up text is expanded once; one that holds itself (possible after CLRMACRO) or
    // lies more than kMaxDepth deep is left as it stands. A line that would grow past the
    // size cap stays as it was, and onLimit is told. A placeholder without a picked-up text
    // (cleared by CLRMACRO, or written by the rules) throws TScanError: the records would
    // show the marker instead of the source text.
    void ExpandAll(TLines& lines, const std::function<void(const TScanLimit&)>& onLimit);

private:
    void AppendExpanded(std::string& out, std::string_view text, int depth);

    TScanBudget& m_budget;
    TLines m_texts;
    // While ExpandAll runs: each picked-up text expanded so far, and those being expanded.
    std::vector<std::optional<std::string>> m_expanded;
    std::vector<bool> m_expanding;
};
