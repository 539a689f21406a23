// What the command lines of a rule set do when they run (the rule language is described
// in docs/rules.md): the part of the interpreter that writes the buffer, the macros, the
// source and comment lines and the records.

#include "scan/CodeScanner.h"

#include "scan/SourceText.h"

void TCodeScanner::RunCommand(const TRuleSet& set, std::size_t index)
{
    const TCommand& command = set.commands[index];
    const std::string& value = set.values[index];
    const std::string& arg = command.arg;
    switch (command.op) {
    case TOp::Comment:
    case TOp::Code: {
        const bool comment = command.op == TOp::Comment;
        std::string& text = comment ? m_source.Comment() : m_source.Code();
        const std::string more = m_macros.Expand(value);
        TScanBudget::CheckSize(text.size() + more.size(), comment ? "a comment line" : "a source line");
        m_budget.Written(more.size());
        text += more;
        m_trace.Add(comment ? "[Comments<-]" : "[Codes<-]", text);
        break;
    }
    case TOp::SetMacro:
        m_macros.Set(command.digit, m_macros.Expand(value));
        break;
    case TOp::Emit:
        EmitRecord();
        break;
    case TOp::Buffer:
        SetBuffer(value);
        break;
    case TOp::Declaration:
        m_declaration = Trim(m_regex.Substitute(value, TScanBudget::kMaxTextSize));
        m_trace.Add("[Declaration<-]", m_declaration);
        break;
    case TOp::Icon:
        m_icon = m_macros.Expand(value);
        m_trace.Add("[Icon<-]", m_icon);
        break;
    case TOp::SaveLine:
        m_savedLine = m_source.Index();
        break;
    case TOp::PickUp:
        if (command.marker < 0)
            throw TScanError("pick-up command without a marker");
        PickUpMatch(static_cast<char>(command.marker));
        m_trace.Add("[MacroPickUp Buf=]", Buf());
        break;
    case TOp::Pattern:
        m_regex.SetPatternId(set.PatternId(m_regex, index));
        break;
    case TOp::Rematch:
        Rematch(set.PatternId(m_regex, index));
        break;
    case TOp::Type:
        m_type = Trim(m_regex.Substitute(m_macros.Expand(value), TScanBudget::kMaxTextSize));
        m_trace.Add("[Type<-]", m_type);
        break;
    case TOp::Push:
        m_trace.Add("[Push]", arg);
        PushSet(arg);
        m_commandIndex = kStop;
        break;
    case TOp::Switch:
        m_trace.Add("[SWITCH]", arg);
        SwitchSet(arg);
        m_commandIndex = kStop;
        break;
    case TOp::Pop:
        PopSet();
        m_trace.Add("[PopTo]", m_setStack.empty() ? std::string() : m_setStack.back());
        m_commandIndex = kStop;
        break;
    case TOp::If:
        if (m_regex.Search(m_macros.Text(command.digit)))
            JumpTo(command.jumpTarget, arg);
        break;
    case TOp::NextCycle:
        m_nextCycle = true;
        m_trace.Add("[Next CYC!]");
        break;
    case TOp::LineSeparator:
        m_source.SetSeparator(arg);
        break;
    case TOp::ScanDebug:
        m_trace.SetOn(!arg.empty() && (arg[0] == 'T' || arg[0] == 'Y' || arg[0] == 't' || arg[0] == 'y'));
        break;
    case TOp::Modifier:
        m_regex.SetModifiers(arg);
        break;
    case TOp::Msg:
        m_messages.ShowString(PlaceholdersUnescaped(m_macros.Expand(arg)));
        break;
    case TOp::ClearMacros:
        m_pickups.Clear();
        break;
    case TOp::Remark:
    case TOp::OtherWord:
        break;
    case TOp::End: // RunCommands ends at an empty line before it runs
    case TOp::Stop:
        m_commandIndex = kStop;
        break;
    }
}

void TCodeScanner::SetBuffer(const std::string& value)
{
    if (value == "#2" && m_buffer.TailIsLive() && (m_macros.TagsStandForThemselves() || !m_buffer.TailHasTag())) {
        // The text after the match still stands in the storage, and no macro would be
        // expanded in it: it becomes the buffer where it stands.
        m_buffer.TakeTail();
    } else {
        std::string text = Trim(m_macros.Expand(value));
        TScanBudget::CheckSize(text.size(), "the buffer");
        m_buffer.Set(std::move(text));
    }
    m_trace.Add("[Buf=]", Buf());
}

