#pragma once
// What the language server sends, and the protocol's small pieces it shares: error codes,
// file URIs, and positions counted in UTF-16 code units, as the protocol counts them.

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace LspError {
inline constexpr int ParseError = -32700;
inline constexpr int InvalidRequest = -32600;
inline constexpr int MethodNotFound = -32601;
inline constexpr int InvalidParams = -32602;
inline constexpr int InternalError = -32603;
inline constexpr int ServerNotInitialized = -32002;
inline constexpr int RequestFailed = -32803;
inline constexpr int RequestCancelled = -32800;
} // namespace LspError

// Sends the server's messages, one whole message at a time, from any thread.
class TLspOutput {
public:
    using TSend = std::function<void(const QByteArray& body)>;
    explicit TLspOutput(TSend send) : m_send(std::move(send)) {}

    void Respond(const QJsonValue& id, const QJsonValue& result);
    // An answer whose result is written as JSON already.
    void RespondJson(const QJsonValue& id, std::string_view result);
    void Fail(const QJsonValue& id, int code, const QString& message);
    void Notify(const QString& method, const QJsonValue& params);
    // A request of the server's own; returns its id.
    QJsonValue Request(const QString& method, const QJsonValue& params);

private:
    void Send(QJsonObject message);
    void SendBody(const QByteArray& body);

    TSend m_send;
    std::mutex m_mutex;
    std::atomic<int> m_nextId{1};
};

// The local path of a file: URI; none for other schemes.
std::optional<std::string> LocalPathOf(const QString& uri);
QString FileUriOf(const std::string& path);

// The UTF-16 length of UTF-8 text.
int Utf16Length(std::string_view text);
// {"line": line, "character": character}, both from 0.
QJsonObject LspPosition(int line, int character);
QJsonObject LspRange(int line, int character, int endLine, int endCharacter);
