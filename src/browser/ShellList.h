#pragma once
// The folder file list of the Shell page: one folder's sub-folders and its files
// that match the name patterns it is given (the Pascal types of the rule file, "*.pas",
// "*.pp", ...; letter case ignored), folders first, each group by name ignoring case. It
// enters a double-clicked folder itself and never hands a file to another
// program; it only reports the file. A folder shown anew has its first row current,
// or the row chosen with SelectPath. User-interface thread only.

#include "browser/core/OutlineBrowser.h"

#include <QListView>

#include <memory>
#include <string>
#include <vector>

class QFileSystemModel;
class QSortFilterProxyModel;

class TShellList : public QListView {
    Q_OBJECT
public:
    explicit TShellList(const TLines& namePatterns, QWidget* parent = nullptr);
    ~TShellList() override;

    // Shows a folder; a path with a trailing "/" names the same folder.
    void SetFolder(const std::string& folder);
    // The folder shown, without a trailing "/" (the root is "/").
    std::string Folder() const;
    // The selected item's full path; empty when nothing is selected.
    std::string SelectedPath() const;
    // Selects the item with this full path, when the list shows it.
    void SelectPath(const std::string& path);
    // Lists a folder anew, in the order the list shows it.
    std::vector<TFolderItem> ListFolder(const std::string& folder) const;

signals:
    void FolderChanged(const QString& folder);
    // A click on an item (the item is then selected).
    void ItemClicked(const QString& path);
    // A double click, or Enter, on an item; a folder has already been entered.
    void ItemDoubleClicked(const QString& path, bool folder);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Activate(const QModelIndex& index);
    QString PathOf(const QModelIndex& viewIndex) const;
    // Makes the row current and selected, so that it shows, and scrolls to it; none when invalid.
    void MakeCurrent(const QModelIndex& index);

    class TIcons;
    std::unique_ptr<TIcons> m_icons;
    QFileSystemModel* m_model;
    QSortFilterProxyModel* m_proxy;
    QStringList m_nameFilters;
    QString m_folder;
    bool m_firstRowCurrent = false; // the first row is kept current until the user picks one
    bool m_settingCurrent = false;  // the list itself is changing the current row
};
