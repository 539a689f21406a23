#include "browser/ShellList.h"

#include "widgets/OutlineImages.h"

#include <QAbstractFileIconProvider>
#include <QDir>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QSortFilterProxyModel>

namespace {

// Folders first, then by name ignoring case; the view and ListFolder use the same rule,
// so stepping through files follows what the user sees.
bool ShellLess(bool leftFolder, const QString& leftName, bool rightFolder, const QString& rightName)
{
    if (leftFolder != rightFolder)
        return leftFolder;
    const int c = QString::compare(leftName, rightName, Qt::CaseInsensitive);
    if (c != 0)
        return c < 0;
    return leftName < rightName;
}

class TShellOrder : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override
    {
        const auto* model = static_cast<const QFileSystemModel*>(sourceModel());
        return ShellLess(model->isDir(left), model->fileName(left), model->isDir(right),
                         model->fileName(right));
    }
};

// The folder as the outline browser names it, so both agree on what is shown.
QString FolderPath(const std::string& folder)
{
    return QString::fromStdString(CleanFolder(folder));
}

} // namespace

// The program's own pictures for folders and source files, the same on every desktop. The
// model's gatherer thread asks for them too: it only copies icons made beforehand.
class TShellList::TIcons : public QAbstractFileIconProvider {
public:
    QIcon icon(IconType type) const override { return type == File ? m_file : m_folder; }
    QIcon icon(const QFileInfo& info) const override { return info.isDir() ? m_folder : m_file; }

private:
    const QIcon m_folder = ShellFolderIcon();
    const QIcon m_file = ShellFileIcon();
};

TShellList::TShellList(const TLines& namePatterns, QWidget* parent)
    : QListView(parent), m_icons(std::make_unique<TIcons>()), m_model(new QFileSystemModel(this)),
      m_proxy(new TShellOrder(this))
{
    for (const auto& pattern : namePatterns)
        m_nameFilters << QString::fromStdString(pattern);
    m_model->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    m_model->setNameFilters(m_nameFilters);
    m_model->setNameFilterDisables(false);
    m_model->setReadOnly(true);
    m_model->setIconProvider(m_icons.get());
    m_proxy->setSourceModel(m_model);
    m_proxy->setDynamicSortFilter(true);
    m_proxy->sort(0);
    setModel(m_proxy);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setIconSize(QSize(20, 20));
    connect(this, &QListView::clicked, this,
            [this](const QModelIndex& index) { emit ItemClicked(PathOf(index)); });
    connect(this, &QListView::doubleClicked, this, &TShellList::Activate);
    // A row the user makes current stays current; until then the first row is, also while
    // the listing fills in and is sorted.
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        if (!m_settingCurrent)
            m_firstRowCurrent = false;
    });
    connect(m_proxy, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& parent) {
        if (m_firstRowCurrent && parent == rootIndex())
            MakeCurrent(m_proxy->index(0, 0, rootIndex()));
    });
    connect(m_proxy, &QAbstractItemModel::layoutChanged, this, [this] {
        if (m_firstRowCurrent)
            MakeCurrent(m_proxy->index(0, 0, rootIndex()));
    });
    connect(m_model, &QFileSystemModel::directoryLoaded, this, [this](const QString& path) {
        if (path == m_folder && currentIndex().isValid())
            scrollTo(currentIndex());
    });
    SetFolder(QDir::homePath().toStdString());
}

TShellList::~TShellList()
{
    // The model and its gatherer thread go before the icons they use.
    setModel(nullptr);
    delete m_proxy;
    delete m_model;
}

void TShellList::SetFolder(const std::string& folder)
{
    const QString path = FolderPath(folder);
    const bool changed = path != m_folder;
    m_folder = path;
    const QModelIndex source = m_model->setRootPath(path);
    setRootIndex(m_proxy->mapFromSource(source));
    if (changed) {
        // The row current before belongs to another folder: Enter must not reach it.
        m_firstRowCurrent = true;
        MakeCurrent(m_proxy->index(0, 0, rootIndex()));
        emit FolderChanged(path);
    }
}

void TShellList::MakeCurrent(const QModelIndex& index)
{
    m_settingCurrent = true;
    if (index.isValid()) {
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        scrollTo(index);
    } else {
        selectionModel()->clear();
    }
    m_settingCurrent = false;
}

std::string TShellList::Folder() const
{
    return m_folder.toStdString();
}

QString TShellList::PathOf(const QModelIndex& viewIndex) const
{
    if (!viewIndex.isValid())
        return {};
    return m_model->filePath(m_proxy->mapToSource(viewIndex));
}

std::string TShellList::SelectedPath() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? std::string() : PathOf(selected.first()).toStdString();
}

void TShellList::SelectPath(const std::string& path)
{
    const QModelIndex source = m_model->index(QString::fromStdString(path));
    const QModelIndex index = m_proxy->mapFromSource(source);
    if (index.isValid() && index.parent() == rootIndex()) {
        m_firstRowCurrent = false;
        MakeCurrent(index);
    }
}

std::vector<TFolderItem> TShellList::ListFolder(const std::string& folder) const
{
    QDir dir(FolderPath(folder));
    const QFileInfoList folders =
        dir.entryInfoList(QDir::AllDirs | QDir::NoDotAndDotDot, QDir::NoSort);
    const QFileInfoList files = dir.entryInfoList(m_nameFilters, QDir::Files, QDir::NoSort);
    QFileInfoList all = folders + files;
    std::stable_sort(all.begin(), all.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return ShellLess(a.isDir(), a.fileName(), b.isDir(), b.fileName());
    });
    std::vector<TFolderItem> items;
    for (const QFileInfo& info : all)
        items.push_back({info.absoluteFilePath().toStdString(), info.isDir()});
    return items;
}

void TShellList::Activate(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    const QModelIndex source = m_proxy->mapToSource(index);
    const QString path = m_model->filePath(source);
    const bool folder = m_model->isDir(source);
    if (folder)
        SetFolder(path.toStdString());
    emit ItemDoubleClicked(path, folder);
}

void TShellList::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        currentIndex().isValid()) {
        Activate(currentIndex());
        return;
    }
    QListView::keyPressEvent(event);
}
