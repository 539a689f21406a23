#include "search/core/FileOutline.h"

#include "scan/OutlineRecord.h"

#include <algorithm>

namespace {

// The layout of the value; a value of another format is damaged.
constexpr char kFormat = 2;

void PutNumber(std::string& out, std::uint64_t n)
{
    while (n >= 0x80) {
        out += static_cast<char>((n & 0x7F) | 0x80);
        n >>= 7;
    }
    out += static_cast<char>(n);
}

void PutText(std::string& out, std::string_view text)
{
    PutNumber(out, text.size());
    out += text;
}

// Reads a value front to back; a read past its end, or a number too long, damages it.
class TValueReader {
public:
    TValueReader(std::string_view value, std::size_t pos) : m_value(value), m_pos(pos) {}

    bool Damaged() const { return m_damaged; }
    bool AtEnd() const { return m_pos == m_value.size(); }
    std::size_t Pos() const { return m_pos; }

    std::uint64_t Number()
    {
        std::uint64_t n = 0;
        for (int shift = 0; shift < 64 && m_pos < m_value.size(); shift += 7) {
            const auto byte = static_cast<unsigned char>(m_value[m_pos++]);
            n |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                return n;
        }
        m_damaged = true;
        return 0;
    }

    std::string_view Text()
    {
        const std::uint64_t size = Number();
        if (m_damaged || size > m_value.size() - m_pos) {
            m_damaged = true;
            return {};
        }
        const std::string_view text = m_value.substr(m_pos, size);
        m_pos += size;
        return text;
    }

    // A count of items of at least minBytes each, which the rest of the value must hold.
    std::size_t Count(std::size_t minBytes)
    {
        const std::uint64_t n = Number();
        if (n > (m_value.size() - m_pos) / minBytes)
            m_damaged = true;
        return m_damaged ? 0 : static_cast<std::size_t>(n);
    }

private:
    std::string_view m_value;
    std::size_t m_pos;
    bool m_damaged = false;
};

// Bytes of the smallest entry: an empty line, level 0, type index 0, empty declaration and
// comment.
constexpr std::size_t kMinEntryBytes = 5;

} // namespace

TFileOutline::TFileOutline() : m_value{kFormat, 0, 0, 0}
{
    Index();
}

TFileOutline TFileOutline::FromResults(const TLines& results, const TLines& title)
{
    // A file has few distinct types, and entries of one type often follow each other.
    std::vector<std::string_view> typeList;
    std::size_t type = 0;
    std::string types;
    std::string entries;
    const std::size_t count = RecordCount(results);
    for (std::size_t n = 0; n < count; ++n) {
        const TOutlineRecord record = ReadRecord(results, static_cast<int>(kRecordLines * n));
        const std::string_view text = record.type;
        if (type >= typeList.size() || typeList[type] != text) {
            type = static_cast<std::size_t>(std::find(typeList.begin(), typeList.end(), text) - typeList.begin());
            if (type == typeList.size()) {
                typeList.push_back(text);
                PutText(types, text);
            }
        }
        PutText(entries, record.line);
        PutNumber(entries, static_cast<std::uint64_t>(std::max(0, record.level)));
        PutNumber(entries, type);
        PutText(entries, record.declaration);
        PutText(entries, record.comment);
    }
    std::string value(1, kFormat);
    PutNumber(value, typeList.size());
    value += types;
    PutNumber(value, title.size());
    for (const auto& line : title)
        PutText(value, line);
    PutNumber(value, count);
    value += entries;
    TFileOutline outline(std::move(value));
    outline.Index();
    return outline;
}

std::optional<TFileOutline> TFileOutline::FromValue(std::string value)
{
    TFileOutline outline(std::move(value));
    if (!outline.Index())
        return std::nullopt;
    return outline;
}

bool TFileOutline::Index()
{
    if (m_value.empty() || m_value[0] != kFormat || m_value.size() > UINT32_MAX)
        return false;
    TValueReader reader(m_value, 1);
    m_types.resize(reader.Count(1));
    for (auto& type : m_types) {
        const std::string_view text = reader.Text();
        type = {static_cast<std::uint32_t>(text.data() - m_value.data()), static_cast<std::uint32_t>(text.size())};
    }
    m_titleAt = reader.Pos();
    for (std::size_t i = reader.Count(1); i > 0; --i)
        reader.Text();
    m_entriesAt = reader.Pos();
    m_entryCount = reader.Count(kMinEntryBytes);
    for (std::size_t i = 0; i < m_entryCount && !reader.Damaged(); ++i) {
        reader.Text();
        const std::uint64_t level = reader.Number();
        if (level > INT32_MAX || reader.Number() >= m_types.size())
            return false;
        reader.Text();
        reader.Text();
    }
    return !reader.Damaged() && reader.AtEnd();
}

void TFileOutline::VisitTitle(const std::function<bool(std::size_t, std::string_view)>& visit) const
{
    TValueReader reader(m_value, m_titleAt);
    const std::size_t count = reader.Count(1);
    for (std::size_t i = 0; i < count; ++i)
        if (!visit(i, reader.Text()))
            return;
}

void TFileOutline::VisitEntries(const std::function<bool(const TEntry&)>& visit) const
{
    TValueReader reader(m_value, m_entriesAt);
    const std::size_t count = reader.Count(kMinEntryBytes);
    TEntry entry;
    for (std::size_t i = 0; i < count; ++i) {
        entry.line = reader.Text();
        entry.level = static_cast<int>(reader.Number());
        const auto& type = m_types[reader.Number()];
        entry.type = std::string_view(m_value).substr(type.first, type.second);
        entry.declaration = reader.Text();
        entry.comment = reader.Text();
        if (!visit(entry))
            return;
    }
}
