#pragma once
// The program's own pictures, drawn in code so that they are crisp at every size:
// the outline icons 0 to 3 (3 is the container icon) with pixmaps at 16, 20 and 32
// pixels and the ten action images at 32 pixels; and the application icon, the
// picture the desktop shows for the program (desktop/quillane.png).

#include <QIcon>

#include <vector>

inline constexpr int kOutlineIconCount = 4;
inline constexpr int kActionImageCount = 10;

// Outline icon n: 0 a unit, section or other declaration, 1 a routine, 2 a constant,
// variable, field or property, 3 a container.
QIcon OutlineIcon(int n);
std::vector<QIcon> OutlineIcons();
// Action image n: 0 open, 1 previous, 2 next, 3 up, 4 previous file, 5 next file,
// 6 help, 7 search, 8 explore, 9 export.
QIcon ActionImage(int n);
// The application icon, for the windows and the about box.
QIcon ProgramIcon();
// The Shell page's pictures of a folder and of a source file.
QIcon ShellFolderIcon();
QIcon ShellFileIcon();
