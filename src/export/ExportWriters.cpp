#include "export/ExportWriters.h"

#include "config/SafeFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include <sys/stat.h>

namespace {

std::size_t CharacterCount(std::string_view text)
{
    std::size_t count = 0;
    for (char c : text)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

std::string HeaderWord(char letter, const std::string& caption)
{
    switch (letter) {
    case 'D': return "Declaration";
    case 'C': return "Comment";
    case 'T': return "Type";
    case 'L': return "Line";
    default: return caption; // a column of another kind is headed by its own caption
    }
}

std::string Padded(const std::string& text, std::size_t width)
{
    const std::size_t length = CharacterCount(text);
    return length >= width ? text : text + std::string(width - length, ' ');
}

bool IsIconColumn(const std::string& caption) { return caption.empty() || caption[0] == ' '; }

std::string CrLfText(const TLines& lines)
{
    std::string text;
    for (const auto& line : lines)
        text.append(line).append("\r\n");
    return text;
}

// A link to a page of the same folder: the file name as a URL (so "#", "?", "%" and blanks
// stay part of the name), then escaped for the attribute.
std::string PageHref(const std::string& page) { return HtmlEscape(UrlEncode(page)); }

} // namespace

std::string TExportRow::Field(char letter) const
{
    const auto it = fields.find(letter);
    return it == fields.end() ? std::string() : it->second;
}

std::string TExportRow::ChildPage() const
{
    std::string name = Field('L');
    std::replace(name.begin(), name.end(), ':', '_');
    return (name.empty() ? std::string("0") : name) + ".html";
}

TLines TextTableLines(const TExportView& view)
{
    struct TSlot {
        char letter;
        std::string header;
        std::size_t width;
    };
    std::vector<TSlot> slots;
    for (const auto& caption : view.captions) {
        if (IsIconColumn(caption))
            continue;
        const char letter = UpperCase(caption.substr(0, 1))[0];
        std::string header = HeaderWord(letter, caption);
        const std::size_t width = CharacterCount(header);
        slots.push_back({letter, std::move(header), width});
    }
    for (const auto& row : view.rows)
        for (auto& slot : slots)
            slot.width = std::max(slot.width, CharacterCount(row.Field(slot.letter)));

    auto line = [&](auto textOf) {
        std::string out;
        for (std::size_t i = 0; i < slots.size(); ++i) {
            if (i > 0)
                out += '|';
            out += Padded(textOf(slots[i]), slots[i].width);
        }
        return out;
    };
    TLines lines;
    lines.push_back("Export:" + view.sourcePath);
    lines.insert(lines.end(), view.title.begin(), view.title.end());
    lines.emplace_back();
    lines.push_back(line([](const TSlot& slot) { return slot.header; }));
    for (const auto& row : view.rows)
        lines.push_back(line([&](const TSlot& slot) { return row.Field(slot.letter); }));
    return lines;
}

void WriteLinesCrLf(const std::string& path, const TLines& lines)
{
    const std::string problem = ReplaceFile(path, CrLfText(lines));
    if (!problem.empty())
        throw TExportError(problem);
}

std::string HtmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string UrlEncode(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                                c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved)
            out += c;
        else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

TLines HtmlPageLines(const TExportView& view, const std::string& parentPage)
{
    // The pages are written as UTF-8; the head says so, or a browser may guess another code page.
    TLines lines = {"<!DOCTYPE html>", "<html>", "<head>", "<meta charset=\"utf-8\">",
                    "<title>Export Table</title>", "</head>", "<body>", "<br>",
                    "<table width=\"95%\" align=\"center\" border=\"0\" cellpadding=\"2\" cellspacing=\"1\" "
                    "bgcolor=\"#000000\">",
                    "<pre>"};
    for (const auto& line : view.title)
        lines.push_back(HtmlEscape(line));
    lines.push_back("</pre>");
    lines.push_back("<tr bgcolor=\"#bfcae6\">");
    for (const auto& caption : view.captions)
        if (!IsIconColumn(caption))
            lines.push_back("<td><strong>" + HtmlEscape(caption) + "</strong></td>");
    lines.push_back("</tr>");
    for (const auto& row : view.rows) {
        lines.push_back("<tr bgcolor=\"#ffffff\">");
        for (const auto& caption : view.captions) {
            if (IsIconColumn(caption))
                continue;
            const std::string text = HtmlEscape(row.Field(caption[0]));
            if (row.IsContainer() && !row.IsParentRow())
                lines.push_back("<td><a href=\"" + PageHref(row.ChildPage()) + "\">" + text + "</a></td>");
            else if (row.IsParentRow() && parentPage.size() > 1)
                lines.push_back("<td><a href=\"" + PageHref(parentPage) + "\">" + text + "</a></td>");
            else
                lines.push_back("<td>" + text + "</td>");
        }
        lines.push_back("</tr>");
    }
    lines.push_back("</table>");
    lines.push_back("</body>");
    lines.push_back("</html>");
    return lines;
}

TExportPages::~TExportPages()
{
    for (const auto& page : m_pages)
        if (!page.temporary.empty())
            std::remove(page.temporary.c_str());
}

void TExportPages::Add(const std::string& page, const TLines& lines)
{
    const std::string temporary = WriteBeside(m_folder + page, CrLfText(lines), std::nullopt, false);
    if (temporary.empty())
        throw TExportError("cannot write " + m_folder + page + ": " + ErrnoText(errno));
    m_pages.push_back({page, temporary});
    m_names.insert(page);
}

bool TExportPages::Has(const std::string& page) const { return m_names.count(page) > 0; }

TLines TExportPages::Existing() const
{
    TLines existing;
    for (const auto& page : m_pages) {
        struct stat info {};
        if (::lstat((m_folder + page.name).c_str(), &info) == 0)
            existing.push_back(page.name);
    }
    return existing;
}

void TExportPages::Publish()
{
    for (auto& page : m_pages) {
        const std::string path = m_folder + page.name;
        if (std::rename(page.temporary.c_str(), path.c_str()) != 0)
            throw TExportError("cannot write " + path + ": " + ErrnoText(errno));
        page.temporary.clear();
    }
}

void ExportLevel(TExportNavigator& navigator, const std::string& parentPage, const std::string& page,
                 TExportPages& pages)
{
    const TExportView view = navigator.CurrentView();
    pages.Add(page, HtmlPageLines(view, parentPage));
    for (const auto& row : view.rows) {
        if (!row.IsContainer() || row.IsParentRow())
            continue;
        const std::string childPage = row.ChildPage();
        if (pages.Has(childPage) || !navigator.StepInto(row))
            continue;
        ExportLevel(navigator, page, childPage, pages);
        navigator.GoUp();
    }
}
