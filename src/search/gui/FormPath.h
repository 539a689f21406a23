#pragma once
// The folder dialog of the search window: a tree of the file system's folders from
// the root down, with OK and Cancel. Created once by the search window and kept.
// GUI thread only.

#include <QDialog>

class QFileSystemModel;
class QPushButton;
class QTreeView;

class TFormPath : public QDialog {
    Q_OBJECT
public:
    explicit TFormPath(QWidget* parent = nullptr);

    // Selects the folder in the tree, opening its parents, and scrolls it into view.
    void SelectPath(const QString& path);
    // The path of the folder selected in the tree; the empty text when none is.
    QString SelectedPath() const;

    QTreeView* ShellTreeView1 = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    // Opens the folders above the selected one and scrolls it into view; run again as
    // the background listing fills the tree in.
    void RevealSelection();

    QFileSystemModel* m_model = nullptr;
};
