#include "scan/RuleSet.h"

TRuleSet::TRuleSet(std::string setName, TLines setLines, std::vector<int> numbers)
    : name(std::move(setName)), lines(std::move(setLines)), lineNumbers(std::move(numbers))
{
    lineNumbers.resize(lines.size(), 0);
    values.reserve(lines.size());
    m_patternIds.assign(lines.size(), -1);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const auto eq = line.find('=');
        if (eq == std::string::npos) {
            values.push_back(line.empty() ? std::string() : line.substr(1));
            continue;
        }
        values.push_back(line.substr(eq + 1));
        const std::string upper = UpperCase(std::string_view(line).substr(0, eq));
        if (!m_firstIndexByName.emplace(upper, static_cast<int>(i)).second)
            continue;
        // The rule loop asks for "S0", "S1", ... by number; keep those at hand.
        if (upper.size() > 1 && upper.size() < 8 && upper[0] == 'S' &&
            upper.find_first_not_of("0123456789", 1) == std::string::npos) {
            const int n = std::stoi(upper.substr(1));
            if (upper == "S" + std::to_string(n)) {
                if (m_ruleIndexByNumber.size() <= static_cast<std::size_t>(n))
                    m_ruleIndexByNumber.resize(static_cast<std::size_t>(n) + 1, -1);
                m_ruleIndexByNumber[static_cast<std::size_t>(n)] = static_cast<int>(i);
            }
        }
    }
    commands.reserve(lines.size());
    for (const auto& line : lines)
        commands.push_back(ParseLine(line));
}

TCommand TRuleSet::ParseLine(const std::string& line) const
{
    TCommand command;
    if (line.empty()) {
        command.op = TOp::End;
        return command;
    }
    switch (line[0]) {
    case '*': command.op = TOp::Comment; break;
    case '<': command.op = TOp::Code; break;
    case '3': case '4': case '5': case '6': case '7': case '8': case '9':
        command.op = TOp::SetMacro;
        command.digit = line[0] - '0';
        break;
    case ';': command.op = TOp::Remark; break;
    case '?': command.op = TOp::Emit; break;
    case 'B': command.op = TOp::Buffer; break;
    case 'D': command.op = TOp::Declaration; break;
    case 'I': command.op = TOp::Icon; break;
    case 'L': command.op = TOp::SaveLine; break;
    case 'M':
        command.op = TOp::PickUp;
        if (line.size() >= 3)
            command.marker = static_cast<unsigned char>(line[2]);
        break;
    case 'R': command.op = TOp::Pattern; break;
    case 'S': command.op = TOp::Rematch; break;
    case 'T': command.op = TOp::Type; break;
    case '[': {
        static const std::pair<const char*, TOp> kWords[] = {
            {"PUSH", TOp::Push},
            {"SWITCH", TOp::Switch},
            {"POP", TOp::Pop},
            {"NEXTCYC", TOp::NextCycle},
            {"LINESEPARATER", TOp::LineSeparator},
            {"SCANDEBUG", TOp::ScanDebug},
            {"MODIFIER", TOp::Modifier},
            {"MSG", TOp::Msg},
            {"CLRMACRO", TOp::ClearMacros}};
        const std::string word = TagText(line, 0);
        command.op = TOp::OtherWord;
        command.arg = TagTail(line, 1);
        for (const auto& [text, op] : kWords)
            if (word == text)
                command.op = op;
        if (word.size() == 8 && word.compare(0, 3, "IF#") == 0 && word.compare(4, 4, "THEN") == 0 &&
            word[3] >= '0' && word[3] <= '3') {
            command.op = TOp::If;
            command.digit = word[3] - '0';
            if (const auto it = m_firstIndexByName.find(UpperCase(Trim(command.arg))); it != m_firstIndexByName.end())
                command.jumpTarget = it->second;
        }
        break;
    }
    default: break; // Stop
    }
    return command;
}

const TRuleRun* TRuleSet::RunAt(TRegex& regex, int first) const
{
    if (m_runModifiers != regex.Modifiers()) {
        m_runsByFirst.clear();
        std::vector<int> ids;
        int start = 0;
        const auto close = [&] {
            const int pattern = ids.size() >= 2 ? regex.Alternatives(ids) : -1;
            if (pattern >= 0) {
                m_runsByFirst.resize(static_cast<std::size_t>(start) + 1);
                m_runsByFirst.back() = TRuleRun{pattern, std::move(ids)};
            }
            ids.clear();
        };
        for (int n = 0, index = 0; (index = RuleIndex(n)) >= 0; ++n) {
            const int id = PatternId(regex, static_cast<std::size_t>(index));
            if (!regex.CanAlternate(id)) {
                close();
                continue;
            }
            if (ids.empty())
                start = n;
            ids.push_back(id);
        }
        close();
        m_runModifiers = regex.Modifiers();
    }
    const auto at = static_cast<std::size_t>(first);
    return at < m_runsByFirst.size() && m_runsByFirst[at] ? &*m_runsByFirst[at] : nullptr;
}

std::optional<TRuleFault> TRuleBlock::Choose(std::string_view key)
{
    // The block the VAR section names for the key, looked up once per key.
    auto known = m_blockNamesByKey.find(key);
    if (known == m_blockNamesByKey.end())
        known = m_blockNamesByKey.emplace(std::string(key), m_rules.BlockNameFor(key).value_or("")).first;
    const std::string& blockName = known->second;
    if (!m_blockName || *m_blockName != blockName) {
        std::vector<int> numbers;
        const TLines block = m_rules.Block(blockName, &numbers);
        m_block.LoadFromList(block, numbers);
        m_sets.clear();
        m_blockName = blockName;
    }
    if (blockName.empty() || !Set("CYC0")->lines.empty())
        return std::nullopt;
    TRuleFault fault;
    fault.ruleFile = m_rules.FileName();
    fault.set = blockName;
    if (m_block.Lines().empty()) {
        fault.message = "the rule file has no rule block " + blockName + " for the file type " + std::string(key);
    } else {
        fault.message = "the rule block " + blockName + " has no rules: its set CYC0 is missing or empty";
        fault.ruleLine = m_block.LineNumbers().front();
        fault.rule = m_block.Lines().front();
    }
    return fault;
}

const TRuleSet* TRuleBlock::Set(const std::string& name)
{
    if (auto it = m_sets.find(name); it != m_sets.end())
        return it->second.get();
    std::vector<int> numbers;
    TLines lines = m_block.Section(name, &numbers);
    auto set = std::make_unique<const TRuleSet>(name, std::move(lines), std::move(numbers));
    return m_sets.emplace(name, std::move(set)).first->second.get();
}
