#include "dialogs/FormAbout.h"

#include "browser/OutlineImages.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormAbout");
    setWindowTitle("About");
    setWindowFlags((windowFlags() | Qt::WindowStaysOnTopHint) & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(394, 196);
    QFont bold = font();
    bold.setBold(true);
    bold.setPixelSize(13);
    setFont(bold);

    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    icon->setGeometry(16, 16, 32, 32);

    auto* name = new QLabel("Quillane version 1.1", this);
    name->setObjectName("Version");
    name->setGeometry(64, 16, 310, 32);

    auto* close = new QPushButton("Close", this);
    close->setObjectName("Close");
    close->setDefault(true);
    close->setGeometry((394 - 88) / 2, 196 - 48, 88, 30);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}
