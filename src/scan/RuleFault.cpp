#include "scan/RuleFault.h"

#include "scan/TextFields.h"

std::string TRuleFault::Text() const
{
    std::string text;
    if (sourceLine >= 0)
        text = "There may be an exception at " + std::to_string(sourceLine) + ": ";
    text += message;
    if (ruleLine > 0 || !set.empty()) {
        text += " (";
        if (ruleLine > 0)
            text += (ruleFile.empty() ? std::string("rule file") : FileNameOf(ruleFile)) + " line " +
                    std::to_string(ruleLine) + ", ";
        text += "set " + set;
        if (!rule.empty())
            text += ": " + rule;
        text += ")";
    }
    return text;
}

void TRuleFaults::Clear()
{
    m_faults.clear();
    m_keys.clear();
}

std::string TRuleFaults::Add(TRuleFault fault, int key)
{
    std::string text = fault.Text();
    if (m_keys.emplace(fault.set, key).second)
        m_faults.push_back(std::move(fault));
    return text;
}

void ReportRuleFaults(const std::vector<TRuleFault>& faults, IScanMessages& messages, bool show)
{
    for (const auto& fault : faults)
        messages.AddLine(fault.Text());
    if (!show || faults.empty())
        return;
    std::string text = faults.front().Text();
    if (faults.size() > 1)
        text += "\n\n" + std::to_string(faults.size() - 1) + " more in the trace log " + messages.FileName();
    messages.ShowString(text);
}
