#pragma once
// The documents an editor has open, with their text as the editor holds it, and their
// outlines as document symbols. A document is scanned once per version of its text; one
// that is not open is read from its file for each request.

#include "editor/DocumentScan.h"
#include "editor/OutlineSymbols.h"

#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TFileOutline;

// An open document's outline, in the form the search hands over.
struct TOpenOutline {
    std::string path;
    std::shared_ptr<const TFileOutline> outline;
};

class TLspDocuments {
public:
    explicit TLspDocuments(const TOutlineSetup& setup) : m_setup(setup) {}

    void Open(const QString& uri, const QString& languageId, const QString& text);
    // False when the document is not open.
    bool Change(const QString& uri, const QString& text);
    void Close(const QString& uri);

    struct TSymbols {
        std::string json; // the array of symbols
        int errorCode = 0; // an LspError when the document cannot be outlined
        QString error;
    };
    // DocumentSymbol trees, or SymbolInformation in a flat list.
    TSymbols DocumentSymbols(const QString& uri, bool hierarchical);

    // The outlines of the open documents whose file type the rule file knows.
    std::vector<TOpenOutline> OpenOutlines();

private:
    struct TScanned {
        std::vector<TOutlineSymbol> symbols;
        std::shared_ptr<const TFileOutline> outline;
        std::string failure;
    };
    struct TDocument {
        std::string path; // empty for a document that is not a file
        std::string languageId;
        TLines lines;
        std::optional<TScanned> scanned; // of the current text
    };

    TScanned Scan(const TDocument& document) const;

    const TOutlineSetup& m_setup;
    std::map<QString, TDocument> m_open;
};

// The symbols as the protocol's DocumentSymbol trees (hierarchical) or SymbolInformation
// list, in JSON; lines are the document's text, for the ranges.
std::string DocumentSymbolsJson(const std::vector<TOutlineSymbol>& symbols, const TLines& lines, const QString& uri,
                               bool hierarchical);
