#include "editor/JsonWriter.h"

#include "scan/SourceText.h"

#include <QString>

void AppendJsonString(std::string& out, std::string_view text)
{
    std::string repaired;
    if (!IsValidUtf8(text)) {
        repaired = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toStdString();
        text = repaired;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                out += "\\u00";
                out += kHex[(c >> 4) & 0xF];
                out += kHex[c & 0xF];
            } else {
                out += c;
            }
        }
    }
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
    m_text += std::to_string(number);
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
