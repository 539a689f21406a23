#pragma once
// The language server: takes the client's messages (JSON-RPC 2.0 bodies of the Language
// Server Protocol 3.17) one at a time and sends its answers through an output. It knows
// the lifecycle (initialize, initialized, shutdown, exit), the open documents (didOpen,
// didChange with whole texts, didClose), document symbols, workspace symbols with their
// progress, and cancel requests. Input it cannot use gets the protocol's error answer
// (a notification gets none) and the server goes on; what it logs goes to the trace log
// and standard error, never to the client's channel.

#include "editor/DocumentScan.h"
#include "editor/LspDocuments.h"
#include "editor/LspMessages.h"
#include "editor/WorkspaceSymbols.h"

#include <QByteArray>
#include <QJsonObject>

#include <memory>
#include <string>

class TLspServer {
public:
    TLspServer(const TOutlineSetup& setup, TLspOutput::TSend send);
    ~TLspServer();

    void Receive(const QByteArray& body);
    // A message whose header could not be read.
    void ReceiveBadHeader(const std::string& problem);

    // Once the client sent exit: no more input is read.
    bool Ended() const { return m_state == TState::Ended; }
    // The process's exit status: 0 when shutdown came before exit, 1 otherwise.
    int ExitStatus() const { return m_shutDown ? 0 : 1; }

private:
    enum class TState { Starting, Running, ShuttingDown, Ended };

    void Request(const QJsonValue& id, const QString& method, const QJsonObject& params);
    void Notification(const QString& method, const QJsonObject& params);
    void Response(const QJsonObject& message);

    QJsonObject Initialize(const QJsonObject& params);
    void DocumentSymbols(const QJsonValue& id, const QJsonObject& params);
    void WorkspaceSymbols(const QJsonValue& id, const QJsonObject& params);
    void ChangeFolders(const QJsonObject& event);
    void Log(const std::string& text);

    const TOutlineSetup& m_setup;
    TLspOutput m_output;
    TLspDocuments m_documents;
    TState m_state = TState::Starting;
    bool m_shutDown = false;
    bool m_hierarchical = false;     // the client takes DocumentSymbol trees
    bool m_progressTokens = false;   // the client creates progress tokens the server asks for
    bool m_searchedOnce = false;
    TLines m_folders;
    // The server's requests to create a progress token, unanswered: request id and token.
    std::vector<std::pair<QJsonValue, QJsonValue>> m_tokenRequests;
    std::unique_ptr<TWorkspaceSymbols> m_workspace; // last: its thread ends first
};
