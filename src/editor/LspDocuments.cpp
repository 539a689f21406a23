#include "editor/LspDocuments.h"

#include "editor/JsonWriter.h"
#include "editor/LspMessages.h"
#include "scan/SourceText.h"
#include "search/core/FileOutline.h"

#include <algorithm>
#include <cctype>

namespace {

// The protocol's lines of the source: the decoding a source file gets.
TLines LinesOf(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return DecodeSourceLines(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Where word stands in line as a word of its own (letter case ignored), else where it
// stands at all; npos when nowhere.
std::size_t FindWord(const std::string& line, const std::string& word)
{
    const auto identifier = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    std::size_t first = std::string::npos;
    for (std::size_t at = line.find(word); at != std::string::npos; at = line.find(word, at + 1)) {
        const std::size_t end = at + word.size();
        if ((at == 0 || !identifier(line[at - 1])) && (end == line.size() || !identifier(line[end])))
            return at;
        first = std::min(first, at);
    }
    return first;
}

// Bytes [first, second) of the line that show the name: the whole name, else its last part,
// else the whole line.
std::pair<std::size_t, std::size_t> NameSpan(const std::string& line, const std::string& name)
{
    const std::string lowerLine = LowerCase(line);
    const std::string lowerName = LowerCase(name);
    if (const std::size_t at = FindWord(lowerLine, lowerName); at != std::string::npos)
        return {at, at + name.size()};
    const std::size_t dot = lowerName.rfind('.');
    if (dot != std::string::npos && dot + 1 < lowerName.size()) {
        if (const std::size_t at = FindWord(lowerLine, lowerName.substr(dot + 1)); at != std::string::npos)
            return {at, at + name.size() - dot - 1};
    }
    return {0, line.size()};
}

// Writes the symbols as the protocol's DocumentSymbol trees or SymbolInformation list.
class TSymbolJson {
public:
    TSymbolJson(const std::vector<TOutlineSymbol>& symbols, const TLines& lines, const QString& uri)
        : m_symbols(symbols), m_lines(lines), m_uri(uri.toStdString()), m_children(symbols.size())
    {
        for (std::size_t i = 0; i < symbols.size(); ++i)
            (symbols[i].parent < 0 ? m_roots : m_children[symbols[i].parent]).push_back(static_cast<int>(i));
    }

    std::string Tree()
    {
        m_json.BeginArray();
        for (const int i : m_roots)
            Node(i);
        m_json.EndArray();
        return m_json.Take();
    }

    std::string Flat()
    {
        m_json.BeginArray();
        for (const TOutlineSymbol& s : m_symbols) {
            m_json.BeginObject().Key("name").String(s.name).Key("kind").Number(static_cast<int>(s.kind));
            m_json.Key("location").BeginObject().Key("uri").String(m_uri).Key("range");
            Range(s);
            m_json.EndObject();
            if (s.parent >= 0)
                m_json.Key("containerName").String(m_symbols[s.parent].name);
            m_json.EndObject();
        }
        m_json.EndArray();
        return m_json.Take();
    }

private:
    // Source lines (from 1) as the protocol's (from 0), within the text.
    int LineIndex(int line) const
    {
        return std::clamp(line - 1, 0, std::max(0, static_cast<int>(m_lines.size()) - 1));
    }
    int LineLength(int index) const { return index < static_cast<int>(m_lines.size()) ? Utf16Length(m_lines[index]) : 0; }

    void Position(int line, int character)
    {
        m_json.BeginObject().Key("line").Number(line).Key("character").Number(character).EndObject();
    }
    void Range(int line, int character, int endLine, int endCharacter)
    {
        m_json.BeginObject().Key("start");
        Position(line, character);
        m_json.Key("end");
        Position(endLine, endCharacter);
        m_json.EndObject();
    }
    void Range(const TOutlineSymbol& s)
    {
        const int last = LineIndex(s.lastLine);
        Range(LineIndex(s.line), 0, last, LineLength(last));
    }

    void Node(int i)
    {
        const TOutlineSymbol& s = m_symbols[i];
        std::string detail = s.declaration;
        if (const std::string comment = Trim(s.comment); !comment.empty())
            detail += "  // " + comment;
        m_json.BeginObject().Key("name").String(s.name);
        if (detail != s.name)
            m_json.Key("detail").String(detail);
        m_json.Key("kind").Number(static_cast<int>(s.kind)).Key("range");
        Range(s);
        m_json.Key("selectionRange");
        const int line = LineIndex(s.line);
        if (line < static_cast<int>(m_lines.size())) {
            const std::string_view text = m_lines[line];
            const auto [first, second] = NameSpan(m_lines[line], s.name);
            Range(line, Utf16Length(text.substr(0, first)), line, Utf16Length(text.substr(0, second)));
        } else {
            Range(line, 0, line, 0);
        }
        if (!m_children[i].empty()) {
            m_json.Key("children").BeginArray();
            for (const int child : m_children[i])
                Node(child);
            m_json.EndArray();
        }
        m_json.EndObject();
    }

    const std::vector<TOutlineSymbol>& m_symbols;
    const TLines& m_lines;
    const std::string m_uri;
    std::vector<int> m_roots;
    std::vector<std::vector<int>> m_children;
    TJsonWriter m_json;
};

} // namespace

std::string DocumentSymbolsJson(const std::vector<TOutlineSymbol>& symbols, const TLines& lines, const QString& uri,
                                bool hierarchical)
{
    TSymbolJson json(symbols, lines, uri);
    return hierarchical ? json.Tree() : json.Flat();
}

void TLspDocuments::Open(const QString& uri, const QString& languageId, const QString& text)
{
    TDocument& document = m_open[uri];
    document = TDocument{LocalPathOf(uri).value_or(std::string()), languageId.toStdString(), LinesOf(text), {}};
}

bool TLspDocuments::Change(const QString& uri, const QString& text)
{
    const auto it = m_open.find(uri);
    if (it == m_open.end())
        return false;
    it->second.lines = LinesOf(text);
    it->second.scanned.reset();
    return true;
}

void TLspDocuments::Close(const QString& uri) { m_open.erase(uri); }

TLspDocuments::TScanned TLspDocuments::Scan(const TDocument& document) const
{
    TScanned scanned;
    const auto key = DocumentKey(document.path, document.languageId, m_setup.rules);
    if (!key) {
        scanned.outline = std::make_shared<const TFileOutline>();
        return scanned;
    }
    TDocumentScan scan = ScanDocument(document.lines, *key, m_setup);
    scanned.failure = std::move(scan.failure);
    scanned.symbols = SymbolsOfRecords(scan.results, static_cast<int>(document.lines.size()));
    scanned.outline = std::make_shared<const TFileOutline>(TFileOutline::FromResults(scan.results, {}));
    return scanned;
}

TLspDocuments::TSymbols TLspDocuments::DocumentSymbols(const QString& uri, bool hierarchical)
{
    TSymbols result;
    TDocument read;
    TDocument* document = nullptr;
    if (const auto it = m_open.find(uri); it != m_open.end()) {
        document = &it->second;
    } else {
        // Not open: the file as it is on disk.
        const auto path = LocalPathOf(uri);
        const auto lines = path ? LoadSourceLines(*path) : std::nullopt;
        if (!lines) {
            result.errorCode = path ? LspError::RequestFailed : LspError::InvalidParams;
            result.error = path ? "cannot read " + Text(*path) : "not a file: URI: " + uri;
            return result;
        }
        read = TDocument{*path, {}, *lines, {}};
        document = &read;
    }
    if (!document->scanned)
        document->scanned = Scan(*document);
    if (!document->scanned->failure.empty()) {
        result.errorCode = LspError::RequestFailed;
        result.error = "the scan failed: " + Text(document->scanned->failure);
        return result;
    }
    result.json = DocumentSymbolsJson(document->scanned->symbols, document->lines, uri, hierarchical);
    return result;
}

std::vector<TOpenOutline> TLspDocuments::OpenOutlines()
{
    std::vector<TOpenOutline> outlines;
    for (auto& [uri, document] : m_open) {
        if (document.path.empty() || !DocumentKey(document.path, document.languageId, m_setup.rules))
            continue;
        if (!document.scanned)
            document.scanned = Scan(document);
        outlines.push_back({document.path, document.scanned->outline});
    }
    return outlines;
}
