// The search window's state in the settings store: restored each time the window is
// shown (bounds, folders, field choices, the result columns and their sort) and stored
// each time it closes.

#include "search/gui/FormSearch.h"

#include "browser/ListViewEx.h"
#include "config/AppContext.h"
#include "config/SettingsKeys.h"
#include "search/core/KeywordHistory.h"
#include "search/gui/SearchResults.h"

#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QListWidget>
#include <QScreen>

namespace {

QString CaptionOf(char letter)
{
    switch (letter) {
    case 'C': return "Comment";
    case 'D': return "Declaration";
    case 'F': return "File";
    case 'L': return "Line";
    case 'T': return "Type";
    default: return {};
    }
}

std::string WidthKey(int column) { return std::string(kSearchHeaderWidthPrefix) + std::to_string(column); }

// Makes the order in which the user dragged the result columns their own order: captions,
// widths, hidden columns, the rows' cells and the sort column move along, and the header
// shows the columns unmoved. The letters, widths and sort column read from the columns
// then follow the on-screen order.
void AdoptOnScreenOrder(TListViewEx* list)
{
    QHeaderView* header = list->header();
    if (!header->sectionsMoved())
        return;
    struct TColumn {
        QString caption;
        int width;
        bool hidden;
    };
    const int count = list->columnCount();
    std::vector<int> logicalAt;
    std::vector<TColumn> columns;
    for (int v = 0; v < count; ++v) {
        const int l = header->logicalIndex(v);
        logicalAt.push_back(l);
        columns.push_back({list->headerItem()->text(l), list->columnWidth(l), list->isColumnHidden(l)});
    }
    std::vector<QStringList> rows;
    for (int r = 0; r < list->topLevelItemCount(); ++r) {
        QStringList cells;
        for (int l : logicalAt)
            cells << list->topLevelItem(r)->text(l);
        rows.push_back(cells);
    }
    const int sorted = list->SortColumn();
    const int sortedOnScreen = sorted >= 0 && sorted < count ? header->visualIndex(sorted) : sorted;

    for (int v = 0; v < count; ++v)
        header->moveSection(header->visualIndex(v), v);
    for (int v = 0; v < count; ++v) {
        const TColumn& column = columns[static_cast<std::size_t>(v)];
        list->headerItem()->setText(v, column.caption);
        list->setColumnHidden(v, column.hidden);
        if (!column.hidden)
            list->setColumnWidth(v, column.width);
    }
    for (int r = 0; r < list->topLevelItemCount(); ++r) {
        const QStringList& cells = rows[static_cast<std::size_t>(r)];
        for (int v = 0; v < count; ++v)
            list->topLevelItem(r)->setText(v, cells[v]);
    }
    list->SetSortColumn(sortedOnScreen);
}

} // namespace

void TFormSearch::FormShow()
{
    TConfig& config = m_app.Config();
    FillFileTypes();
    if (parentWidget())
        setFont(parentWidget()->font());

    // Without stored bounds (a first start) the window takes its designed size; no larger
    // than the screen.
    const int width = config.ReadInteger(kSearchFormWidth);
    const int height = config.ReadInteger(kSearchFormHeight);
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    setWindowState(windowState() & ~Qt::WindowMaximized);
    QSize size(width > 0 ? width : kDesignedWidth, height > 0 ? height : kDesignedHeight);
    resize(screen ? size.boundedTo(screen->availableGeometry().size()) : size);
    if (m_shownBefore) {
        move(config.ReadInteger(kSearchFormLeft), config.ReadInteger(kSearchFormTop));
    } else {
        if (screen) {
            const QRect area = screen->availableGeometry();
            move(area.center() - QPoint(this->width() / 2, this->height() / 2));
        }
    }
    if (config.ReadBool(kSearchFormMax))
        setWindowState(windowState() | Qt::WindowMaximized);
    m_shownBefore = true;

    PathList->clear();
    for (const auto& folder : config.ReadList(kSearchPathList))
        PathList->addItem(QString::fromStdString(folder));

    SearchInTitle->setChecked(config.ReadBool(kSearchInTitle));
    SearchInDecl->setChecked(config.ReadBool(kSearchInDecl));
    SearchInCom->setChecked(config.ReadBool(kSearchInCom));
    SearchInType->setChecked(config.ReadBool(kSearchInType));
    // Missing (settings of an earlier version): letter case counts, as it always did.
    SearchIgnoreCase->setChecked(config.ReadBool(kSearchIgnoreCase));
    m_keywordHistory = config.ReadList(kSearchKeywordList);
    if (m_keywordHistory.size() > kKeywordHistoryMax)
        m_keywordHistory.resize(kKeywordHistoryMax);
    ShowKeywordHistory();

    ApplyColumnLetters();

    SearchRes->SetSortColumn(config.ReadInteger(kSearchHeaderSortCol));
    SearchRes->SetSortOrder(config.ReadBool(kSearchHeaderSortOrder) ? TSortOption::soAscending
                                                                    : TSortOption::soDescending);
    // Writing the order re-sorts only when it changed; rows kept from an earlier search
    // are sorted anew either way.
    SearchRes->SetSortColumn(SearchRes->SortColumn());

    for (int i = 0; i < CheckList->count(); ++i)
        CheckList->item(i)->setCheckState(Qt::Checked);
}

