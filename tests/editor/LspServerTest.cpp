// The language server's answers to bad input, its lifecycle, document symbols of edited
// text, and a cancelled workspace search.

#include "config/Config.h"
#include "config/Debug.h"
#include "editor/LspServer.h"
#include "scan/StructureTexts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

#include <gtest/gtest.h>
#include <unistd.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

namespace {

const std::string kExample = std::string(QUILLANE_DATA_DIR) + "/Example.pas";

class LspServer : public ::testing::Test {
protected:
    LspServer()
        : m_folder(std::filesystem::temp_directory_path() / ("quillane_lsp_" + std::to_string(getpid()))),
          m_log((m_folder / "log.TXT").string()),
          m_setup{m_rules, m_config, m_log, {}, 1}
    {
        std::filesystem::create_directories(m_folder);
        m_rules.LoadFromFile(std::string(QUILLANE_DATA_DIR) + "/CodeScan.dll");
        m_log.SetAutoSave(false);
        m_log.SetMessageSink([](const std::string&) {});
        server = std::make_unique<TLspServer>(m_setup, [this](const QByteArray& body) {
            const QJsonObject message = QJsonDocument::fromJson(body).object();
            if (onSend)
                onSend(message);
            std::lock_guard lock(m_mutex);
            m_sent.push_back(message);
            m_arrived.notify_all();
        });
    }
    ~LspServer() override
    {
        server.reset();
        std::filesystem::remove_all(m_folder);
    }

    void Send(const QJsonObject& message)
    {
        QJsonObject full = message;
        full.insert("jsonrpc", "2.0");
        server->Receive(QJsonDocument(full).toJson());
    }
    void Initialize(const QJsonObject& capabilities = {})
    {
        Send({{"id", 0},
              {"method", "initialize"},
              {"params", QJsonObject{{"rootUri", Uri(m_folder.string())}, {"capabilities", capabilities}}}});
        Send({{"method", "initialized"}, {"params", QJsonObject()}});
    }
    // The answer to the request id, once it comes.
    QJsonObject Answer(const QJsonValue& id)
    {
        std::unique_lock lock(m_mutex);
        QJsonObject found;
        m_arrived.wait(lock, [&] {
            for (const auto& message : m_sent)
                if (message.value("id") == id && !message.contains("method"))
                    found = message;
            return !found.isEmpty();
        });
        return found;
    }
    std::vector<QJsonObject> Sent()
    {
        std::lock_guard lock(m_mutex);
        return m_sent;
    }
    static QString Uri(const std::string& path) { return QUrl::fromLocalFile(QString::fromStdString(path)).toString(); }
    static QString ExampleText()
    {
        std::ifstream in(kExample);
        std::stringstream text;
        text << in.rdbuf();
        return QString::fromStdString(text.str());
    }

