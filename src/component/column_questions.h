// Per-column questions the renderers ask with a field's name and its column number (from 1):
// is it shown, read-only, unsortable, unwrapped, duplicate-suppressed; what is its caption.
// They never report a failure: a condition that cannot be evaluated counts as holding.
#ifndef KELVO_COMPONENT_COLUMN_QUESTIONS_H_
#define KELVO_COMPONENT_COLUMN_QUESTIONS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "component/db_view_state.h"

namespace kelvo::detail {

bool IsFieldReadOnly(const DbViewState& s, std::string_view name, int column);
bool IsGridColumnShown(const DbViewState& s, std::string_view name, int column);
bool IsFormFieldShown(const DbViewState& s, std::string_view name, int column);
// Position of the column in GridFieldsSupressDup (by name, then by number); 0 when absent.
std::int16_t GetSuppressDupPosition(const DbViewState& s, std::string_view name, int column);
bool IsCellNoBr(const DbViewState& s, std::string_view name, int column);
bool IsColumnNoSort(const DbViewState& s, std::string_view name, int column);
std::string GetGridCaption(const DbViewState& s, int column, std::string_view field_name);
std::string GetFormCaption(const DbViewState& s, int column, std::string_view field_name);
// The column span of rows that stretch across the whole grid of `field_count` fields.
std::int16_t GetGridColumnSpan(const DbViewState& s, int field_count);

}  // namespace kelvo::detail

#endif  // KELVO_COMPONENT_COLUMN_QUESTIONS_H_
