#include "editor/LspServer.h"

#include "config/Debug.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <algorithm>
#include <iostream>

namespace {

// A request's or notification's parameters must be an object when given.
struct TBadParams : std::runtime_error {
    using std::runtime_error::runtime_error;
};

QJsonObject ObjectAt(const QJsonObject& object, const char* key)
{
    const QJsonValue value = object.value(key);
    if (!value.isObject())
        throw TBadParams(std::string("no object ") + key);
    return value.toObject();
}

QString StringAt(const QJsonObject& object, const char* key)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        throw TBadParams(std::string("no text ") + key);
    return value.toString();
}

bool FlagAt(const QJsonObject& object, std::initializer_list<const char*> path)
{
    QJsonValue value = object;
    for (const char* key : path)
        value = value.toObject().value(key);
    return value.toBool(false);
}

std::string FolderOfUri(const QString& uri)
{
    std::string path = LocalPathOf(uri).value_or(std::string());
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

TLspServer::TLspServer(const TOutlineSetup& setup, TLspOutput::TSend send)
    : m_setup(setup), m_output(std::move(send)), m_documents(setup),
      m_workspace(std::make_unique<TWorkspaceSymbols>(setup, m_output))
{
}

TLspServer::~TLspServer() = default;

void TLspServer::Log(const std::string& text)
{
    m_setup.log.AddLine("lsp: " + text);
    std::cerr << "quillane: " << text << std::endl;
}

void TLspServer::ReceiveBadHeader(const std::string& problem)
{
    Log("bad message header: " + problem);
    m_output.Fail(QJsonValue(), LspError::ParseError, "bad message header: " + QString::fromStdString(problem));
}

void TLspServer::Receive(const QByteArray& body)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError) {
        Log("malformed JSON: " + error.errorString().toStdString());
        m_output.Fail(QJsonValue(), LspError::ParseError, "malformed JSON: " + error.errorString());
        return;
    }
    const QJsonObject message = document.object();
    const bool hasId = message.contains("id");
    const QJsonValue id = message.value("id");
    // An answer names the message's id only when it is one: a number or a text.
    const bool goodId = id.isString() || (id.isDouble() && id.toDouble() == static_cast<double>(id.toInteger()));
    const QJsonValue answerId = goodId ? id : QJsonValue();
    const auto invalid = [&](const char* problem) {
        Log(std::string("invalid message: ") + problem);
        m_output.Fail(answerId, LspError::InvalidRequest, problem);
    };
    if (!document.isObject() || (message.contains("jsonrpc") && message.value("jsonrpc") != QJsonValue("2.0")))
        return invalid("not a JSON-RPC 2.0 message");
    if (!message.contains("method")) {
        if (hasId && (message.contains("result") || message.contains("error")))
            Response(message);
        else
            invalid("a message without a method");
        return;
    }
    if (hasId && !goodId)
        return invalid("a request's id must be a number or a text");
    const QJsonValue method = message.value("method");
    const QJsonValue params = message.value("params");
    if (!method.isString() || (!params.isUndefined() && !params.isObject() && !params.isArray())) {
        // A notification gets no answer, not even this one.
        if (hasId)
            invalid("a method must be a text and params a structure");
        return;
    }
    try {
        if (hasId)
            Request(id, method.toString(), params.toObject());
        else
            Notification(method.toString(), params.toObject());
    } catch (const TBadParams& e) {
        Log(method.toString().toStdString() + ": " + e.what());
        if (hasId)
            m_output.Fail(id, LspError::InvalidParams, QString::fromStdString(e.what()));
    } catch (const std::exception& e) {
        Log(method.toString().toStdString() + " failed: " + e.what());
        if (hasId)
            m_output.Fail(id, LspError::InternalError, QString::fromStdString(e.what()));
    }
}

void TLspServer::Request(const QJsonValue& id, const QString& method, const QJsonObject& params)
{
    if (m_state == TState::Starting && method != "initialize") {
        m_output.Fail(id, LspError::ServerNotInitialized, "the server is not initialized");
        return;
    }
    if (m_state == TState::ShuttingDown) {
        m_output.Fail(id, LspError::InvalidRequest, "the server is shutting down");
        return;
    }
    if (method == "initialize") {
        if (m_state != TState::Starting) {
            m_output.Fail(id, LspError::InvalidRequest, "the server is initialized already");
            return;
        }
        const QJsonObject result = Initialize(params);
        m_state = TState::Running;
        m_output.Respond(id, result);
    } else if (method == "shutdown") {
        m_workspace->CancelAll();
        m_state = TState::ShuttingDown;
        m_shutDown = true;
        m_output.Respond(id, QJsonValue::Null);
    } else if (method == "textDocument/documentSymbol") {
        DocumentSymbols(id, params);
    } else if (method == "workspace/symbol") {
        WorkspaceSymbols(id, params);
    } else {
        m_output.Fail(id, LspError::MethodNotFound, "unknown method " + method);
    }
}

