#include "app/QtPlatform.h"

#include "platform/HelpViewer.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QUrl>

TQtPlatform::TQtPlatform(std::string programFolder) : m_programFolder(std::move(programFolder)) {}

TQtPlatform::~TQtPlatform() = default;

void TQtPlatform::OpenInShell(const std::string& target)
{
    const QString text = QString::fromStdString(target);
    QUrl url(text);
    // A local path opens as a file; an address with a scheme (https:, mailto:) as it is;
    // a bare mail address as a mail to it.
    if (text.startsWith('/') || url.scheme().isEmpty()) {
        url = text.contains('@') && !text.startsWith('/') ? QUrl("mailto:" + text)
                                                          : QUrl::fromLocalFile(text);
    }
    QDesktopServices::openUrl(url);
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