// An IF test that matched: the commands of the rule it names go on, when the rule matches.
void TCodeScanner::JumpTo(int target, const std::string& name)
{
    // A jump is an attempt: a jump back to a rule that runs it again is cut off like rules
    // that make no progress, and a stop request ends it.
    CheckStop();
    if (Stalled(1)) {
        m_commandIndex = kStop;
        return;
    }
    // A rule the set lacks: go on with the next line rather than retrying forever.
    if (target >= 0 && m_ruleSet) {
        TryRuleAt(target, m_trace.On() ? Trim(name) : std::string());
        --m_commandIndex;
    }
}

// Joins lines until the pattern matches Buf, or gives up at the end of the source; #0, #1
// and #2 come from the last search either way.
void TCodeScanner::Rematch(int patternId)
{
    m_regex.SetPatternId(patternId);
    m_source.Rematch(m_regex, m_stop);
    SetMacrosFromLastSearch();
    EmitNotes(m_source.ReadThrough());
    if (m_trace.On())
        m_trace.Add("[Rematch Buf=]", std::string(m_macros.Text(0)) + "|" + std::string(m_macros.Text(1)) + "|" +
                                          std::string(m_macros.Text(2)));
}

void TCodeScanner::PickUpMatch(char marker)
{
    std::string placeholder = m_pickups.Add(m_macros.Text(1), marker);
    m_buffer.Rebuild(m_macros.Text(0), placeholder);
    m_macros.Set(1, std::move(placeholder));
}

void TCodeScanner::EmitRecord()
{
    const int k = m_savedLine >= 0 ? m_savedLine : m_source.Index();
    std::string header = "[LINE]" + std::to_string(k + 1) + "[ICON]" + m_icon + "[LEVEL]" + std::to_string(Level());
    const long commentIndex = static_cast<long>(k) + m_commentIndicator;
    // Near the ends of the file the shifted comment line may not exist: the record
    // still has its four lines, with an empty comment.
    const TLines& comments = m_source.Comments();
    const bool hasComment = commentIndex >= 0 && static_cast<std::size_t>(commentIndex) < comments.size();
    const std::string& comment = hasComment ? comments[static_cast<std::size_t>(commentIndex)] : std::string();
    m_budget.Written(header.size() + m_type.size() + m_declaration.size() + comment.size());
    m_results.push_back(std::move(header));
    m_results.push_back(m_type);
    m_results.push_back(m_declaration);
    m_results.push_back(comment);
    m_trace.Add("[Do OutPut!]");
}

void TCodeScanner::EmitNotes(int through)
{
    for (; m_nextNote < m_map.notes.size() && m_map.notes[m_nextNote].line <= through; ++m_nextNote) {
        const TIncludeNote& note = m_map.notes[m_nextNote];
        std::string header = "[LINE]" + std::to_string(note.line + 1) + "[ICON]2[LEVEL]" + std::to_string(Level());
        std::string name = note.name;
        EscapePlaceholders(name);
        m_budget.Written(header.size() + name.size() + note.reason.size());
        m_results.push_back(std::move(header));
        m_results.push_back("include");
        m_results.push_back(std::move(name));
        m_results.push_back(note.reason);
        m_trace.Add("[Include note]", note.name);
    }
}

void TCodeScanner::MapRecordLines()
{
    if (m_map.origins.empty())
        return;
    constexpr std::string_view kLineTag = "[LINE]";
    for (std::size_t r = 0; r + 3 < m_results.size(); r += 4) {
        std::string& header = m_results[r];
        if (header.compare(0, kLineTag.size(), kLineTag) != 0)
            continue;
        std::size_t end = kLineTag.size();
        while (end < header.size() && header[end] >= '0' && header[end] <= '9')
            ++end;
        const long line = IntOrZero(std::string_view(header).substr(kLineTag.size(), end - kLineTag.size())) - 1L;
        if (line < 0 || static_cast<std::size_t>(line) >= m_map.origins.size())
            continue;
        const TLineOrigin& origin = m_map.origins[static_cast<std::size_t>(line)];
        std::string mapped = std::string(kLineTag) + std::to_string(origin.line + 1);
        mapped.append(header, end);
        if (origin.file > 0 && static_cast<std::size_t>(origin.file) < m_map.files.size())
            mapped += "[FILE]" + m_map.files[static_cast<std::size_t>(origin.file)];
        header = std::move(mapped);
    }
}
