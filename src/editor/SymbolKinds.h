#pragma once
// What an outline entry is, for editors: the symbol kind (numbered as the Language
// Server Protocol numbers them) made from the entry's Type text, and the name it declares
// taken from its declaration. The Type texts are the rule file's own ("public class
// function", "strict private field"); visibility words and letter case do not count, and a
// text no rule of the table knows gets a kind by whether the entry holds others.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

enum class TSymbolKind : int {
    File = 1,
    Module,
    Namespace,
    Package,
    Class,
    Method,
    Property,
    Field,
    Constructor,
    Enum,
    Interface,
    Function,
    Variable,
    Constant,
    String,
    Number,
    Boolean,
    Array,
    Object,
    Key,
    Null,
    EnumMember,
    Struct,
    Event,
    Operator,
    TypeParameter
};

// The kind the Type text alone gives; Null for a text the table does not know.
TSymbolKind KindOfType(std::string_view type);

// The kind of one entry: the Type text's kind, made exact by the declaration (a class
// reference type is a class, a routine named Type.Name is a method), by the kind of the
// entry that holds it (a routine inside a class, record or interface is a method;
// parent is File at the top) and by whether the entry holds others (an unknown type
// that does is an object).
TSymbolKind EntryKind(TSymbolKind typeKind, std::string_view declaration, TSymbolKind parent,
                      bool holdsOthers = false);

// Classes, records, interfaces and objects: the kinds whose entries hold members.
bool IsTypeKind(TSymbolKind kind);
// Sections and uses clauses structure a file but declare nothing a tags file or a
// workspace search lists.
bool IsIndexKind(TSymbolKind kind);

// The name an entry declares: the identifier (with its dotted qualifiers, without generic
// parameters or the & that escapes a keyword) at the head of the declaration; an
// operator's symbol; the whole text of a uses clause or section. Never empty: the Type
// text, or "?", stands in for a declaration without a name.
std::string SymbolName(std::string_view declaration, std::string_view type, TSymbolKind kind);

// A routine's qualified name split at its last dot ("TStack.Push" into "TStack" and
// "Push"); other names, and names without a dot, have an empty qualifier.
std::pair<std::string_view, std::string_view> SplitQualifiedName(std::string_view name, TSymbolKind kind);

// The kind's letter and name in a tags file.
struct TTagKind {
    char letter;
    const char* name;
    const char* description;
};
TTagKind TagKindOf(TSymbolKind kind);
// Every kind a tags file uses, each once, in letter order.
std::vector<TTagKind> TagKinds();

// Memoised KindOfType over the few distinct Type texts of one outline.
class TTypeKinds {
public:
    // type must stay valid as long as this object is used.
    TSymbolKind Of(std::string_view type);

private:
    std::vector<std::pair<std::string_view, TSymbolKind>> m_known;
};