    std::filesystem::path m_folder;
    TStructureTexts m_rules;
    TConfig m_config;
    TDebug m_log;
    TOutlineSetup m_setup;
    std::function<void(const QJsonObject&)> onSend;
    std::unique_ptr<TLspServer> server;

private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<QJsonObject> m_sent;
};

TEST_F(LspServer, BadInputGetsTheProtocolsErrorAndTheServerGoesOn)
{
    server->Receive(R"({"jsonrpc":"2.0","id":1,"method":"textDocument/documentSymbol","params":{}})");
    Initialize();
    const QJsonValue kNone(QJsonValue::Undefined);
    struct Case {
        const char* name;
        QByteArray body; // empty: a bad header
        QJsonValue id;   // undefined: no answer
        int code;        // 0: a result
    };
    const Case cases[] = {
        {"malformed JSON", "{\"jsonrpc\":\"2.0\",", QJsonValue::Null, LspError::ParseError},
        {"a bad header", "", QJsonValue::Null, LspError::ParseError},
        {"a batch", "[1, 2]", QJsonValue::Null, LspError::InvalidRequest},
        {"an id that is an object", R"({"jsonrpc":"2.0","id":{},"method":"shutdown"})", QJsonValue::Null,
         LspError::InvalidRequest},
        {"another JSON-RPC", R"({"jsonrpc":"1.0","id":2,"method":"shutdown"})", 2, LspError::InvalidRequest},
        {"a method that is no text", R"({"jsonrpc":"2.0","id":3,"method":5})", 3, LspError::InvalidRequest},
        {"an unknown method", R"({"jsonrpc":"2.0","id":"four","method":"textDocument/hover","params":{}})", "four",
         LspError::MethodNotFound},
        {"an unknown notification gets nothing", R"({"jsonrpc":"2.0","method":"textDocument/hover"})", kNone, 0},
        {"a notification with bad params gets nothing", R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{}})",
         kNone, 0},
        {"missing params", R"({"jsonrpc":"2.0","id":5,"method":"textDocument/documentSymbol"})", 5,
         LspError::InvalidParams},
        {"a query that is no text", R"({"jsonrpc":"2.0","id":6,"method":"workspace/symbol","params":{"query":1}})", 6,
         LspError::InvalidParams},
        {"a file that cannot be read",
         R"({"jsonrpc":"2.0","id":7,"method":"textDocument/documentSymbol","params":{"textDocument":{"uri":"file:///no/such.pas"}}})",
         7, LspError::RequestFailed},
        {"a document that is no file",
         R"({"jsonrpc":"2.0","id":8,"method":"textDocument/documentSymbol","params":{"textDocument":{"uri":"untitled:1"}}})",
         8, LspError::InvalidParams},
        {"initialize twice", R"({"jsonrpc":"2.0","id":9,"method":"initialize","params":{}})", 9, LspError::InvalidRequest},
        {"shutdown", R"({"jsonrpc":"2.0","id":10,"method":"shutdown"})", 10, 0},
        {"a request after shutdown", R"({"jsonrpc":"2.0","id":11,"method":"workspace/symbol","params":{"query":""}})", 11,
         LspError::InvalidRequest},
    };
    std::vector<QJsonObject> expected{
        {{"id", 1}, {"error", QJsonObject{{"code", LspError::ServerNotInitialized}}}},
        {{"id", 0}, {"result", true}},
    };
    for (const auto& c : cases) {
        if (c.body.isEmpty())
            server->ReceiveBadHeader("a header without Content-Length");
        else
            server->Receive(c.body);
        if (c.id.isUndefined())
            continue;
        expected.push_back(c.code == 0 ? QJsonObject{{"id", c.id}, {"result", true}}
                                       : QJsonObject{{"id", c.id}, {"error", QJsonObject{{"code", c.code}}}});
    }
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), expected.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
        SCOPED_TRACE(QJsonDocument(sent[i]).toJson().toStdString());
        EXPECT_EQ(sent[i].value("jsonrpc"), "2.0");
        EXPECT_EQ(sent[i].value("id"), expected[i].value("id"));
        EXPECT_EQ(sent[i].contains("result"), expected[i].contains("result"));
        EXPECT_EQ(sent[i].value("error").toObject().value("code"), expected[i].value("error").toObject().value("code"));
    }
    EXPECT_FALSE(server->Ended());
    Send({{"method", "exit"}});
    EXPECT_TRUE(server->Ended());
    EXPECT_EQ(server->ExitStatus(), 0);
}

TEST_F(LspServer, ExitWithoutShutdownFails)
{
    Initialize();
    Send({{"method", "exit"}});
    EXPECT_TRUE(server->Ended());
    EXPECT_EQ(server->ExitStatus(), 1);
}

