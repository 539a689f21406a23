// The main window's state in the settings store: restored when the window is
// created (font, geometry, icon size, columns, sort, the start location) and
// stored when it is closed.

#include "browser/MainForm.h"

#include "browser/LevelPathDelegate.h"
#include "browser/TextViewer.h"
#include "browser/core/HeaderLayout.h"
#include "config/Config.h"
#include "config/FontText.h"
#include "config/SettingsKeys.h"
#include "widgets/ListViewEx.h"
#include "widgets/WindowState.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QSplitter>

namespace {

// Built-in widths of the outline list's columns.
constexpr int kBuiltInWidth[] = {32, 190, 187, 187, 187};

constexpr TBoundsKeys kBounds{kMformLeft, kMformTop, kMformWidth, kMformHeight, kMformMax};
constexpr TColumnKeys kColumns{kListHeader, kListHeaderWidthPrefix, kListHeaderSortCol, kListHeaderSortOrder};

// A font's face name; the classic dialog face stands for the platform's default font.
bool IsDefaultFace(const std::string& face)
{
    return face.empty() || SameText(face, "MS Sans Serif");
}

} // namespace

void TMForm::FormCreate()
{
    m_titleHeight = m_config.ReadInteger(kTitleHeight);
    if (m_titleHeight < 5)
        m_titleHeight = 100;
    m_splitterH->setSizes({m_titleHeight, std::max(100, kBuiltInHeightPx - m_titleHeight)});

    TFontDesc font;
    if (TextToFont(m_config.ReadString(kMformFont), font)) {
        m_fontColor = font.color;
        m_fontCharset = font.charset;
        setFont(FontOfDesc(font));
        if ((m_fontColor & 0xFF000000u) == 0) {
            // A fixed colour (not a system colour) is the text colour of the title and the list.
            QPalette palette = m_memoTitle->palette();
            palette.setColor(QPalette::Text, QColor::fromRgb(ColorToRgb(m_fontColor)));
            m_memoTitle->setPalette(palette);
            m_listView->setPalette(palette);
        }
    }

    const TStoredBounds bounds = ReadBounds(m_config, kBounds);
    move(bounds.left, bounds.top);
    // A window without a stored size (a first start) keeps its built-in size.
    if (bounds.width > 0 && bounds.height > 0)
        resize(bounds.width, bounds.height);
    if (bounds.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);

    m_listIcon16->setChecked(m_config.ReadBool(kIcon16));
    m_listIcon20->setChecked(m_config.ReadBool(kIcon20));
    m_listIcon32->setChecked(m_config.ReadBool(kIcon32));
    int iconSize = 20;
    if (m_listIcon16->isChecked())
        iconSize = 16;
    if (m_listIcon20->isChecked())
        iconSize = 20;
    if (m_listIcon32->isChecked())
        iconSize = 32;
    SetIconSize(iconSize);

    m_listView->setUpdatesEnabled(false);
    const TStoredColumns columns = ReadColumns(m_config, kColumns, kColumnCount);
    ApplyColumnLayout(columns.letters);
    ApplyColumnWidths(columns.widths);
    // The sort column is the sorted column's place in the stored layout. Files written before
    // it was stored that way hold the column's index in the run that wrote them, which is the
    // same place unless the columns were dragged in that run; such a file is read alike.
    m_listView->SetSortColumn(columns.sortColumn);
    m_listView->SetSortOrder(columns.ascending ? TSortOption::soAscending : TSortOption::soDescending);
    m_listView->setUpdatesEnabled(true);

    if (!m_startArgument.empty())
        m_config.WriteString(kLastView, m_startArgument);
    if (m_config.ReadString(kLastView).empty())
        m_config.WriteString(kLastView, m_paths.dataFolder + "Example.pas");
    m_browser.Start(m_config.ReadString(kLastView));
    // Settings that cannot be saved at the end are said now, while the user can mend it.
    if (const std::string problem = m_config.SaveProblem(); !problem.empty() && NoticeText().isEmpty())
        ShowNotice("The settings will not be saved: " + problem);
    // A column stored as "widest text" is sized once the rows are there.
    for (int column : m_autoWidthColumns)
        m_listView->resizeColumnToContents(column);
}

void TMForm::ApplyColumnLayout(const std::string& stored)
{
    // A layout that lacks a field would leave that field without a column.
    m_headerLayout = IsCompleteLayout(stored) ? stored : std::string(kBuiltInLayout);
    // The Declaration column shows a filter match's level path after its declaration, and
    // takes the spare width of a wide window.
    const int declarationColumn = FieldSubItem(m_headerLayout, 'D') + 1;
    m_listView->setItemDelegateForColumn(declarationColumn, m_levelPathDelegate);
    m_listView->SetStretchColumn(declarationColumn);
    for (int k = 1; k < kColumnCount; ++k) {
        if (static_cast<std::size_t>(k) >= m_headerLayout.size())
            break;
        const std::string caption = CaptionOfLetter(m_headerLayout[static_cast<std::size_t>(k)]);
        if (!caption.empty())
            m_listView->headerItem()->setText(k, QString::fromStdString(caption));
    }
}

void TMForm::ApplyColumnWidths(const std::vector<std::optional<int>>& stored)
{
    m_autoWidthColumns.clear();
    m_listView->header()->setStretchLastSection(false);
    for (int n = 0; n < kColumnCount; ++n) {
        const std::optional<int> width = stored[static_cast<std::size_t>(n)];
        ApplyStoredWidth(*m_listView, n, width, kBuiltInWidth[n], MinimumWidth(n));
        if (width == -1)
            m_autoWidthColumns.push_back(n);
    }
}

void TMForm::FormClose()
{
    TFontDesc font;
    const QFont f = this->font();
    font.face = f.family().toStdString();
    font.size = f.pointSize() > 0 ? f.pointSize() : qRound(f.pointSizeF());
    font.bold = f.bold();
    font.italic = f.italic();
    font.underline = f.underline();
    font.strikeOut = f.strikeOut();
    font.color = m_fontColor;
    font.charset = m_fontCharset;
    m_config.WriteString(kMformFont, FontToText(font));

    // A maximized window stores the bounds it returns to.
    StoreBounds(m_config, kBounds, *this, TMaximizedBounds::Normal);

    m_config.WriteInteger(kTitleHeight, m_titleHeight);

    m_config.WriteBool(kIcon16, m_listIcon16->isChecked());
    m_config.WriteBool(kIcon20, m_listIcon20->isChecked());
    m_config.WriteBool(kIcon32, m_listIcon32->isChecked());

    m_config.WriteString(kLastView, FolderOf(m_browser.SourcePath()));

    // The layout, the widths and the sort column are stored in the on-screen order, which
    // is the columns' order after the next start; the icon column stays first there.
    m_headerLayout = StoreColumns(m_config, kColumns, *m_listView, LayoutPositions(m_listView->CaptionsOnScreen()),
                                  [this](int column) { return m_listView->NaturalWidth(column); });
}

void TMForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    m_textViewer->close();
    event->accept();
}

void TMForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        UIUpdate();
}

QFont TMForm::FontOfDesc(const TFontDesc& desc) const
{
    QFont f = QApplication::font();
    if (!IsDefaultFace(desc.face))
        f.setFamily(QString::fromStdString(desc.face));
    if (desc.size > 0)
        f.setPointSize(desc.size);
    f.setBold(desc.bold);
    f.setItalic(desc.italic);
    f.setUnderline(desc.underline);
    f.setStrikeOut(desc.strikeOut);
    return f;
}
