#pragma once
// The rules of a file type as the scanner runs them: the sets of one rule block, each
// taken apart once into the commands its lines stand for (TRuleSet), and the block that
// the rule file's VAR section names for a file type, its sets parsed on first use
// (TRuleBlock). The rule language is described in docs/rules.md.

#include "scan/Regex.h"
#include "scan/RuleFault.h"
#include "scan/StructureTexts.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// What a line of a set does when it runs: by its first character, or the word of a
// "[WORD] argument" line.
enum class TOp {
    End,         // an empty line: the set's commands end there
    Stop,        // ".", and any line that is no command
    Remark,      // ";"
    Comment,     // "*": append to the comment of the current line
    Code,        // "<": append to the current source line
    SetMacro,    // "3=" to "9="
    Emit,        // "?"
    Buffer,      // "B="
    Declaration, // "D="
    Icon,        // "I="
    SaveLine,    // "L"
    PickUp,      // "M=c"
    Pattern,     // "R="
    Rematch,     // "S=", and a rule "Sn=" that the commands run into
    Type,        // "T="
    Push,        // "[PUSH] NAME"
    Switch,      // "[SWITCH] NAME"
    Pop,         // "[POP]"
    If,          // "[IF#nTHEN] RULE"
    NextCycle,   // "[NEXTCYC]"
    LineSeparator, // "[LINESEPARATER] text"
    ScanDebug,   // "[SCANDEBUG] T"
    Modifier,    // "[MODIFIER] isg-mxr"
    Msg,         // "[MSG] text"
    ClearMacros, // "[CLRMACRO]"
    OtherWord,   // a word the scanner does not know: nothing
};

struct TCommand {
    TOp op = TOp::Stop;
    int digit = 0;       // the macro of "3=" to "9=", and of "[IF#nTHEN]"
    int marker = -1;     // the marker of "M=c" (a byte); -1 when the line has none
    int jumpTarget = -1; // the line "[IF#nTHEN] RULE" jumps to; -1 when the set has no RULE
    std::string arg;     // a command word's argument
};

// Consecutive rules of a set that the matcher searches as one pattern of alternatives.
struct TRuleRun {
    int pattern = -1;     // the pattern of the rules' patterns as alternatives
    std::vector<int> ids; // the rules' own patterns, in rule order
};

// One rule set; its lines are fixed once it is made. It keeps the matcher's pattern ids
// of its lines and its runs of rules, made as they are first needed, for the one matcher
// of the scanner that owns the set.
class TRuleSet {
public:
    TRuleSet(std::string setName, TLines setLines, std::vector<int> numbers);

    std::string name;
    TLines lines;
    std::vector<int> lineNumbers;  // of each line in the rule file; 0 when not known
    TLines values;                 // of each line: the text after its first "=", or after its first character
    std::vector<TCommand> commands; // of each line

    // The line index of the rule "S<number>", or -1.
    int RuleIndex(int number) const
    {
        return number >= 0 && static_cast<std::size_t>(number) < m_ruleIndexByNumber.size()
                   ? m_ruleIndexByNumber[static_cast<std::size_t>(number)]
                   : -1;
    }
    // The pattern id in regex of the value of line index (a rule, an R or an S command).
    int PatternId(TRegex& regex, std::size_t index) const
    {
        int& id = m_patternIds[index];
        if (id < 0)
            id = regex.PatternId(values[index]);
        return id;
    }
    // The run of rules that starts at "S<first>", for the modifiers in force in regex:
    // consecutive rules whose patterns the matcher can try as alternatives of one pattern,
    // two or more of them; null when no run starts there.
    const TRuleRun* RunAt(TRegex& regex, int first) const;

private:
    TCommand ParseLine(const std::string& line) const;

    std::unordered_map<std::string, int> m_firstIndexByName; // upper-cased name -> line index
    std::vector<int> m_ruleIndexByNumber;                    // n -> line index of "Sn", or -1
    mutable std::vector<int> m_patternIds;
    mutable std::optional<std::uint32_t> m_runModifiers;         // the runs were made for these
    mutable std::vector<std::optional<TRuleRun>> m_runsByFirst; // by the number of the run's first rule
};

// The rule block for a file type, with its sets. The shared rule file never changes, so a
// scanner that scans many files of one type (the search) copies the block and parses each
// of its sets once; they stay until another block is chosen.
class TRuleBlock {
public:
    explicit TRuleBlock(const TStructureTexts& rules) : m_rules(rules) {}

    const TStructureTexts& Rules() const { return m_rules; }
    // True when the rule file's VAR section lists the file-type key (letter case ignored).
    bool IsKnownType(std::string_view key) const { return m_rules.BlockNameFor(key).has_value(); }
    // Chooses the block that VAR names for the key (none when it names none). A block
    // that VAR names but the rule file lacks, or whose first cycle CYC0 is missing or
    // empty, gives a fault of its set (the block's name): a rule file cut short should be
    // said rather than give an empty outline without a word.
    std::optional<TRuleFault> Choose(std::string_view key);
    // A set of the chosen block; empty when the block has no set of that name.
    const TRuleSet* Set(const std::string& name);

private:
    const TStructureTexts& m_rules;
    std::map<std::string, std::string, std::less<>> m_blockNamesByKey;
    TStructureTexts m_block;
    std::optional<std::string> m_blockName; // the block m_block holds
    std::map<std::string, std::unique_ptr<const TRuleSet>, std::less<>> m_sets;
};
