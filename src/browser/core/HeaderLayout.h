#pragma once
// The column layout string of the outline list and the field lookup through it:
// position 1 (index 0) stands for column 0, the icon column, and holds a blank;
// every later position names the field its column shows, "D" Declaration, "C"
// Comment, "T" Type, "L" Line. Rows, sorting, copying and exporting all find a
// field's column here. Plain functions; no widgets.

#include <string>
#include <string_view>
#include <vector>

// A blank followed by D, C, T, L: the columns in their built-in order.
inline constexpr std::string_view kBuiltInLayout = " DCTL";

// The 0-based sub-text number of field letter in a row: its position in the layout, from 1,
// minus 2; the first occurrence counts. -1 when the layout does not name the field (or
// names it only at the icon column's position).
int FieldSubItem(std::string_view layout, char letter);
// True when the layout names each of D, C, T and L at a column after the icon column.
bool IsCompleteLayout(std::string_view layout);
// The caption a layout letter gives its column ("Declaration"...); empty for any other character.
std::string CaptionOfLetter(char letter);

// The sub-texts of one outline row in the layout's order: for each position from 2, the
// field its letter names; a character that names no field adds nothing.
std::vector<std::string> OutlineSubTexts(std::string_view layout, const std::string& line,
                                         const std::string& type, const std::string& declaration,
                                         const std::string& comment);
// "..< %s >": how the parent row shows its declaration, type and line.
std::string ParentDecoration(const std::string& text);

// For each on-screen column (captions in on-screen order), the 0-based position it takes in
// the layout stored: its own, except that the icon column (the first blank caption after
// position 1) takes position 0 and the column that stood first takes the icon column's
// place. A column's letter, its stored width and the stored sort column follow it there,
// so they name the same field after a restart.
std::vector<int> LayoutPositions(const std::vector<std::string>& captionsInViewOrder);
