#include "search/gui/FormPath.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

TFormPath::TFormPath(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Directories :");
    setObjectName("FormPath");

    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_model->setReadOnly(true);
    m_model->setRootPath(QDir::rootPath());

    ShellTreeView1 = new QTreeView(this);
    ShellTreeView1->setObjectName("ShellTreeView1");
    ShellTreeView1->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        ShellTreeView1->hideColumn(column);
    ShellTreeView1->setHeaderHidden(true);
    ShellTreeView1->setRootIsDecorated(false);
    ShellTreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ShellTreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ShellTreeView1->expand(m_model->index(QDir::rootPath()));
    // Folders are listed in the background: keep the selected folder in view as the
    // folders above it fill in.
    connect(m_model, &QFileSystemModel::directoryLoaded, this, &TFormPath::RevealSelection);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& parent) {
        // Rows that arrive above the selected folder push it down: bring it back into view.
        for (QModelIndex p = ShellTreeView1->currentIndex().parent(); p.isValid(); p = p.parent()) {
            if (p == parent) {
                QTimer::singleShot(0, this, &TFormPath::RevealSelection);
                return;
            }
        }
    });

    ButtonOK = new QPushButton("&OK", this);
    ButtonOK->setObjectName("ButtonOK");
    ButtonOK->setDefault(true);
    ButtonCancel = new QPushButton("&Cancel", this);
    ButtonCancel->setObjectName("ButtonCancel");
    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ShellTreeView1, &QTreeView::doubleClicked, this, [this] { ShellTreeView1->setExpanded(ShellTreeView1->currentIndex(), true); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOK);
    buttons->addWidget(ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ShellTreeView1);
    layout->addLayout(buttons);
    setFixedSize(238, 332);
}

void TFormPath::SelectPath(const QString& path)
{
    const QModelIndex index = m_model->index(QDir::cleanPath(path));
    if (!index.isValid())
        return;
    ShellTreeView1->setCurrentIndex(index);
    RevealSelection();
}

void TFormPath::RevealSelection()
{
    const QModelIndex index = ShellTreeView1->currentIndex();
    if (!index.isValid())
        return;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        ShellTreeView1->expand(parent);
    ShellTreeView1->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

QString TFormPath::SelectedPath() const
{
    const QModelIndexList selected = ShellTreeView1->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QString() : m_model->filePath(selected.first());
}

void TFormPath::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
    RevealSelection();
}

void TFormPath::FormShow()
{
    if (parentWidget())
        setFont(parentWidget()->font());
}
