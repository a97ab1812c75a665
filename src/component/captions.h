// The caption, button and message tables: every word the grid itself puts on the page, in
// English, German or Norwegian, or replaced by the page's own lists.
#ifndef KELVO_COMPONENT_CAPTIONS_H_
#define KELVO_COMPONENT_CAPTIONS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "component/db_view_state.h"

namespace kelvo::detail {

enum CaptionSlot {
  CapNext, CapNextN, CapPrevious, CapPreviousN, CapRecord, CapRecords,
  CapList, CapOf, CapFirst, CapLast, CapRecordsPerPage, CapPage,
};
// The search box, the filter operators, the empty result and the filter links, which a page's
// list must give; then the statuses of a search or filter that was not applied and of facets
// left out, which it may give. In a status "%1" stands for the column, "%2" for the value.
enum FilterSlot { FltSearch, FltSearchButton, FltContains, FltEquals, FltFrom, FltTo, FltEmpty,
                  FltNoRows, FltClear, FltLink,
                  FltSearchTooLong, FltNoTextColumn, FltNoSuchFilter, FltTextTooLong, FltNotNumber,
                  FltNotDate, FltOutOfRange, FltProcedure, FltFacetsSlow, FltSearchAsTyped,
                  FltFilterAsTyped };
inline constexpr std::size_t kFilterCaptions = FltLink + 1;
inline constexpr std::size_t kFilterTexts = FltFilterAsTyped + 1;
enum ButtonSlot { BtnEdit, BtnSave, BtnClose, BtnAdd, BtnDelete };
enum MessageSlot { MsgNewSaved, MsgSaved, MsgDeleted, MsgNotSaved, MsgChangedByOther,
                   MsgNoLongerExists };

// The edit form's own texts beyond the page-replaceable tables: the record check refusal, the
// screen that resolves another user's change, the delete confirmation and the question
// before leaving unsaved changes, and with AccessibleMarkup the list of fields a save refused
// and what the Delete button does. They follow Language (English for any other code).
enum FormTextSlot {
  TxtNotVerified, TxtSignedElsewhere, TxtConflictHelp, TxtConflictLegend, TxtYours, TxtStoredNow, TxtStartedFrom,
  TxtEmpty, TxtYes, TxtNo, TxtDeleteQuestion, TxtCancel, TxtLeaveUnsaved,
  TxtFieldsAtFault, TxtValueRequired, TxtNotNumber, TxtNotDate, TxtDeleteNote,
};

// The grid's texts for assistive technology (AccessibleMarkup): the navigation bar's name, the
// state of a dimmed button, the sort direction, the export button and the page-size button.
// They follow Language (English for any other code).
enum GridTextSlot {
  TxtNavigation, TxtUnavailable, TxtSortedAscending, TxtSortedDescending, TxtExport, TxtShow,
};

// "ENG", "GER" or "NOR" (exact case) fills all three tables; any other code changes nothing.
void SetLanguage(DbViewState& s, std::string_view code);
// Replace one table from a comma list; too few items leave it unchanged and are reported in
// ErrorMessage.
void SetLanguageString(DbViewState& s, std::string_view list);
void SetLanguageBtnString(DbViewState& s, std::string_view list);
void SetLangUpdString(DbViewState& s, std::string_view list);
void SetLanguageFilterString(DbViewState& s, std::string_view list);

// A slot's text. A slot the table lacks throws Error(errc::kSubscriptOutOfRange).
const std::string& CaptionText(const DbViewState& s, CaptionSlot slot);
const std::string& ButtonText(const DbViewState& s, ButtonSlot slot);
const std::string& MessageText(const DbViewState& s, MessageSlot slot);
const std::string& FilterText(const DbViewState& s, FilterSlot slot);
// A status of the filter table with "%1" replaced by `column` and "%2" by `value`.
std::string FilterStatus(const DbViewState& s, FilterSlot slot, std::string_view column,
                         std::string_view value = {});
std::string_view FormText(const DbViewState& s, FormTextSlot slot);
std::string_view GridText(const DbViewState& s, GridTextSlot slot);
// An estimated number of records as the navigation bar shows it, grouped by thousands in the
// manner of Language: "about 1,200,000", "etwa 1.200.000", "omtrent 1 200 000".
std::string EstimatedCountText(const DbViewState& s, std::int64_t count);

}  // namespace kelvo::detail

#endif  // KELVO_COMPONENT_CAPTIONS_H_