void TLspServer::Notification(const QString& method, const QJsonObject& params)
{
    if (method == "exit") {
        m_state = TState::Ended;
        return;
    }
    if (m_state != TState::Running)
        return; // before initialize and after shutdown, notifications are dropped
    if (method == "textDocument/didOpen") {
        const QJsonObject document = ObjectAt(params, "textDocument");
        m_documents.Open(StringAt(document, "uri"), document.value("languageId").toString(),
                         StringAt(document, "text"));
    } else if (method == "textDocument/didChange") {
        const QString uri = StringAt(ObjectAt(params, "textDocument"), "uri");
        // Whole texts, as the server asked for: the last one is the text now.
        const QJsonArray changes = params.value("contentChanges").toArray();
        const QJsonObject last = changes.isEmpty() ? QJsonObject() : changes.last().toObject();
        if (last.contains("range") || !last.value("text").isString())
            Log("didChange without the whole text of " + uri.toStdString() + ": ignored");
        else if (!m_documents.Change(uri, last.value("text").toString()))
            Log("didChange of a document that is not open: " + uri.toStdString());
    } else if (method == "textDocument/didClose") {
        m_documents.Close(StringAt(ObjectAt(params, "textDocument"), "uri"));
    } else if (method == "$/cancelRequest") {
        m_workspace->Cancel(params.value("id"));
    } else if (method == "window/workDoneProgress/cancel") {
        m_workspace->CancelProgress(params.value("token"));
    } else if (method == "workspace/didChangeWorkspaceFolders") {
        ChangeFolders(ObjectAt(params, "event"));
    }
    // Any other notification (initialized, didSave, $/setTrace ...) needs nothing done.
}

void TLspServer::Response(const QJsonObject& message)
{
    const QJsonValue id = message.value("id");
    const auto asked = std::find_if(m_tokenRequests.begin(), m_tokenRequests.end(),
                                    [&id](const auto& request) { return request.first == id; });
    if (asked == m_tokenRequests.end())
        return;
    m_workspace->TokenAnswered(asked->second, !message.contains("error"));
    m_tokenRequests.erase(asked);
}

QJsonObject TLspServer::Initialize(const QJsonObject& params)
{
    const QJsonObject capabilities = params.value("capabilities").toObject();
    m_hierarchical = FlagAt(capabilities, {"textDocument", "documentSymbol", "hierarchicalDocumentSymbolSupport"});
    m_progressTokens = FlagAt(capabilities, {"window", "workDoneProgress"});
    const QJsonArray folders = params.value("workspaceFolders").toArray();
    for (const auto& folder : folders)
        m_folders.push_back(FolderOfUri(folder.toObject().value("uri").toString()));
    if (folders.isEmpty() && params.value("rootUri").isString())
        m_folders.push_back(FolderOfUri(params.value("rootUri").toString()));
    else if (folders.isEmpty() && params.value("rootPath").isString())
        m_folders.push_back(params.value("rootPath").toString().toStdString());
    m_folders.erase(std::remove(m_folders.begin(), m_folders.end(), std::string()), m_folders.end());

    const QJsonObject serverCapabilities{
        {"textDocumentSync", QJsonObject{{"openClose", true}, {"change", 1}}},
        {"documentSymbolProvider", true},
        {"workspaceSymbolProvider", QJsonObject{{"workDoneProgress", true}}},
        {"workspace", QJsonObject{{"workspaceFolders",
                                   QJsonObject{{"supported", true}, {"changeNotifications", true}}}}},
    };
    return {{"capabilities", serverCapabilities},
            {"serverInfo", QJsonObject{{"name", "quillane"}, {"version", QUILLANE_VERSION}}}};
}

void TLspServer::DocumentSymbols(const QJsonValue& id, const QJsonObject& params)
{
    const QString uri = StringAt(ObjectAt(params, "textDocument"), "uri");
    const auto result = m_documents.DocumentSymbols(uri, m_hierarchical);
    if (result.errorCode != 0) {
        Log(result.error.toStdString());
        m_output.Fail(id, result.errorCode, result.error);
        return;
    }
    m_output.RespondJson(id, result.json);
}

void TLspServer::WorkspaceSymbols(const QJsonValue& id, const QJsonObject& params)
{
    TWorkspaceQuery query;
    query.id = id;
    query.query = StringAt(params, "query").toStdString();
    query.folders = m_folders;
    query.open = m_documents.OpenOutlines();
    // The client's own token; else, for the first search, which may have to scan the whole
    // tree, one the server asks the client to create.
    query.progressToken = params.value("workDoneToken");
    if (!query.progressToken.isString() && !query.progressToken.isDouble())
        query.progressToken = QJsonValue();
    if (query.progressToken.isNull() && m_progressTokens && !m_searchedOnce) {
        const QJsonValue token = "quillane-search-" + id.toVariant().toString();
        const QJsonValue request = m_output.Request("window/workDoneProgress/create", QJsonObject{{"token", token}});
        m_tokenRequests.emplace_back(request, token);
        query.progressToken = token;
        query.tokenAsked = true;
    }
    m_searchedOnce = true;
    m_workspace->Start(std::move(query));
}

void TLspServer::ChangeFolders(const QJsonObject& event)
{
    for (const auto& folder : event.value("removed").toArray()) {
        const std::string path = FolderOfUri(folder.toObject().value("uri").toString());
        m_folders.erase(std::remove(m_folders.begin(), m_folders.end(), path), m_folders.end());
    }
    for (const auto& folder : event.value("added").toArray()) {
        const std::string path = FolderOfUri(folder.toObject().value("uri").toString());
        if (!path.empty() && std::find(m_folders.begin(), m_folders.end(), path) == m_folders.end())
            m_folders.push_back(path);
    }
}
