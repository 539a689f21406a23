#pragma once
// The about box: the program icon, its name and version, and a Close button.
// Shown modally by the main window and destroyed when closed.

#include <QDialog>

class TFormAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget* parent = nullptr);
};
