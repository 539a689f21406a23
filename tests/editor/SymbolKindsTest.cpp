// The Type texts the delivered rules write, mapped to symbol kinds; the names taken from
// declarations; the kinds an entry's place makes exact.

#include "editor/SymbolKinds.h"

#include <gtest/gtest.h>

namespace {

using K = TSymbolKind;

TEST(SymbolKinds, EveryTypeTextOfTheDeliveredRules)
{
    const std::pair<const char*, K> cases[] = {
        {"unit", K::Module},
        {"program", K::Module},
        {"library", K::Module},
        {"section", K::Namespace},
        {"initialization", K::Namespace},
        {"uses", K::Package},
        {"class", K::Class},
        {"Class", K::Class},
        {"CLASS", K::Class},
        {"public class", K::Class},
        {"object", K::Class},
        {"objcclass", K::Class},
        {"objccategory", K::Class},
        {"class helper", K::Class},
        {"record helper", K::Class},
        {"type helper", K::Class},
        {"class forward", K::Class},
        {"objcclass forward", K::Class},
        {"interface", K::Interface},
        {"dispinterface", K::Interface},
        {"objcprotocol", K::Interface},
        {"interface forward", K::Interface},
        {"dispinterface forward", K::Interface},
        {"objcprotocol forward", K::Interface},
        {"record", K::Struct},
        {"private record", K::Struct},
        {"RECORD", K::Struct},
        {"enum", K::Enum},
        {"procedure", K::Function},
        {"function", K::Function},
        {"strict private function", K::Function},
        {"published class procedure", K::Function},
        {"public class function", K::Function},
        {"required procedure", K::Function},
        {"optional function", K::Function},
        {"operator", K::Operator},
        {"class operator", K::Operator},
        {"public operator", K::Operator},
        {"constructor", K::Constructor},
        {"destructor", K::Constructor},
        {"class constructor", K::Constructor},
        {"private class destructor", K::Constructor},
        {"property", K::Property},
        {"published property", K::Property},
        {"strict protected property", K::Property},
        {"field", K::Field},
        {"strict private field", K::Field},
        {"private class field", K::Field},
        {"const", K::Constant},
        {"protected const", K::Constant},
        {"resourcestring", K::Constant},
        {"var", K::Variable},
        {"threadvar", K::Variable},
        {"type", K::TypeParameter},
        {"strict private type", K::TypeParameter},
        // Texts no rule of the table knows.
        {"label", K::Null},
        {"", K::Null},
        {"private", K::Null},
    };
    for (const auto& [type, kind] : cases)
        EXPECT_EQ(KindOfType(type), kind) << "'" << type << "'";
}

TEST(SymbolKinds, AnEntrysPlaceMakesItsKindExact)
{
    struct Case {
        const char* type;
        const char* declaration;
        K parent;
        bool holdsOthers;
        K expected;
    };
    const Case cases[] = {
        {"procedure", "Run", K::File, false, K::Function},
        {"procedure", "Run", K::Namespace, false, K::Function},
        {"public procedure", "Put(Count: Integer)", K::Class, false, K::Method},
        {"function", "ToText: string", K::Struct, false, K::Method},
        {"function", "TShelfPos.ToText: string", K::Namespace, false, K::Method},
        {"function", "TList<TPair<K, V>>.Add(const Item: T): Integer", K::Namespace, false, K::Method},
        {"function", "Total(A: TList.TItem): Integer", K::Namespace, false, K::Function},
        {"procedure", "AddItem(Item: TStockItem)", K::Method, false, K::Function},
        {"type", "TItemClass = class of TItem", K::Namespace, false, K::Class},
        {"type", "TItemClasses = array of TItemClass", K::Namespace, false, K::TypeParameter},
        {"type", "TClassy = classy", K::Namespace, false, K::TypeParameter},
        {"label", "L1", K::Namespace, false, K::Variable},
        {"block", "B", K::Namespace, true, K::Object},
        {"class", "TOuter", K::Class, true, K::Class},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EntryKind(KindOfType(c.type), c.declaration, c.parent, c.holdsOthers), c.expected)
            << c.type << " " << c.declaration;
}

TEST(SymbolKinds, NamesComeFromTheHeadOfTheDeclaration)
{
    struct Case {
        const char* declaration;
        const char* type;
        K kind;
        const char* name;
        const char* qualifier; // as SplitQualifiedName gives it
        const char* bare;
    };
    const Case cases[] = {
        {"MaxStock = 9999", "const", K::Constant, "MaxStock", "", "MaxStock"},
        {"UnitNames: array[0..2] of string", "const", K::Constant, "UnitNames", "", "UnitNames"},
        {"EStockError(Exception)", "class", K::Class, "EStockError", "", "EStockError"},
        {"Items[Index: Integer]: TStockItem", "property", K::Property, "Items", "", "Items"},
        {"  TStockItem.Create(const AName: string)", "constructor", K::Constructor, "TStockItem.Create", "TStockItem",
         "Create"},
        {"TList<T>.Add(const Item: T): Integer", "function", K::Method, "TList.Add", "TList", "Add"},
        {"TCustomPointersCollection<T, PT>", "object", K::Class, "TCustomPointersCollection", "", "TCustomPointersCollection"},
        {"&String(constref ALeft, ARight: string): Integer", "function", K::Method, "String", "", "String"},
        {":=(const source : float128) dest : double", "operator", K::Operator, ":=", "", ":="},
        {"xor(const a: u128; const b: u128): u128", "operator", K::Operator, "xor", "", "xor"},
        {"tests.generics.queue", "unit", K::Module, "tests.generics.queue", "", "tests.generics.queue"},
        {"Classes, SysUtils", "uses", K::Package, "Classes, SysUtils", "", "Classes, SysUtils"},
        {"implementation", "section", K::Namespace, "implementation", "", "implementation"},
        {"", "var", K::Variable, "var", "", "var"},
        {"", "", K::Variable, "?", "", "?"},
    };
    for (const auto& c : cases) {
        const std::string name = SymbolName(c.declaration, c.type, c.kind);
        EXPECT_EQ(name, c.name) << c.declaration;
        const auto [qualifier, bare] = SplitQualifiedName(name, c.kind);
        EXPECT_EQ(qualifier, c.qualifier) << c.declaration;
        EXPECT_EQ(bare, c.bare) << c.declaration;
    }
}

TEST(SymbolKinds, TagKindsHaveLettersOfTheirOwn)
{
    const auto kinds = TagKinds();
    for (std::size_t i = 1; i < kinds.size(); ++i)
        EXPECT_LT(kinds[i - 1].letter, kinds[i].letter);
    EXPECT_EQ(TagKindOf(K::Class).letter, 'c');
    EXPECT_EQ(std::string(TagKindOf(K::Struct).name), "record");
}

} // namespace
