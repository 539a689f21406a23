#include "search/core/KeywordHistory.h"

#include <algorithm>

TLines RememberKeyword(TLines history, const std::string& keyword, std::size_t max)
{
    if (keyword.empty())
        return history;
    history.erase(std::remove(history.begin(), history.end(), keyword), history.end());
    history.insert(history.begin(), keyword);
    if (history.size() > max)
        history.resize(max);
    return history;
}