TEST_F(LspServer, DocumentSymbolsOfTheTextTheEditorHolds)
{
    Initialize({{"textDocument", QJsonObject{{"documentSymbol", QJsonObject{{"hierarchicalDocumentSymbolSupport", true}}}}}});
    const QString uri = Uri(kExample);
    const QJsonObject document{{"textDocument", QJsonObject{{"uri", uri}}}};
    Send({{"id", 1}, {"method", "textDocument/documentSymbol"}, {"params", document}});
    const QJsonArray fromFile = Answer(1).value("result").toArray();

    QString text = ExampleText();
    Send({{"method", "textDocument/didOpen"},
          {"params", QJsonObject{{"textDocument",
                                  QJsonObject{{"uri", uri}, {"languageId", "pascal"}, {"version", 1}, {"text", text}}}}}});
    Send({{"id", 2}, {"method", "textDocument/documentSymbol"}, {"params", document}});
    EXPECT_EQ(Answer(2).value("result").toArray(), fromFile) << "the open text is the file's";

    text.replace("TInventory", "TStore");
    Send({{"method", "textDocument/didChange"},
          {"params", QJsonObject{{"textDocument", QJsonObject{{"uri", uri}, {"version", 2}}},
                                 {"contentChanges", QJsonArray{QJsonObject{{"text", text}}}}}}});
    Send({{"id", 3}, {"method", "textDocument/documentSymbol"}, {"params", document}});
    const QJsonArray edited = Answer(3).value("result").toArray();
    // The unit, its interface section with the class renamed, implementation, ...
    const QJsonArray interface = edited.at(1).toObject().value("children").toArray();
    const auto store = std::find_if(interface.begin(), interface.end(),
                                    [](const QJsonValue& s) { return s.toObject().value("name") == "TStore"; });
    ASSERT_NE(store, interface.end());
    EXPECT_EQ(store->toObject().value("kind"), static_cast<int>(TSymbolKind::Class));
    EXPECT_EQ(store->toObject().value("selectionRange").toObject(),
              (QJsonObject{{"start", QJsonObject{{"line", 59}, {"character", 2}}},
                           {"end", QJsonObject{{"line", 59}, {"character", 8}}}}));
    EXPECT_EQ(store->toObject().value("range").toObject().value("end").toObject().value("line"), 74);

    // Closed again: the file on disk counts.
    Send({{"method", "textDocument/didClose"}, {"params", document}});
    Send({{"id", 4}, {"method", "textDocument/documentSymbol"}, {"params", document}});
    EXPECT_EQ(Answer(4).value("result").toArray(), fromFile);
}

TEST_F(LspServer, FlatSymbolsForAClientWithoutTrees)
{
    Initialize();
    Send({{"id", 1},
          {"method", "textDocument/documentSymbol"},
          {"params", QJsonObject{{"textDocument", QJsonObject{{"uri", Uri(kExample)}}}}}});
    const QJsonArray symbols = Answer(1).value("result").toArray();
    const auto field = std::find_if(symbols.begin(), symbols.end(),
                                    [](const QJsonValue& s) { return s.toObject().value("name") == "FQuantity"; });
    ASSERT_NE(field, symbols.end());
    EXPECT_EQ(field->toObject().value("containerName"), "TStockItem");
    EXPECT_EQ(field->toObject().value("kind"), static_cast<int>(TSymbolKind::Field));
    EXPECT_EQ(field->toObject().value("location").toObject().value("range").toObject().value("start").toObject().value("line"),
              40);
}

TEST_F(LspServer, ACancelledWorkspaceSearchStops)
{
    std::filesystem::copy_file(kExample, m_folder / "Example.pas");
    Initialize();
    std::promise<void> begun;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    onSend = [&](const QJsonObject& message) {
        if (message.value("method") == "$/progress" &&
            message.value("params").toObject().value("value").toObject().value("kind") == "begin") {
            begun.set_value();
            released.wait();
        }
    };
    Send({{"id", 1}, {"method", "workspace/symbol"}, {"params", QJsonObject{{"query", "Stock"}, {"workDoneToken", "t"}}}});
    begun.get_future().wait();
    Send({{"method", "$/cancelRequest"}, {"params", QJsonObject{{"id", 1}}}});
    release.set_value();
    EXPECT_EQ(Answer(1).value("error").toObject().value("code"), LspError::RequestCancelled);

    onSend = nullptr;
    Send({{"id", 2}, {"method", "workspace/symbol"}, {"params", QJsonObject{{"query", "stockitem"}}}});
    const QJsonArray found = Answer(2).value("result").toArray();
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].toObject().value("name"), "TStockItem");
    EXPECT_EQ(found[0].toObject().value("containerName"), "Example");
}

} // namespace
