// The state of one DbView: every property with its default, the per-request private members,
// the caption tables and the error text. The component's procedures work on it directly.
#ifndef KELVO_COMPONENT_DB_VIEW_STATE_H_
#define KELVO_COMPONENT_DB_VIEW_STATE_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "kelvo/data.h"
#include "kelvo/db_connection.h"
#include "kelvo/host.h"
#include "kelvo/regexp.h"
#include "kelvo/variant.h"

namespace kelvo::detail {

// The page sizes the selector offers when the page names none.
inline constexpr char kDefaultRecordsPerPageOptions[] = "5,10,20,30,40,50,100,200";

struct DbViewState {
  // Properties, named as the page sees them.
  std::string sql = "";
  std::string FormSQL = "";
  std::string EditSQL = "";
  std::string DeleteSQL = "";
  bool PersistentSQL = false;
  std::string EditOptions = "";
  std::string EditPrimaryKeys = "";
  std::string EditNewPKStatement = "";
  std::string EditConfirmDeleteString = "";
  std::string EditFieldsReadOnly = "";
  bool EditPerformUpdates = true;
  bool EditConfirmDelete = false;
  bool EditConfirmLeave = false;
  bool EditEnterSaves = false;
  bool SeekPaging = false;
  bool AccessibleMarkup = false;
  std::string SearchFields = "";
  std::string FilterFields = "";
  std::string FacetFields = "";
  std::string GridLabel = "";
  std::string RequiredFieldIndicator = "&nbsp;*&nbsp;";
  std::int16_t RecordsPerPage = 20;
  std::int32_t RecordsMaxLimit = 1000000;
  std::int32_t RecordCount = -1;
  bool CountRecords = true;
  std::int32_t CountTimeoutMs = 0;
  std::int32_t CountCacheSeconds = 0;
  std::int32_t FromRow = 0;
  std::int32_t ToRow = 0;
  std::string DisplayNavBar = "bottom";
  std::string DisplayNavBarTextOptions = "both";
  bool DisplayNavBarFirstLastBtn = true;
  bool DisableNavBarLastPageBtn = false;
  bool DisplayRecordsPerPageSelect = false;
  std::string RecordsPerPageOptions = kDefaultRecordsPerPageOptions;
  std::string RecordsPerPageSelectPlacement = "top";
  std::string OrderByFields = "";
  bool OrderByDesc = false;
  std::string Tag = "1";
  std::string DisplayType = "default";
  bool UseCSS = true;
  bool DisplayHeader = true;
  bool DisplayDebug = false;
  bool DisplayExcelIcon = true;
  bool ExcelDeclareUtf8 = false;
  std::string ImageDir = "../gfx/";
  std::string FooterText = "";
  std::string TableTag = "border=\"0\" cellspacing=\"0\"";
  std::string GridTableTag = "";
  std::string FormTableTag = "";
  std::string Width = "";
  std::string THTag = "";
  std::string TDTag = "";
  std::string TDOddTag = "";
  std::string TDEvenTag = "";
  std::string GridTRTag = "";
  std::string GridTREvenTag = "";
  std::string GridTROddTag = "";
  std::string GridTDTag = "";
  std::string GridTDOddTag = "";
  std::string GridTDEvenTag = "";
  std::string FormTDTag = "";
  std::string GridCellWidths = "";
  std::string FormCellWidths = "";
  std::int32_t MemoFieldLimit = -1;
  bool HtmlEncodeValues = false;
  bool ShowBinarySize = false;
  std::string GridDisplayFieldNames = "";
  std::string FormDisplayFieldNames = "";
  std::string GridFieldsShow = "";
  std::string GridFieldsHide = "";
  std::string FormFieldsShow = "";
  std::string FormFieldsHide = "";
  std::string GridColsNoSort = "";
  std::string GridCellsNoBr = "";
  bool GridDisplayIndex = true;
  std::int16_t GridLinkIndex = 0;
  std::string GridFieldsSupressDup = "";
  std::string GridFreeFormatCellDataFieldDelimiter = "#";
  std::string GridFreeFormatCellColumnDelimiter = ",";
  bool ApplyCellFormattingToForm = true;
  bool ApplyColFormattingToForm = true;
  std::string ConnectionString;
  std::shared_ptr<DBConnection> VexmoConnection;
  std::shared_ptr<Command> StoredProcCommand;
  std::shared_ptr<Recordset> ADORecordset;
  std::string Language = "ENG";
  std::string ErrorMessage;  // only ever appended to

  // Caption, button and message tables, filled by Language or the page's lists. A language's
  // tables are shared by every grid; a page's list makes a table of the grid's own.
  using TextTable = std::shared_ptr<const std::vector<std::string>>;
  TextTable marrCaptions;
  TextTable marrButtons;
  TextTable marrMessages;
  TextTable marrFilterCaptions;

  // Last value shown per column listed in GridFieldsSupressDup; one slot more than items.
  std::vector<Variant> marrGridFieldsSupressDup;

  // The per-column tables: `keys` is the comma list of column keys, `entries` holds the
  // key/value pairs (the key at list position k owns the value at index 2k-1).
  struct CellTable {
    std::string keys;
    std::vector<std::string> entries;
  };
  CellTable marrGridFreeCell;
  CellTable marrGridFormatCell;
  CellTable marrGridColAttributes;
  CellTable marrGridColHeadAttributes;
  // Compiled REGEXPREPLACE patterns, so that a page of rows compiles each pattern once.
  RegExpCache mvarRegExpCache;

