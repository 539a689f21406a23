#include "editor/LspMessages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

void TLspOutput::Send(QJsonObject message)
{
    message.insert("jsonrpc", "2.0");
    SendBody(QJsonDocument(message).toJson(QJsonDocument::Compact));
}

void TLspOutput::SendBody(const QByteArray& body)
{
    std::lock_guard lock(m_mutex);
    m_send(body);
}

void TLspOutput::RespondJson(const QJsonValue& id, std::string_view result)
{
    // The id as the JSON text Qt writes for it, cut out of a one-element array.
    const QByteArray idJson = QJsonDocument(QJsonArray{id}).toJson(QJsonDocument::Compact).chopped(1).mid(1);
    QByteArray body = R"({"jsonrpc":"2.0","id":)" + idJson + R"(,"result":)";
    body.append(result.data(), static_cast<qsizetype>(result.size()));
    body += '}';
    SendBody(body);
}

void TLspOutput::Respond(const QJsonValue& id, const QJsonValue& result)
{
    Send({{"id", id}, {"result", result}});
}

void TLspOutput::Fail(const QJsonValue& id, int code, const QString& message)
{
    Send({{"id", id}, {"error", QJsonObject{{"code", code}, {"message", message}}}});
}

void TLspOutput::Notify(const QString& method, const QJsonValue& params)
{
    Send({{"method", method}, {"params", params}});
}

QJsonValue TLspOutput::Request(const QString& method, const QJsonValue& params)
{
    const QJsonValue id = "quillane-" + QString::number(m_nextId++);
    Send({{"id", id}, {"method", method}, {"params", params}});
    return id;
}

std::optional<std::string> LocalPathOf(const QString& uri)
{
    const QUrl url(uri, QUrl::StrictMode);
    if (!url.isValid() || !url.isLocalFile())
        return std::nullopt;
    const QString path = url.toLocalFile();
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

QString FileUriOf(const std::string& path)
{
    return QString::fromUtf8(QUrl::fromLocalFile(QString::fromStdString(path)).toEncoded());
}

int Utf16Length(std::string_view text)
{
    int units = 0;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        // Every byte but a continuation byte starts a character; one of four bytes needs
        // a surrogate pair.
        if ((b & 0xC0) != 0x80)
            units += b >= 0xF0 ? 2 : 1;
    }
    return units;
}

QJsonObject LspPosition(int line, int character) { return {{"line", line}, {"character", character}}; }

QJsonObject LspRange(int line, int character, int endLine, int endCharacter)
{
    return {{"start", LspPosition(line, character)}, {"end", LspPosition(endLine, endCharacter)}};
}
