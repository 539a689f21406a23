#pragma once
// The exports of the level on screen: a fixed-width text table and linked HTML
// pages. They are fed with what the list shows (captions, rows, field texts in
// on-screen order) and know nothing of widgets; the HTML walk goes through the
// window's own navigation behind TExportNavigator.

#include "scan/OutlineRecord.h"
#include "scan/TextFields.h"

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

// One list row as the list shows it.
struct TExportRow {
    std::string caption;                // " " for an entry, ".." for the parent row
    int image = 0;                      // kContainerIcon marks a container
    std::map<char, std::string> fields; // 'D', 'C', 'T', 'L' -> the cell text
    int key = -1;                       // the number the list's owner gave the row (its entry)

    std::string Field(char letter) const;
    bool IsContainer() const { return image == kContainerIcon; }
    bool IsParentRow() const { return caption.rfind("..", 0) == 0; }
    // The name of the page of the level a container row leads to: its Line text ("123.html";
    // "file.inc_123.html" for an entry of an included file).
    std::string ChildPage() const;
};

// The level on screen: every column caption in display order (the icon column's
// caption begins with a blank), the rows in display order, the title pane's lines.
struct TExportView {
    TLines captions;
    std::vector<TExportRow> rows;
    TLines title;
    std::string sourcePath;
};

// The text table: the "Export:" line, the title, an empty line, the header line and
// one line per row; slots are padded to the widest text (in characters) and joined by "|".
TLines TextTableLines(const TExportView& view);

// Writes lines, each followed by CR LF, replacing the file (a symbolic link in its place is
// replaced, not written through). Throws TExportError on failure.
void WriteLinesCrLf(const std::string& path, const TLines& lines);

// One HTML page of the level on screen. Cell texts, captions and the title are
// HTML-escaped, so a generic type such as TList<T> shows as written.
TLines HtmlPageLines(const TExportView& view, const std::string& parentPage);

class TExportNavigator {
public:
    virtual ~TExportNavigator() = default;
    virtual TExportView CurrentView() const = 0;
    // Steps into the container row, as a double click does; false when it cannot.
    virtual bool StepInto(const TExportRow& row) = 0;
    virtual void GoUp() = 0;
};

// The pages of one HTML export. Each page is written, as it is made, to a temporary file of
// the export folder; nothing of the folder is replaced until Publish renames them into
// place, so the user can be asked first, and a symbolic link named like a page is replaced,
// never written through. The temporary files not published are removed at the end.
class TExportPages {
public:
    explicit TExportPages(std::string folder) : m_folder(std::move(folder)) {}
    ~TExportPages();
    TExportPages(const TExportPages&) = delete;
    TExportPages& operator=(const TExportPages&) = delete;

    // Throws TExportError when the page cannot be written.
    void Add(const std::string& page, const TLines& lines);
    bool Has(const std::string& page) const;
    std::size_t Count() const { return m_pages.size(); }
    const std::string& Folder() const { return m_folder; }
    // The pages whose name the folder holds already (a file, a link or anything else), in
    // the order made.
    TLines Existing() const;
    // Renames every page into place. Throws TExportError on the first that fails.
    void Publish();

private:
    struct TPage {
        std::string name;
        std::string temporary; // empty once published
    };
    std::string m_folder;
    std::vector<TPage> m_pages;
    std::set<std::string> m_names;
};

// Makes the page of the level on screen, then walks into every container row and makes its
// level's page (TExportRow::ChildPage), coming back up after each. A page already made in this export
// is not walked again, so rows that lead back to a level on the way down cannot make the
// walk endless.
void ExportLevel(TExportNavigator& navigator, const std::string& parentPage, const std::string& page,
                 TExportPages& pages);

std::string HtmlEscape(std::string_view text);
// Percent-encodes every byte but ASCII letters, digits and "-._~" (UTF-8 bytes one by one).
std::string UrlEncode(std::string_view text);

class TExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
