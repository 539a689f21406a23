#include "scan/ScanMessages.h"

#include "scan/ScanBudget.h"
#include "scan/SourceText.h"

namespace {

constexpr std::string_view kBreak = "\n\r";

} // namespace

void TScanTrace::Append(std::string_view label, std::string_view value)
{
    if (m_text.size() < TScanBudget::kMaxTextSize)
        m_text.append(kBreak).append(label).append(value.substr(0, TScanBudget::kMaxTextSize));
}

void TScanTrace::AddMatch(int line, std::string_view set, std::string_view name, std::string_view rule,
                          std::string_view head, std::string_view match, std::string_view tail)
{
    if (!m_on)
        return;
    m_text.append(kBreak).append(kBreak).append("--------------------------------");
    m_text.append(kBreak).append("[").append(std::to_string(line)).append("]");
    m_text.append(kBreak).append("[Match <").append(set).append(",").append(name).append(">] ").append(rule);
    m_text.append(kBreak).append("[Buf:]").append(head).append("|").append(match);
    m_text.append("|").append(tail).append(kBreak).append(kBreak);
}

void TScanTrace::ShowText(IScanMessages& messages, const std::function<void()>& minimize)
{
    if (minimize)
        minimize();
    messages.ShowString(PlaceholdersUnescaped(m_text));
    m_text.clear();
}
