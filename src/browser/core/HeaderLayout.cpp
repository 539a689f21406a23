#include "browser/core/HeaderLayout.h"

#include "scan/TextFields.h"

int FieldSubItem(std::string_view layout, char letter)
{
    const std::size_t pos = layout.find(letter);
    if (pos == std::string_view::npos || pos == 0)
        return -1;
    return static_cast<int>(pos) - 1;
}

bool IsCompleteLayout(std::string_view layout)
{
    for (char letter : std::string_view("DCTL")) {
        if (FieldSubItem(layout, letter) < 0)
            return false;
    }
    return true;
}

std::string CaptionOfLetter(char letter)
{
    switch (letter) {
    case 'C': return "Comment";
    case 'D': return "Declaration";
    case 'L': return "Line";
    case 'T': return "Type";
    default: return {};
    }
}

std::vector<std::string> OutlineSubTexts(std::string_view layout, const std::string& line,
                                         const std::string& type, const std::string& declaration,
                                         const std::string& comment)
{
    std::vector<std::string> texts;
    for (std::size_t p = 1; p < layout.size(); ++p) {
        switch (layout[p]) {
        case 'C': texts.push_back(comment); break;
        case 'D': texts.push_back(declaration); break;
        case 'L': texts.push_back(line); break;
        case 'T': texts.push_back(type); break;
        default: break;
        }
    }
    return texts;
}

std::string ParentDecoration(const std::string& text)
{
    return "..< " + text + " >";
}

namespace {

char LetterOfCaption(const std::string& caption)
{
    return caption.empty() ? ' ' : UpperCase(caption.substr(0, 1))[0];
}

} // namespace

std::vector<int> LayoutPositions(const std::vector<std::string>& captionsInViewOrder)
{
    std::vector<int> positions;
    for (std::size_t p = 0; p < captionsInViewOrder.size(); ++p)
        positions.push_back(static_cast<int>(p));
    for (std::size_t p = 1; p < captionsInViewOrder.size(); ++p) {
        if (LetterOfCaption(captionsInViewOrder[p]) == ' ') {
            positions[0] = static_cast<int>(p);
            positions[p] = 0;
            break;
        }
    }
    return positions;
}
