#pragma once
// Compact JSON text written straight into a string, for the large answers (an outline of
// tens of thousands of symbols, a tags-sized --json listing), which Qt's JSON objects
// build several times slower. Reading JSON stays with Qt. Text that is not valid UTF-8
// is written with U+FFFD in place of its bad bytes.

#include <string>
#include <string_view>
#include <vector>

class TJsonWriter {
public:
    TJsonWriter& BeginObject();
    TJsonWriter& EndObject();
    TJsonWriter& BeginArray();
    TJsonWriter& EndArray();
    // The key of the next value in an object.
    TJsonWriter& Key(std::string_view key);
    TJsonWriter& String(std::string_view text);
    TJsonWriter& Number(long long number);
    TJsonWriter& Bool(bool value);
    // A value written already as JSON.
    TJsonWriter& Raw(std::string_view json);

    const std::string& Text() const { return m_text; }
    std::string Take() { return std::move(m_text); }

private:
    void BeforeValue();

    std::string m_text;
    std::vector<bool> m_empty; // for each open object or array: nothing in it yet
    bool m_afterKey = false;
};

// text as a JSON string, quotes included.
void AppendJsonString(std::string& out, std::string_view text);
