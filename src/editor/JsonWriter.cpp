#include "editor/JsonWriter.h"

#include "scan/SourceText.h"

#include <QString>

#include <charconv>

void AppendJsonString(std::string& out, std::string_view text)
{
    std::string repaired;
    if (!IsValidUtf8(text)) {
        repaired = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toStdString();
        text = repaired;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    // Runs that need no escape go in whole.
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '"' && c != '\\' && static_cast<unsigned char>(c) >= 0x20)
            continue;
        out.append(text.substr(run, i - run));
        run = i + 1;
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            out += "\\u00";
            out += kHex[(c >> 4) & 0xF];
            out += kHex[c & 0xF];
        }
    }
    out.append(text.substr(run));
    out += '"';
}

void TJsonWriter::BeforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_empty.empty()) {
        if (!m_empty.back())
            m_text += ',';
        m_empty.back() = false;
    }
}

TJsonWriter& TJsonWriter::BeginObject()
{
    BeforeValue();
    m_text += '{';
    m_empty.push_back(true);
    return *this;
}

TJsonWriter& TJsonWriter::EndObject()
{
    m_text += '}';
    m_empty.pop_back();
    return *this;
}

TJsonWriter& TJsonWriter::BeginArray()
{
    BeforeValue();
    m_text += '[';
    m_empty.push_back(true);
    return *this;
}

TJsonWriter& TJsonWriter::EndArray()
{
    m_text += ']';
    m_empty.pop_back();
    return *this;
}

TJsonWriter& TJsonWriter::Key(std::string_view key)
{
    BeforeValue();
    AppendJsonString(m_text, key);
    m_text += ':';
    m_afterKey = true;
    return *this;
}

TJsonWriter& TJsonWriter::String(std::string_view text)
{
    BeforeValue();
    AppendJsonString(m_text, text);
    return *this;
}

TJsonWriter& TJsonWriter::Number(long long number)
{
    BeforeValue();
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    m_text.append(digits, static_cast<std::size_t>(end - digits));
    return *this;
}

TJsonWriter& TJsonWriter::Bool(bool value)
{
    BeforeValue();
    m_text += value ? "true" : "false";
    return *this;
}

TJsonWriter& TJsonWriter::Raw(std::string_view json)
{
    BeforeValue();
    m_text += json;
    return *this;
}
