#include "editor/SymbolKinds.h"

#include "scan/TextFields.h"

#include <algorithm>
#include <array>

namespace {

struct TWordKind {
    std::string_view word;
    TSymbolKind kind;
};

// The last word of a Type text, or its only one, names the kind.
constexpr std::array kWordKinds{
    TWordKind{"unit", TSymbolKind::Module},          TWordKind{"program", TSymbolKind::Module},
    TWordKind{"library", TSymbolKind::Module},       TWordKind{"package", TSymbolKind::Module},
    TWordKind{"section", TSymbolKind::Namespace},    TWordKind{"initialization", TSymbolKind::Namespace},
    TWordKind{"finalization", TSymbolKind::Namespace}, TWordKind{"uses", TSymbolKind::Package},
    TWordKind{"class", TSymbolKind::Class},          TWordKind{"object", TSymbolKind::Class},
    TWordKind{"objcclass", TSymbolKind::Class},      TWordKind{"objccategory", TSymbolKind::Class},
    TWordKind{"helper", TSymbolKind::Class},         TWordKind{"interface", TSymbolKind::Interface},
    TWordKind{"dispinterface", TSymbolKind::Interface}, TWordKind{"objcprotocol", TSymbolKind::Interface},
    TWordKind{"record", TSymbolKind::Struct},        TWordKind{"enum", TSymbolKind::Enum},
    TWordKind{"procedure", TSymbolKind::Function},   TWordKind{"function", TSymbolKind::Function},
    TWordKind{"operator", TSymbolKind::Operator},    TWordKind{"constructor", TSymbolKind::Constructor},
    TWordKind{"destructor", TSymbolKind::Constructor}, TWordKind{"property", TSymbolKind::Property},
    TWordKind{"field", TSymbolKind::Field},          TWordKind{"const", TSymbolKind::Constant},
    TWordKind{"resourcestring", TSymbolKind::Constant}, TWordKind{"var", TSymbolKind::Variable},
    TWordKind{"threadvar", TSymbolKind::Variable},   TWordKind{"type", TSymbolKind::TypeParameter},
};

// Words that say who may see a member, not what it is.
constexpr std::array<std::string_view, 8> kVisibilityWords{"strict",    "private",  "protected", "public",
                                                           "published", "automated", "required", "optional"};

TSymbolKind KindOfWord(std::string_view word)
{
    for (const auto& entry : kWordKinds)
        if (entry.word == word)
            return entry.kind;
    return TSymbolKind::Null;
}

bool IsIdentifierByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '_' || b >= 0x80;
}

// A declaration of the form "Name = class of ...", a class reference type.
bool IsClassReference(std::string_view declaration)
{
    const std::size_t eq = declaration.find('=');
    if (eq == std::string_view::npos)
        return false;
    const std::string rest = LowerCase(Trim(declaration.substr(eq + 1)));
    return rest.rfind("class", 0) == 0 && (rest.size() == 5 || !IsIdentifierByte(rest[5]));
}

// The identifier path at the head of text: dotted parts, each optionally escaped with &
// and followed by generic parameters, which are left out.
std::string IdentifierPath(std::string_view text)
{
    std::string path;
    std::size_t i = 0;
    for (;;) {
        if (i < text.size() && text[i] == '&')
            ++i;
        const std::size_t start = i;
        while (i < text.size() && IsIdentifierByte(text[i]))
            ++i;
        if (i == start)
            break;
        if (!path.empty())
            path += '.';
        path.append(text.substr(start, i - start));
        if (i < text.size() && text[i] == '<') {
            int depth = 0;
            for (; i < text.size(); ++i) {
                depth += text[i] == '<' ? 1 : text[i] == '>' ? -1 : 0;
                if (depth == 0)
                    break;
            }
            if (i < text.size())
                ++i;
        }
        if (i + 1 >= text.size() || text[i] != '.')
            break;
        ++i;
    }
    // A trailing dot, or an escape without a name, belongs to no identifier.
    return path;
}

// Whether the identifier path at the head of the declaration has a qualifier, as
// "TStack.Push(...)" has; IdentifierPath without making the path.
bool IsQualified(std::string_view declaration)
{
    std::size_t i = 0;
    while (i < declaration.size() && static_cast<unsigned char>(declaration[i]) <= ' ')
        ++i;
    if (i < declaration.size() && declaration[i] == '&')
        ++i;
    const std::size_t start = i;
    while (i < declaration.size() && IsIdentifierByte(declaration[i]))
        ++i;
    if (i == start)
        return false;
    for (int depth = 0; i < declaration.size() && (depth > 0 || declaration[i] == '<'); ++i)
        depth += declaration[i] == '<' ? 1 : declaration[i] == '>' ? -1 : 0;
    return i + 1 < declaration.size() && declaration[i] == '.' &&
           (IsIdentifierByte(declaration[i + 1]) || declaration[i + 1] == '&');
}

} // namespace

