#include "editor/OutlineSymbols.h"

#include "scan/OutlineRecord.h"
#include "search/core/FileOutline.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

int TNesting::Add(int level)
{
    while (!m_open.empty() && m_open.back().first >= level)
        m_open.pop_back();
    const int parent = m_open.empty() ? -1 : m_open.back().second;
    m_open.emplace_back(level, m_count++);
    return parent;
}

std::vector<TOutlineSymbol> SymbolsOfRecords(const TLines& results, int lineCount)
{
    std::vector<TOutlineSymbol> symbols;
    TNesting nesting;
    TTypeKinds kinds;
    std::vector<TSymbolKind> typeKinds;
    // Entries still open: each ends before the next entry of its level or a lower one.
    std::vector<int> open;
    for (int r = 0; HasRecordAt(results, r); r += kRecordLines) {
        const TOutlineRecord record = ReadRecord(results, r);
        if (!record.file.empty())
            continue;
        TOutlineSymbol& symbol = symbols.emplace_back();
        symbol.line = std::max(1, IntOrZero(record.line));
        symbol.level = record.level;
        symbol.type = record.type;
        symbol.declaration = record.declaration;
        symbol.comment = record.comment;
        symbol.parent = nesting.Add(record.level);
        typeKinds.push_back(kinds.Of(record.type));
        while (!open.empty() && symbols[open.back()].level >= symbol.level) {
            TOutlineSymbol& ended = symbols[open.back()];
            ended.lastLine = std::max(ended.line, symbol.line - 1);
            open.pop_back();
        }
        open.push_back(static_cast<int>(symbols.size()) - 1);
    }
    for (const int i : open)
        symbols[i].lastLine = std::max(symbols[i].line, lineCount);
    // Kinds in order: a parent's kind is known before its children's.
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        TOutlineSymbol& s = symbols[i];
        const bool holdsOthers = i + 1 < symbols.size() && symbols[i + 1].parent == static_cast<int>(i);
        const TSymbolKind parent = s.parent < 0 ? TSymbolKind::File : symbols[s.parent].kind;
        s.kind = EntryKind(typeKinds[i], s.declaration, parent, holdsOthers);
        s.name = SymbolName(s.declaration, s.type, s.kind);
    }
    return symbols;
}

namespace {

// The entries of one stored outline, with what an index needs of each, worked out when
// first asked for.
class TIndexOutline {
public:
    explicit TIndexOutline(const TFileOutline& outline)
    {
        m_items.reserve(outline.EntryCount());
        TNesting nesting;
        outline.VisitEntries([&](const TFileOutline::TEntry& entry) {
            m_items.push_back({entry, nesting.Add(entry.level), m_kinds.Of(entry.type)});
            return true;
        });
    }

    std::size_t Size() const { return m_items.size(); }
    const TFileOutline::TEntry& Entry(int i) const { return m_items[i].entry; }
    TSymbolKind TypeKind(int i) const { return m_items[i].typeKind; }
    int Parent(int i) const { return m_items[i].parent; }

    TSymbolKind Kind(int i)
    {
        TItem& item = m_items[i];
        if (!item.kind) {
            const bool holdsOthers = i + 1 < static_cast<int>(m_items.size()) && m_items[i + 1].parent == i;
            const TSymbolKind parent = item.parent < 0 ? TSymbolKind::File : Kind(item.parent);
            item.kind = EntryKind(item.typeKind, item.entry.declaration, parent, holdsOthers);
        }
        return *item.kind;
    }

    const std::string& Name(int i)
    {
        TItem& item = m_items[i];
        if (!item.name)
            item.name = SymbolName(item.entry.declaration, item.entry.type, Kind(i));
        return *item.name;
    }

    // The dotted scope of the entries directly inside entry i (-1: the top), and the kind
    // of the entry that gives it.
    const std::pair<std::string, TSymbolKind>& InnerScope(int i)
    {
        static const std::pair<std::string, TSymbolKind> top{std::string(), TSymbolKind::File};
        if (i < 0)
            return top;
        TItem& item = m_items[i];
        if (!item.innerScope) {
            const TSymbolKind kind = Kind(i);
            const bool scopes = IsTypeKind(kind) || kind == TSymbolKind::Enum || kind == TSymbolKind::Function ||
                                kind == TSymbolKind::Method || kind == TSymbolKind::Constructor ||
                                kind == TSymbolKind::Operator;
            if (!scopes) {
                item.innerScope = InnerScope(item.parent);
            } else {
                const auto [qualifier, name] = SplitQualifiedName(Name(i), kind);
                std::string scope = qualifier.empty() ? InnerScope(item.parent).first : std::string(qualifier);
                if (!scope.empty())
                    scope += '.';
                scope += name;
                item.innerScope.emplace(std::move(scope), kind);
            }
        }
        return *item.innerScope;
    }

    // The kind of the type a routine's qualifier names, when this outline declares it.
    TSymbolKind QualifierKind(std::string_view qualifier)
    {
        if (!m_typesByName) {
            m_typesByName.emplace();
            for (int i = 0; i < static_cast<int>(m_items.size()); ++i)
                if (IsTypeKind(Kind(i)))
                    m_typesByName->emplace(Name(i), Kind(i));
        }
        const std::size_t dot = qualifier.rfind('.');
        const auto found =
            m_typesByName->find(std::string(dot == std::string_view::npos ? qualifier : qualifier.substr(dot + 1)));
        return found == m_typesByName->end() ? TSymbolKind::Class : found->second;
    }

private:
    struct TItem {
        TFileOutline::TEntry entry;
        int parent;
        TSymbolKind typeKind;
        std::optional<TSymbolKind> kind = {};
        std::optional<std::string> name = {};
        std::optional<std::pair<std::string, TSymbolKind>> innerScope = {};
    };
    std::vector<TItem> m_items;
    TTypeKinds m_kinds;
    std::optional<std::unordered_map<std::string, TSymbolKind>> m_typesByName;
};

} // namespace

void VisitIndexSymbols(const TFileOutline& outline, const std::function<bool(std::string_view)>& filter,
                       const std::function<void(const TIndexSymbol&)>& visit)
{
    // Most outlines hold nothing a query looks for: those need no names and kinds at all.
    if (filter) {
        bool any = false;
        outline.VisitEntries([&](const TFileOutline::TEntry& entry) { return !(any = filter(entry.declaration)); });
        if (!any)
            return;
    }
    TIndexOutline index(outline);
    const int count = static_cast<int>(index.Size());
    std::optional<std::string> module;
    for (int i = 0; i < count; ++i) {
        const TFileOutline::TEntry& entry = index.Entry(i);
        if (!IsIndexKind(index.TypeKind(i)) || (filter && !filter(entry.declaration)))
            continue;
        if (!module) {
            module.emplace();
            for (int m = 0; m < count; ++m)
                if (index.TypeKind(m) == TSymbolKind::Module) {
                    *module = index.Name(m);
                    break;
                }
        }
        TIndexSymbol symbol;
        symbol.line = IntOrZero(entry.line);
        symbol.kind = index.Kind(i);
        const auto [qualifier, name] = SplitQualifiedName(index.Name(i), symbol.kind);
        symbol.name = name;
        if (qualifier.empty()) {
            const auto& [scope, scopeKind] = index.InnerScope(index.Parent(i));
            symbol.scope = scope;
            symbol.scopeKind = scopeKind;
        } else {
            symbol.scope = qualifier;
            symbol.scopeKind = index.QualifierKind(qualifier);
        }
        symbol.module = *module;
        symbol.declaration = entry.declaration;
        symbol.comment = entry.comment;
        visit(symbol);
    }
}