  // Lookup lists of the edit form, "FieldName,LookupTable,LinkField,DisplayField,OrderBy,0|1",
  // in the order the page added them.
  std::vector<std::string> marrEditLookups;

  // Per-request members.
  std::shared_ptr<ScriptingContext> mvarScriptingContext;
  bool mvarOwnsConnection = false;
  bool mvarStoredProc = false;
  bool mvarRecordsetSupplied = false;
  bool mvarSeparateFormSql = false;
  std::int32_t mvarCurrRecord = 1;
  std::int32_t mvarBookmark = 0;
  // OrderByDesc as the page set it, kept when the request state is first read: a link that sorts
  // ascending must say so when the page's own order is descending.
  std::optional<bool> mvarPageOrderByDesc;
  std::string mvarFormDisplay;
  bool mvarFormOneRec = false;
  bool mvarFormMode = false;
  // The download is being written: long text goes out whole, whatever MemoFieldLimit says.
  bool mvarExporting = false;
  bool mvarUpdateFailed = false;
  // RecordCount is the database's estimate: the count ran past CountTimeoutMs.
  bool mvarCountEstimated = false;
  // mvarCurrRecord of a record found by key is the number its link carried: counting the
  // records before it ran past CountTimeoutMs.
  bool mvarPositionEstimated = false;
  bool mvarNavAnnounced = false;  // a navigation bar of this request carries the status region
  // A count the request carried with a valid signature (-1: none), and until when (Unix
  // seconds) it may be carried on; a count taken now is carried until CountCacheSeconds on.
  std::int32_t mvarCarriedCount = -1;
  bool mvarCarriedEstimated = false;  // the carried count is the budget's estimate
  std::int64_t mvarCountCarriedUntil = 0;
  // The carried count as last signed, and the secret and text signed: every link of a page
  // carries the same one, and signing is the dearest part of writing a link.
  mutable std::string mvarCarriedCountValue;
  mutable std::string mvarCarriedCountSecret;
  mutable std::string mvarCarriedCountSigned;
  // Positions of the query-string entries, then the form's, that every link and form of the
  // grid carries: found once for each reading of the request, not again for every link.
  mutable std::optional<std::vector<std::uint32_t>> mvarCarriedEntries;
  std::vector<Variant> mvarCurrentRowValues;  // first record shown, one value per field
  std::string mvarStatusText;
  // The posted save was refused because another user changed the record after the form showed
  // it: the form is shown again with the user's values, the record as it now stands and, by
  // field name, the shown text each saved field started from.
  bool mvarChangedByOther = false;
  // With AccessibleMarkup, the names of the fields a refused save found at fault, in form order.
  std::vector<std::string> mvarFieldsAtFault;
  std::vector<std::pair<std::string, std::string>> mvarStartedFrom;
  // The form shows the record as it now stands and none of the posted values: after a change
  // refused for a record check this server did not sign for the record, or a delete refused
  // because the record changed.
  bool mvarShowStored = false;
  // A delete was posted without its confirmation: the edit form asks for it.
  bool mvarDeleteUnconfirmed = false;
  // The key values, in EditPrimaryKeys order, of the record a save of this request wrote; the
  // form after the save shows that record.
  std::vector<Variant> mvarSavedKey;
  // Seek paging (state/seek_paging.h): the fields of the unique order this grid page was read
  // in, the order as written after ORDER BY, and the values of those fields in the first and
  // last record shown, with their field types. Empty fields: the page carries no boundaries.
  std::vector<std::string> mvarSeekFields;
  std::string mvarSeekOrder;
  std::vector<Variant> mvarPageFirstValues;
  std::vector<Variant> mvarPageLastValues;
  std::vector<int> mvarPageTypes;
  std::vector<bool> mvarPageNeverNull;  // the field is declared NOT NULL
  // The page was read in reverse under an estimated count: its records are numbered from the
  // estimate, so reaching the end of its rows tells nothing of the total.
  bool mvarPageReadInReverse = false;
  // Search and column filters (state/grid_filter.h): the search text and filters the request
  // carries (a filter's column counts from 1), the condition they make on the wrapped
  // statement with its values, in placeholder order, and what the user is told of input that
  // was not applied. An empty condition: every row.
  struct GridFilter {
    std::int32_t column = 0;
    std::string name;  // the column's field name
    std::string op;
    std::string value;
    std::string to;  // with "from": the upper bound of a range
  };
  std::string mvarSearchText;
  std::vector<GridFilter> mvarFilters;
  std::string mvarFilterCondition;
  std::vector<Variant> mvarFilterParameters;
  std::string mvarFilterStatus;
  // The grid statement's columns and types, read once per render when the search, the filters
  // or the facets need them.
  struct ResultColumn {
    std::string name;
    int type = 0;
  };
  std::optional<std::vector<ResultColumn>> mvarStatementColumns;
  // The request comes from a page that showed another search or other filters: it starts on
  // the first record and takes no count or page boundaries carried from that page.
  bool mvarViewChanged = false;
};

}  // namespace kelvo::detail

#endif  // KELVO_COMPONENT_DB_VIEW_STATE_H_
