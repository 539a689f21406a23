#include "dialogs/FormFolders.h"

#include "config/Config.h"
#include "config/SettingsKeys.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

void Fill(QListWidget* list, const TLines& folders)
{
    for (const auto& folder : folders)
        list->addItem(QString::fromStdString(folder));
}

TLines Items(const QListWidget* list)
{
    TLines folders;
    for (int i = 0; i < list->count(); ++i)
        folders.push_back(list->item(i)->text().toStdString());
    return folders;
}

} // namespace

TFormFolders::TFormFolders(TConfig& config, QWidget* parent) : QDialog(parent), m_config(config)
{
    setObjectName("FormFolders");
    setWindowTitle("Folders");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeListBox("Include folders: where {$I name} files are looked for "
                                  "after the including file's folder",
                                  IncludeList));
    layout->addWidget(MakeListBox("Source folders: where a used unit is looked for after the "
                                  "current file's folder",
                                  SourceList));
    IncludeList->setObjectName("IncludeList");
    SourceList->setObjectName("SourceList");
    Fill(IncludeList, m_config.ReadList(kIncludePath));
    Fill(SourceList, m_config.ReadList(kSourcePath));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ButtonOK = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &TFormFolders::ButtonOKClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(520, 400);
}

QWidget* TFormFolders::MakeListBox(const QString& caption, QListWidget*& list)
{
    auto* box = new QGroupBox(caption, this);
    list = new QListWidget(box);
    auto* add = new QPushButton("Add...", box);
    auto* remove = new QPushButton("Remove", box);
    auto* side = new QVBoxLayout;
    side->addWidget(add);
    side->addWidget(remove);
    side->addStretch();
    auto* row = new QHBoxLayout(box);
    row->addWidget(list);
    row->addLayout(side);
    QListWidget* target = list;
    connect(add, &QPushButton::clicked, this, [this, target, caption] {
        const QString folder = ChooseFolder(caption);
        if (!folder.isEmpty() && target->findItems(folder, Qt::MatchExactly).isEmpty())
            target->addItem(folder);
    });
    connect(remove, &QPushButton::clicked, this, [target] { delete target->currentItem(); });
    return box;
}

QString TFormFolders::ChooseFolder(const QString& caption)
{
    return QFileDialog::getExistingDirectory(this, caption, QDir::homePath());
}

void TFormFolders::ButtonOKClick()
{
    m_config.WriteList(kIncludePath, Items(IncludeList));
    m_config.WriteList(kSourcePath, Items(SourceList));
    accept();
}
