#pragma once
// The Folders dialog: the two folder lists of the settings the outline looks in, the
// include folders (INCLUDE_PATH: where {$I name} files are looked for after the including
// file's own folder) and the source folders (SOURCE_PATH: where a unit of a uses clause is
// looked for after the current file's folder). Both are written on OK. Created by the main
// window each time its Folders action runs; GUI thread.

#include <QDialog>

#include <string>

class QListWidget;
class QPushButton;
class TConfig;

class TFormFolders : public QDialog {
    Q_OBJECT
public:
    TFormFolders(TConfig& config, QWidget* parent = nullptr);

    QListWidget* IncludeList;
    QListWidget* SourceList;
    QPushButton* ButtonOK;

protected:
    // The folder the user picks to add; empty when cancelled. Overridable for tests.
    virtual QString ChooseFolder(const QString& caption);

private:
    // A list with its Add and Remove buttons under a caption.
    QWidget* MakeListBox(const QString& caption, QListWidget*& list);
    void ButtonOKClick();

    TConfig& m_config;
};
