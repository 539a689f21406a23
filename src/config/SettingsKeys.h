#pragma once
// Every key of the settings store, in one place so that a misspelt key fails to compile.
// Per-column keys are a prefix followed by the column index in decimal.

#include <string_view>

inline constexpr std::string_view kMformFont = "MFORM_FONT";
inline constexpr std::string_view kMformLeft = "MFORM_LEFT";
inline constexpr std::string_view kMformTop = "MFORM_TOP";
inline constexpr std::string_view kMformWidth = "MFORM_WIDTH";
inline constexpr std::string_view kMformHeight = "MFORM_HEIGHT";
inline constexpr std::string_view kMformMax = "MFORM_MAX";
inline constexpr std::string_view kTitleHeight = "TITLE_HEIGHT";
inline constexpr std::string_view kIcon16 = "ICON16";
inline constexpr std::string_view kIcon20 = "ICON20";
inline constexpr std::string_view kIcon32 = "ICON32";
inline constexpr std::string_view kListHeader = "LIST_HEADER";
inline constexpr std::string_view kListHeaderWidthPrefix = "LIST_HEADER_L_";
inline constexpr std::string_view kListHeaderSortCol = "LIST_HEADER_SORTCOL";
inline constexpr std::string_view kListHeaderSortOrder = "LIST_HEADER_SORTORDER";
inline constexpr std::string_view kLastView = "LASTVIEW";
inline constexpr std::string_view kAppCaption = "APP_CAPTION";
inline constexpr std::string_view kContactMail = "CONTACT_MAIL";
inline constexpr std::string_view kDeveloperHomepage = "DEVELOPER_HOMEPAGE";
inline constexpr std::string_view kSearchFormLeft = "SEARCHFORM_LEFT";
inline constexpr std::string_view kSearchFormTop = "SEARCHFORM_TOP";
inline constexpr std::string_view kSearchFormWidth = "SEARCHFORM_WIDTH";
inline constexpr std::string_view kSearchFormHeight = "SEARCHFORM_HEIGHT";
inline constexpr std::string_view kSearchFormMax = "SEARCHFORM_MAX";
inline constexpr std::string_view kSearchPathList = "SEARCH_PATH_LIST";
inline constexpr std::string_view kSearchInTitle = "SEARCH_IN_TITLE";
inline constexpr std::string_view kSearchInDecl = "SEARCH_IN_DECL";
inline constexpr std::string_view kSearchInCom = "SEARCH_IN_COM";
inline constexpr std::string_view kSearchInType = "SEARCH_IN_TYPE";
inline constexpr std::string_view kSearchIgnoreCase = "SEARCH_IGNORE_CASE";
inline constexpr std::string_view kSearchKeywordList = "SEARCH_KEYWORD_LIST";
inline constexpr std::string_view kSearchHeader = "SEARCH_HEADER";
inline constexpr std::string_view kSearchHeaderWidthPrefix = "SEARCH_HEADER_L_";
inline constexpr std::string_view kSearchHeaderSortCol = "SEARCH_HEADER_SORTCOL";
inline constexpr std::string_view kSearchHeaderSortOrder = "SEARCH_HEADER_SORTORDER";
inline constexpr std::string_view kCmtIndicator = "CMT_INDICATOR";
// The size limit of a source, in MB; missing or not above 0: 64.
inline constexpr std::string_view kMaxSourceMb = "MAX_SOURCE_MB";
// The folders searched for include files after the including file's own (a list).
inline constexpr std::string_view kIncludePath = "INCLUDE_PATH";
// Whether the window's outline follows the include files of a source ("T" or "F"); on when
// missing.
inline constexpr std::string_view kFollowIncludes = "FOLLOW_INCLUDES";
// The folders a unit named in a uses clause is looked for in, after the current file's (a list).
inline constexpr std::string_view kSourcePath = "SOURCE_PATH";