TSymbolKind KindOfType(std::string_view type)
{
    std::vector<std::string> words;
    const std::string lower = LowerCase(type);
    std::size_t i = 0;
    while (i < lower.size()) {
        while (i < lower.size() && lower[i] == ' ')
            ++i;
        const std::size_t start = i;
        while (i < lower.size() && lower[i] != ' ')
            ++i;
        if (i > start)
            words.push_back(lower.substr(start, i - start));
    }
    auto first = std::find_if(words.begin(), words.end(), [](const std::string& word) {
        return std::find(kVisibilityWords.begin(), kVisibilityWords.end(), word) == kVisibilityWords.end();
    });
    if (first == words.end())
        return TSymbolKind::Null;
    // "class forward", "interface forward": what is declared ahead.
    if (words.back() == "forward" && words.end() - first >= 2)
        return KindOfWord(*first);
    // "class function", "class field": the class marks a member of the class itself.
    if (*first == "class" && words.end() - first >= 2)
        ++first;
    const TSymbolKind last = KindOfWord(words.back());
    return last != TSymbolKind::Null ? last : KindOfWord(*first);
}

TSymbolKind EntryKind(TSymbolKind typeKind, std::string_view declaration, TSymbolKind parent, bool holdsOthers)
{
    switch (typeKind) {
    case TSymbolKind::Null:
        return holdsOthers ? TSymbolKind::Object : TSymbolKind::Variable;
    case TSymbolKind::TypeParameter:
        return IsClassReference(declaration) ? TSymbolKind::Class : typeKind;
    case TSymbolKind::Function:
        return IsTypeKind(parent) || IsQualified(declaration) ? TSymbolKind::Method : typeKind;
    default:
        return typeKind;
    }
}

bool IsTypeKind(TSymbolKind kind)
{
    return kind == TSymbolKind::Class || kind == TSymbolKind::Interface || kind == TSymbolKind::Struct ||
           kind == TSymbolKind::Object;
}

bool IsIndexKind(TSymbolKind kind) { return kind != TSymbolKind::Namespace && kind != TSymbolKind::Package; }

std::string SymbolName(std::string_view declaration, std::string_view type, TSymbolKind kind)
{
    std::string name;
    const std::string text = Trim(declaration);
    if (kind == TSymbolKind::Namespace || kind == TSymbolKind::Package) {
        name = text;
    } else {
        name = IdentifierPath(text);
        // An operator's symbol: what stands before its parameters.
        if (name.empty())
            name = Trim(std::string_view(text).substr(0, text.find('(')));
    }
    if (name.empty())
        name = Trim(type);
    return name.empty() ? "?" : name;
}

std::pair<std::string_view, std::string_view> SplitQualifiedName(std::string_view name, TSymbolKind kind)
{
    const bool routine = kind == TSymbolKind::Function || kind == TSymbolKind::Method ||
                         kind == TSymbolKind::Constructor || kind == TSymbolKind::Operator;
    const std::size_t dot = routine ? name.rfind('.') : std::string_view::npos;
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size())
        return {{}, name};
    return {name.substr(0, dot), name.substr(dot + 1)};
}

TTagKind TagKindOf(TSymbolKind kind)
{
    switch (kind) {
    case TSymbolKind::Module: return {'u', "unit", "units, programs and libraries"};
    case TSymbolKind::Namespace: return {'n', "section", "sections"};
    case TSymbolKind::Package: return {'U', "uses", "uses clauses"};
    case TSymbolKind::Class: return {'c', "class", "classes and objects"};
    case TSymbolKind::Interface: return {'i', "interface", "interfaces"};
    case TSymbolKind::Struct: return {'r', "record", "records"};
    case TSymbolKind::Enum: return {'e', "enum", "enumerations"};
    case TSymbolKind::Function: return {'f', "function", "functions and procedures"};
    case TSymbolKind::Method: return {'m', "method", "methods"};
    case TSymbolKind::Constructor: return {'C', "constructor", "constructors and destructors"};
    case TSymbolKind::Operator: return {'o', "operator", "operators"};
    case TSymbolKind::Property: return {'p', "property", "properties"};
    case TSymbolKind::Field: return {'d', "field", "fields"};
    case TSymbolKind::Constant: return {'k', "const", "constants and resource strings"};
    case TSymbolKind::TypeParameter: return {'t', "type", "other types"};
    case TSymbolKind::Object: return {'b', "block", "other entries that hold entries"};
    default: return {'v', "var", "variables and other entries"};
    }
}

std::vector<TTagKind> TagKinds()
{
    std::vector<TTagKind> kinds;
    for (int k = static_cast<int>(TSymbolKind::File); k <= static_cast<int>(TSymbolKind::TypeParameter); ++k) {
        const auto kind = static_cast<TSymbolKind>(k);
        const TTagKind tag = TagKindOf(kind);
        if (IsIndexKind(kind) && std::none_of(kinds.begin(), kinds.end(), [&](const TTagKind& known) {
                return known.letter == tag.letter;
            }))
            kinds.push_back(tag);
    }
    std::sort(kinds.begin(), kinds.end(), [](const TTagKind& a, const TTagKind& b) { return a.letter < b.letter; });
    return kinds;
}

TSymbolKind TTypeKinds::Of(std::string_view type)
{
    for (const auto& [known, kind] : m_known)
        if (known.data() == type.data() ? known.size() == type.size() : known == type)
            return kind;
    const TSymbolKind kind = KindOfType(type);
    m_known.emplace_back(type, kind);
    return kind;
}