void TFormSearch::FillFileTypes()
{
    CheckList->clear();
    for (const auto& line : m_app.SharedRules().Section("VAR")) {
        auto* item = new QListWidgetItem(QString::fromStdString(SearchFileTypeEntry(line)), CheckList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
}

void TFormSearch::ApplyColumnLetters()
{
    // A missing or short layout falls back to the designed columns and widths.
    std::string letters = m_app.Config().ReadString(kSearchHeader);
    const bool designed = letters.size() < static_cast<std::size_t>(kColumnCount);
    if (designed)
        letters = TSearchResults::kDesignedColumnLetters;
    m_results->SetColumnLetters(letters);
    // Typing on the results finds a row by its declaration.
    const std::size_t declaration = letters.find('D');
    SearchRes->SetTypeAheadColumn(declaration == std::string::npos ? -1 : static_cast<int>(declaration));
    for (int i = 0; i < kColumnCount; ++i) {
        const QString caption = CaptionOf(letters[static_cast<std::size_t>(i)]);
        if (!caption.isEmpty())
            SearchRes->headerItem()->setText(i, caption);
    }
    ApplyColumnWidths(designed);
}

void TFormSearch::ApplyColumnWidths(bool designed)
{
    for (int i = 0; i < kColumnCount; ++i) {
        const int designedWidth = kDesignedWidths[static_cast<std::size_t>(i)];
        int width = designed ? designedWidth : m_app.Config().ReadInteger(WidthKey(i));
        if (width < -2)
            width = designedWidth;
        SearchRes->setColumnHidden(i, width == 0);
        if (width == -1)
            SearchRes->resizeColumnToContents(i);
        else if (width == -2)
            SearchRes->setColumnWidth(i, SearchRes->header()->sectionSizeHint(i));
        else if (width > 0)
            SearchRes->setColumnWidth(i, std::max(width, kMinColumnWidth));
    }
}

void TFormSearch::FormClose()
{
    TConfig& config = m_app.Config();
    if (m_searchAction)
        m_searchAction->setChecked(false);

    config.WriteInteger(kSearchFormLeft, x());
    config.WriteInteger(kSearchFormTop, y());
    config.WriteInteger(kSearchFormWidth, width());
    config.WriteInteger(kSearchFormHeight, height());
    config.WriteBool(kSearchFormMax, isMaximized());

    TLines folders;
    for (int i = 0; i < PathList->count(); ++i)
        folders.push_back(PathList->item(i)->text().toStdString());
    config.WriteList(kSearchPathList, folders);

    config.WriteBool(kSearchInTitle, SearchInTitle->isChecked());
    config.WriteBool(kSearchInDecl, SearchInDecl->isChecked());
    config.WriteBool(kSearchInCom, SearchInCom->isChecked());
    config.WriteBool(kSearchInType, SearchInType->isChecked());
    config.WriteBool(kSearchIgnoreCase, SearchIgnoreCase->isChecked());
    config.WriteList(kSearchKeywordList, m_keywordHistory);

    AdoptOnScreenOrder(SearchRes);
    std::string letters;
    for (int i = 0; i < SearchRes->columnCount(); ++i) {
        const QString caption = SearchRes->headerItem()->text(i);
        letters += caption.isEmpty() ? ' ' : static_cast<char>(caption.at(0).toUpper().toLatin1());
        config.WriteInteger(WidthKey(i), SearchRes->isColumnHidden(i) ? 0 : SearchRes->columnWidth(i));
    }
    m_results->SetColumnLetters(letters);
    config.WriteString(kSearchHeader, letters);
    config.WriteInteger(kSearchHeaderSortCol, SearchRes->SortColumn());
    config.WriteBool(kSearchHeaderSortOrder, SearchRes->SortOrder() == TSortOption::soAscending);
}
