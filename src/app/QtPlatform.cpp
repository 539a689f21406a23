#include "app/QtPlatform.h"

#include "platform/HelpViewer.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

// What the exit status of xdg-open says.
std::string OpenerFailure(int status)
{
    switch (status) {
    case 2: return "it does not exist";
    case 3: return "no program is set to open it";
    case 4: return "the program that opens it failed";
    default: return "the desktop's opener xdg-open ended with status " + std::to_string(status);
    }
}

} // namespace

TQtPlatform::TQtPlatform(std::string programFolder) : m_programFolder(std::move(programFolder)) {}

TQtPlatform::~TQtPlatform()
{
    // An opener still running waits for the program it started (where the desktop has no
    // launcher of its own): that program goes on, unheard.
    for (auto* opener : m_openers.findChildren<QProcess*>()) {
        opener->disconnect();
        opener->kill();
        opener->waitForFinished(1000);
    }
}

void TQtPlatform::OpenInShell(const std::string& target, TShellFailed onFailure)
{
    const QString text = QString::fromStdString(target);
    QUrl url(text);
    // A local path opens as a file; an address with a scheme (https:, mailto:) as it is;
    // a bare mail address as a mail to it.
    if (text.startsWith('/') || url.scheme().isEmpty()) {
        url = text.contains('@') && !text.startsWith('/') ? QUrl("mailto:" + text)
                                                          : QUrl::fromLocalFile(text);
    }
    // xdg-open tells by its exit status whether a program took the request; the desktop
    // services only tell whether an opener started.
    const QString opener = QStandardPaths::findExecutable("xdg-open");
    if (opener.isEmpty()) {
        if (!QDesktopServices::openUrl(url))
            onFailure("no program to open it was found");
        return;
    }
    auto* process = new QProcess(&m_openers);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process,
                     [process, onFailure](int status, QProcess::ExitStatus exit) {
                         if (exit != QProcess::NormalExit || status != 0)
                             onFailure(exit == QProcess::NormalExit ? OpenerFailure(status)
                                                                    : "the desktop's opener xdg-open crashed");
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, onFailure](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        onFailure("the desktop's opener xdg-open cannot be started");
        process->deleteLater();
    });
    process->start(opener, {url.isLocalFile() ? url.toLocalFile() : url.toString()});
}

bool TQtPlatform::ShowHelp(const std::string& topic)
{
    if (!m_help)
        m_help = std::make_unique<THelpViewer>(m_programFolder + "help/");
    return m_help->ShowTopic(topic);
}

void TQtPlatform::ShowMessage(const std::string& text, const std::string& caption)
{
    QMessageBox box(QMessageBox::Information, QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool TQtPlatform::Confirm(const std::string& text, const std::string& caption)
{
    QMessageBox box(QMessageBox::Question, QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void TQtPlatform::SetClipboardText(const std::string& text)
{
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}
