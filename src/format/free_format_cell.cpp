#include "format/free_format_cell.h"

#include "component/error_report.h"
#include "component/list_utils.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "kelvo/convert.h"
#include "kelvo/error.h"
#include "state/request_state.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

std::string FormLinkUrl(DbViewState& s, Recordset& recordset, std::int32_t row) {
  const std::string view_parameter = ParameterName(s, "FormDisplay=formOneRec");
  std::string url = GetRecordLinkUrl(s, row, recordset);
  for (std::size_t at = url.find(view_parameter); at != std::string::npos;
       at = url.find(view_parameter, at)) {
    url.erase(at, view_parameter.size());
  }
  return url + "&" + view_parameter;
}

// Expands `text` into `out`, piece by piece, so that a failure leaves the text built so far.
void Expand(DbViewState& s, std::string_view text, std::string_view marker, Recordset& recordset,
            std::int32_t row, std::string& out) {
  std::size_t start = 0;
  for (bool field_piece = false;; field_piece = !field_piece) {
    const std::size_t at = marker.empty() ? std::string_view::npos : text.find(marker, start);
    const std::string_view piece = text.substr(start, at - start);
    if (!field_piece) {
      out += piece;
    } else {
      const std::string keyword = UCase(Trim(piece));
      // Templates are the page's markup; the values they take from the record are encoded when
      // the grid encodes values. The link URLs carry their values URL-encoded already.
      if (keyword == "KELVOPOSTBACKURL") {
        out += GetRecordLinkUrl(s, row, recordset);
      } else if (keyword == "KELVOFORMURL") {
        out += FormLinkUrl(s, recordset, row);
      } else {
        const Variant value = recordset.Fields().Item(piece).Value();
        if (!value.IsNull()) out += ShownValue(s.HtmlEncodeValues, CStr(value, PageLocale(s)));
      }
    }
    if (at == std::string_view::npos) return;
    start = at + marker.size();
  }
}

}  // namespace

std::string GetFreeCellString(DbViewState& s, Recordset& recordset, int column, std::int32_t row) {
  std::string out;
  long index = 0;
  try {
    const DbViewState::CellTable& table = s.marrGridFreeCell;
    index = 2L * IndexInList(table.keys, std::to_string(column)) - 1;
    if (index < 0 || static_cast<std::size_t>(index) >= table.entries.size()) {
      throw Error(errc::kSubscriptOutOfRange, "Subscript out of range");
    }
    const std::string templ = table.entries[static_cast<std::size_t>(index)];
    Expand(s, templ, s.GridFreeFormatCellDataFieldDelimiter, recordset, row, out);
  } catch (const std::exception& failure) {
    AppendError(s, failure.what(),
                " in GetFreeCellString. index=" + std::to_string(column) +
                    ", nArrIdx=" + std::to_string(index) + "<br>");
  }
  return out;
}

std::string ReplaceFieldValuesFromTag(DbViewState& s, std::string_view text, Recordset& recordset,
                                      std::int32_t row) {
  std::string out;
  GuardedStep(s, " in ReplaceFieldValuesFromTag<br>",
              [&] { Expand(s, text, "##", recordset, row, out); });
  return out;
}

}  // namespace kelvo::detail
