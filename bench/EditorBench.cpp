// The language server's answer times, measured as an editor sees them: quillane --lsp is
// started as a child process and sent framed messages over its standard input.
//   editor_bench QUILLANE LARGE-SOURCE TREE QUERY
// prints the time of initialize, of documentSymbol for LARGE-SOURCE read from its file and
// after didOpen, and of workspace/symbol for QUERY over TREE: the first request of a
// server (the outline cache as the caller left it) and three more. Beside each answer's
// time, the server's CPU time for it (user and system, all its threads), which shows
// the work done when other programs share the machine.

#include "editor/LspFraming.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QUrl>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

using TClock = std::chrono::steady_clock;

class TClient {
public:
    explicit TClient(const QString& program)
        : m_reader([this](char* buffer, std::size_t size) { return Read(buffer, size); })
    {
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start(program, {"--lsp"});
        m_server.waitForStarted();
    }
    ~TClient()
    {
        Call("shutdown", {});
        Send({{"jsonrpc", "2.0"}, {"method", "exit"}});
        m_server.waitForFinished();
    }

    void Send(const QJsonObject& message)
    {
        m_server.write(FrameLspMessage(QJsonDocument(message).toJson(QJsonDocument::Compact)));
        m_server.waitForBytesWritten();
    }
    void Notify(const QString& method, const QJsonObject& params)
    {
        Send({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
    }
    // The server's CPU seconds so far: user and system time of all its threads.
    double CpuSeconds() const
    {
        std::ifstream stat("/proc/" + std::to_string(m_server.processId()) + "/stat");
        const std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        // The fields after the command name, which ends with the last ")".
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        double ticks = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i)
            if (i >= 14)
                ticks += std::stod(field);
        return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
    }

    // Sends a request and returns its answer with the seconds it took and the server's CPU
    // seconds for it; the server's own requests (progress tokens) are granted on the way.
    QJsonObject Call(const QString& method, const QJsonObject& params, double* seconds = nullptr,
                     double* cpu = nullptr)
    {
        const int id = m_nextId++;
        const double cpuBefore = CpuSeconds();
        const auto start = TClock::now();
        Send({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
        for (;;) {
            const auto frame = m_reader.Next();
            // The answer is in once its last byte is: what this client then spends reading
            // it is not the server's time.
            const auto arrived = TClock::now();
            if (frame.kind != TLspReader::TFrame::TKind::Message)
                return {};
            const QJsonObject message = QJsonDocument::fromJson(frame.body).object();
            if (message.contains("method") && message.contains("id"))
                Send({{"jsonrpc", "2.0"}, {"id", message.value("id")}, {"result", QJsonValue::Null}});
            if (message.value("id") != QJsonValue(id) || message.contains("method"))
                continue;
            if (seconds)
                *seconds = std::chrono::duration<double>(arrived - start).count();
            if (cpu)
                *cpu = CpuSeconds() - cpuBefore;
            return message;
        }
    }

private:
    std::size_t Read(char* buffer, std::size_t size)
    {
        while (m_server.bytesAvailable() == 0)
            if (!m_server.waitForReadyRead(-1))
                return 0;
        return static_cast<std::size_t>(m_server.read(buffer, static_cast<qint64>(size)));
    }

    QProcess m_server;
    TLspReader m_reader;
    int m_nextId = 1;
};


} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: editor_bench QUILLANE LARGE-SOURCE TREE QUERY\n");
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[2]);
    const QString uri = QUrl::fromLocalFile(source).toString();
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 2;
    }
    const QString text = QString::fromUtf8(file.readAll());

    TClient client(QString::fromLocal8Bit(argv[1]));
    double seconds = 0;
    double cpu = 0;
    const auto print = [&](const char* what, const QJsonObject& answer) {
        std::printf("%-40s %7.3f s  %7.3f CPU s  %6d results\n", what, seconds, cpu,
                    static_cast<int>(answer.value("result").toArray().size()));
    };
    const QJsonObject capabilities{
        {"textDocument", QJsonObject{{"documentSymbol", QJsonObject{{"hierarchicalDocumentSymbolSupport", true}}}}},
        {"window", QJsonObject{{"workDoneProgress", true}}}};
    print("initialize", client.Call("initialize",
                                    {{"rootUri", QUrl::fromLocalFile(QString::fromLocal8Bit(argv[3])).toString()},
                                     {"capabilities", capabilities}},
                                    &seconds, &cpu));
    client.Notify("initialized", {});

    const QJsonObject document{{"textDocument", QJsonObject{{"uri", uri}}}};
    print("documentSymbol, read from the file", client.Call("textDocument/documentSymbol", document, &seconds, &cpu));
    client.Notify("textDocument/didOpen",
                  {{"textDocument", QJsonObject{{"uri", uri}, {"languageId", "pascal"}, {"version", 1}, {"text", text}}}});
    print("documentSymbol, opened", client.Call("textDocument/documentSymbol", document, &seconds, &cpu));
    print("documentSymbol, opened, again", client.Call("textDocument/documentSymbol", document, &seconds, &cpu));
    client.Notify("textDocument/didClose", document);

    const QJsonObject query{{"query", QString::fromLocal8Bit(argv[4])}};
    for (int run = 0; run < 4; ++run)
        print(run == 0 ? "workspace/symbol, first" : "workspace/symbol, again",
              client.Call("workspace/symbol", query, &seconds, &cpu));
    return 0;
}
