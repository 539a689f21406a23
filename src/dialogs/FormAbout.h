#pragma once
// The about box: the program icon, its name and version, the places the program reads
// its data from and writes its settings, trace log and exports to, and a Close button.
// Shown modally by the main window and destroyed when closed.

#include <QDialog>

struct TAppPaths;

class TFormAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFormAbout(const TAppPaths& paths, QWidget* parent = nullptr);
};
