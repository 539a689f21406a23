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
