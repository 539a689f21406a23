#include "dialogs/FormAbout.h"

#include "config/AppPaths.h"
#include "widgets/OutlineImages.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace {

constexpr int kWidth = 394;
constexpr int kHeight = 196;
constexpr int kMargin = 16;

} // namespace

TFormAbout::TFormAbout(const TAppPaths& paths, QWidget* parent) : QDialog(parent)
{
    setObjectName("FormAbout");
    setWindowTitle("About");
    setWindowFlags((windowFlags() | Qt::WindowStaysOnTopHint) & ~Qt::WindowContextHelpButtonHint);
    QFont bold = font();
    bold.setBold(true);
    bold.setPixelSize(13);
    setFont(bold);

    auto* icon = new QLabel(this);
    icon->setObjectName("Icon");
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    icon->setGeometry(kMargin, kMargin, 32, 32);

    auto* name = new QLabel("Quillane version 1.1", this);
    name->setObjectName("Version");
    name->setGeometry(64, kMargin, 310, 16);
    auto* licence = new QLabel("Copyright 2026 Quillane developers. MIT licence.", this);
    licence->setObjectName("Licence");
    licence->setGeometry(64, kMargin + 16, 310, 16);

    // The places, one per line, in the regular weight; the box widens for long paths.
    const bool beside = paths.writePlace == TAppPaths::TWritePlace::BesideProgram;
    const QString text =
        QString("%1\nData: %2\nSettings: %3\nTrace log: %4\nExports: %5")
            .arg(beside ? "Settings, trace log and exports are kept beside the program."
                        : "Settings, trace log and exports are kept in your user folders.",
                 QString::fromStdString(paths.dataFolder), QString::fromStdString(paths.settingsFile),
                 QString::fromStdString(paths.logFile), QString::fromStdString(paths.exportFolder));
    auto* places = new QLabel(text, this);
    places->setObjectName("Places");
    places->setTextFormat(Qt::PlainText);
    QFont regular = bold;
    regular.setBold(false);
    regular.setPixelSize(12);
    licence->setFont(regular);
    places->setFont(regular);
    places->setTextInteractionFlags(Qt::TextSelectableByMouse);
    const QSize placesSize = places->sizeHint();
    const int width = std::max(kWidth, placesSize.width() + 2 * kMargin);
    places->setGeometry(kMargin, 64, width - 2 * kMargin, placesSize.height());
    const int height = std::max(kHeight, 64 + placesSize.height() + 64);
    setFixedSize(width, height);

    auto* close = new QPushButton("Close", this);
    close->setObjectName("Close");
    close->setDefault(true);
    close->setGeometry((width - 88) / 2, height - 48, 88, 30);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}
