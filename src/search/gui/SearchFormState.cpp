// The search window's state in the settings store: restored each time the window is
// shown (bounds, folders, field choices, the result columns and their sort) and stored
// each time it closes.

#include "search/gui/FormSearch.h"

#include "config/AppContext.h"
#include "config/SettingsKeys.h"
#include "search/core/KeywordHistory.h"
#include "search/gui/SearchResults.h"
#include "widgets/ListViewEx.h"
#include "widgets/WindowState.h"

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

constexpr TBoundsKeys kBounds{kSearchFormLeft, kSearchFormTop, kSearchFormWidth, kSearchFormHeight, kSearchFormMax};
constexpr TColumnKeys kColumns{kSearchHeader, kSearchHeaderWidthPrefix, kSearchHeaderSortCol, kSearchHeaderSortOrder};

} // namespace

void TFormSearch::FormShow()
{
    TConfig& config = m_app.Config();
    FillFileTypes();
    if (parentWidget())
        setFont(parentWidget()->font());

    // Without stored bounds (a first start) the window takes its designed size; no larger
    // than the screen.
    const TStoredBounds bounds = ReadBounds(config, kBounds);
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    setWindowState(windowState() & ~Qt::WindowMaximized);
    QSize size(bounds.width > 0 ? bounds.width : kDesignedWidth, bounds.height > 0 ? bounds.height : kDesignedHeight);
    resize(screen ? size.boundedTo(screen->availableGeometry().size()) : size);
    if (m_shownBefore) {
        move(bounds.left, bounds.top);
    } else {
        if (screen) {
            const QRect area = screen->availableGeometry();
            move(area.center() - QPoint(this->width() / 2, this->height() / 2));
        }
    }
    if (bounds.maximized)
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

    const TStoredColumns columns = ReadColumns(config, kColumns, kColumnCount);
    ApplyColumnLetters(columns);

    SearchRes->SetSortColumn(columns.sortColumn);
    SearchRes->SetSortOrder(columns.ascending ? TSortOption::soAscending : TSortOption::soDescending);
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

void TFormSearch::ApplyColumnLetters(const TStoredColumns& stored)
{
    // A missing or short layout falls back to the designed columns and widths.
    const bool designed = stored.letters.size() < static_cast<std::size_t>(kColumnCount);
    const std::string letters = designed ? std::string(TSearchResults::kDesignedColumnLetters) : stored.letters;
    m_results->SetColumnLetters(letters);
    // Typing on the results finds a row by its declaration.
    const std::size_t declaration = letters.find('D');
    SearchRes->SetTypeAheadColumn(declaration == std::string::npos ? -1 : static_cast<int>(declaration));
    for (int i = 0; i < kColumnCount; ++i) {
        const QString caption = CaptionOf(letters[static_cast<std::size_t>(i)]);
        if (!caption.isEmpty())
            SearchRes->headerItem()->setText(i, caption);
        // A width of 0 (also where none is stored) hides the column.
        std::optional<int> width;
        if (!designed)
            width = stored.widths[static_cast<std::size_t>(i)].value_or(0);
        SearchRes->setColumnHidden(i, width == 0);
        if (width != 0)
            ApplyStoredWidth(*SearchRes, i, width, kDesignedWidths[static_cast<std::size_t>(i)], kMinColumnWidth);
    }
}

void TFormSearch::FormClose()
{
    TConfig& config = m_app.Config();
    if (m_searchAction)
        m_searchAction->setChecked(false);

    StoreBounds(config, kBounds, *this, TMaximizedBounds::Current);

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

    // The window lives on: its columns take the order the user dragged them into, which is
    // the order stored.
    SearchRes->AdoptOnScreenOrder();
    m_results->SetColumnLetters(
        StoreColumns(config, kColumns, *SearchRes, {}, [this](int column) { return SearchRes->columnWidth(column); }));
}
