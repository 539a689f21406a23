#pragma once
// Outline entries as editors see them: each with its kind, the name it declares and the
// entry that holds it (the nearest entry before it of a lower level). Two forms: the whole
// symbol list of one scanned document, and the entries of a stored outline (the search's
// outline cache) that a tags file or a workspace search lists.

#include "editor/SymbolKinds.h"
#include "scan/TextFields.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TFileOutline;

struct TOutlineSymbol {
    int line = 0;  // from 1
    int level = 0;
    std::string type;
    std::string declaration;
    std::string comment;
    TSymbolKind kind = TSymbolKind::Variable;
    std::string name;
    int parent = -1;  // index in the list; -1: at the top
    int lastLine = 0; // the line before the next entry of the same or a lower level; at least line
};

// The symbols of a scan's result records, in record order, with their last lines (the last
// entry of each level runs to lineCount). Records from included files are left out: their
// lines are lines of other files.
std::vector<TOutlineSymbol> SymbolsOfRecords(const TLines& results, int lineCount);

// Keeps the chain of entries that hold the next one.
class TNesting {
public:
    // The index (counted from 0 over the entries taken) of the nearest earlier entry of a
    // lower level, or -1; then takes the entry of this level.
    int Add(int level);

private:
    std::vector<std::pair<int, int>> m_open; // level and index, levels rising
    int m_count = 0;
};

// One entry of a stored outline as a tags file or a workspace search lists it.
struct TIndexSymbol {
    int line = 0;
    TSymbolKind kind = TSymbolKind::Variable;
    std::string_view name;        // without its qualifier
    std::string_view scope;       // the type or routine that holds it, dotted; empty at the top
    TSymbolKind scopeKind = TSymbolKind::Class;
    std::string_view module;      // the name of the file's unit or program; may be empty
    std::string_view declaration;
    std::string_view comment;
};

// Visits the entries of outline that declare something (no sections, no uses clauses),
// in order, each whose declaration passes the filter (every entry when there is none).
void VisitIndexSymbols(const TFileOutline& outline, const std::function<bool(std::string_view)>& filter,
                       const std::function<void(const TIndexSymbol&)>& visit);
