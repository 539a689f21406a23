#pragma once
// The keywords searched last, newest first: the list of the search window's keyword
// field, kept in the settings. Plain core code.

#include "scan/TextFields.h"

#include <cstddef>
#include <string>

inline constexpr std::size_t kKeywordHistoryMax = 20;

// history with keyword put first: an equal entry further down (letter case counts, as
// "Integer" and "integer" are different searches) leaves its place, and the oldest
// entries beyond max drop off. An empty keyword changes nothing.
TLines RememberKeyword(TLines history, const std::string& keyword, std::size_t max = kKeywordHistoryMax);
