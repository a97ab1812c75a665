#include "grid/record_view.h"

#include <string>
#include <vector>

#include "component/accessible_markup.h"
#include "component/captions.h"
#include "component/column_questions.h"
#include "component/error_report.h"
#include "component/list_utils.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "edit/key_condition.h"
#include "format/cell_tables.h"
#include "format/format_function.h"
#include "format/free_format_cell.h"
#include "format/std_field_display.h"
#include "grid/page_rows.h"
#include "kelvo/convert.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kFailure = " in MakeFormGrid<br>";

// Writes the records of one page, each as a table of caption and value rows.
class RecordViewWriter : GuardedWriter {
 public:
  RecordViewWriter(DbViewState& s, Recordset& recordset)
      : GuardedWriter(s, std::string(kFailure)), recordset_(recordset) {}

  void PrepareTexts();
  // Writes the record of page row `row`; false when it was the only one to show.
  bool WriteRecord(std::int32_t row);

 private:
  void ComputeKeyValues();
  void WriteButtonBar();
  void WriteFieldRow(Field& field, int column, std::int32_t row);
  std::string ValueText(Field& field, int column, std::int32_t row);

  Recordset& recordset_;
  std::string form_class_;
  std::string table_attributes_;
  std::string caption_width_;
  std::string value_width_;
  std::string value_tags_;
  std::string key_values_;
};

std::string WidthText(std::string_view width) {
  return width.empty() ? std::string() : " width=\"" + std::string(width) + "\"";
}

void RecordViewWriter::PrepareTexts() {
  form_class_ = s_.UseCSS ? " class=\"KLVOTableFormDataView\"" : " ";
  const std::string attributes = s_.TableTag + " " + s_.FormTableTag;
  table_attributes_ = Trim(attributes).empty() ? std::string() : " " + attributes;
  Guarded([&] { caption_width_ = WidthText(GetListItem(s_.FormCellWidths, 1, "")); });
  Guarded([&] { value_width_ = WidthText(GetListItem(s_.FormCellWidths, 2, "")); });
  if (!s_.TDTag.empty()) value_tags_ = " " + s_.TDTag;
  if (!s_.FormTDTag.empty()) value_tags_ = " " + s_.FormTDTag + value_tags_;
}

// The key values of the first record, for the Edit button's script.
void RecordViewWriter::ComputeKeyValues() {
  Guarded([&] {
    const Locale& locale = PageLocale(s_);
    std::string values;
    for (const std::string& key : KeyList(s_)) {
      if (!values.empty()) values += ',';
      values += CStr(recordset_.Fields().Item(key).Value(), locale);
    }
    key_values_ = std::move(values);
  });
}

void RecordViewWriter::WriteButtonBar() {
  Put("<tr><td><table width=\"100%\" cellspacing=0 cellpadding=0>", kCrLf);
  // The bar's table has one column.
  Put("<tr><td", s_.AccessibleMarkup ? "" : " colspan=2",
      s_.UseCSS ? " class=\"KelvoEditBtnBar\">" : ">", kCrLf);
  Guarded([&] {
    // The key values go into a script string inside an attribute.
    const std::string key_values = JsStringAttributeEncode(key_values_);
    const std::string& caption = ButtonText(s_, BtnEdit);
    Put(s_.UseCSS ? "<input class=\"KelvoInputBtn\" type=\"submit\" name=\"Vexmo"
                  : "<input type=\"submit\" name=\"Vexmo",
        s_.Tag, "FormEdit\"  onclick=\"FormKelvoGrid", s_.Tag, ".Vexmo", s_.Tag, "PK.value='",
        key_values, "'\"  value=\"", caption, "\">", kCrLf);
  });
  if (GuardedIf([&] { return s_.EditOptions.find("ADD") != std::string::npos; })) {
    Guarded([&] {
      const std::string& caption = ButtonText(s_, BtnAdd);
      Put(s_.UseCSS ? "&nbsp;<input class=\"KelvoInputBtn\" type=\"submit\" name=\"Vexmo"
                    : "&nbsp;<input type=\"submit\" name=\"Vexmo",
          s_.Tag, "FormAdd\" value=\"", caption, "\">", kCrLf);
    });
  }
  Put(s_.mvarStatusText);
  Put("</td></tr>", kCrLf);
  Put("</table></td></tr>", kCrLf);
}

// Cells show field values as stored: pages keep markup in them on purpose.
std::string RecordViewWriter::ValueText(Field& field, int column, std::int32_t row) {
  if (s_.ApplyCellFormattingToForm) {
    if (GuardedIf([&] { return HasFreeFormatCell(s_, column); })) {
      return GetFreeCellString(s_, recordset_, column, row);
    }
    if (GuardedIf([&] { return HasFormatCellFunction(s_, column); })) {
      return GetFormatCellString(s_, field, column);
    }
  }
  return GetStdDbFieldString(s_, field);
}

void RecordViewWriter::WriteFieldRow(Field& field, int column, std::int32_t row) {
  if (s_.UseCSS) {
    Put("<tr", form_class_, ">", kCrLf);
  } else {
    Put("<tr>", kCrLf);
  }
  if (s_.DisplayHeader) {
    Guarded([&] {
      const std::string caption = GetFormCaption(s_, column, field.Name());
      // A caption heads the value beside it.
      Put("<th", form_class_, " ", s_.AccessibleMarkup ? "scope=\"row\" " : "",
          s_.THTag.empty() ? std::string_view("align=left") : std::string_view(s_.THTag),
          caption_width_, ">", caption, "</th>");
    });
  }
  std::string attributes;
  Guarded([&] {
    if (!s_.ApplyColFormattingToForm) return;
    attributes = GetGridColAttributes(s_, column);
  });
  Put("<td", form_class_, attributes.empty() ? "" : " ", attributes, value_tags_, value_width_,
      ">");
  std::string text;
  Guarded([&] { text = ValueText(field, column, row); });
  Put(text);
  Put("</td>", kCrLf, "</tr>", kCrLf);
}

bool RecordViewWriter::WriteRecord(std::int32_t row) {
  if (row > 1 && s_.RecordsPerPage > 1) {
    Put(s_.UseCSS ? "<tr class=\"KLVOTableTRFormGap\"><td class=\"KLVOTableTDFormGap\">&nbsp;</td>"
                    "</tr>"
                  : "<tr><td>&nbsp;</td></tr>",
        kCrLf);
  }
  if (row == 1 && !s_.EditPrimaryKeys.empty()) ComputeKeyValues();
  Put(HiddenInputsBetweenRows(
      s_, "<input type=\"hidden\" name=\"Vexmo" + s_.Tag + "PK\" value=''>" + std::string(kCrLf)));
  if (s_.mvarFormOneRec &&
      GuardedIf([&] { return s_.EditOptions.find("UPDATE") != std::string::npos; })) {
    WriteButtonBar();
  }
  Put("<tr><td><table width=\"100%\"", form_class_, table_attributes_, ">", kCrLf);
  FieldCollection* fields = nullptr;
  Guarded([&] { fields = &recordset_.Fields(); });
  int column = 0;
  if (fields) {
    for (Field& field : *fields) {
      ++column;
      if (!GuardedIf([&] { return IsFormFieldShown(s_, field.Name(), column); })) continue;
      WriteFieldRow(field, column, row);
    }
  }
  Guarded([&] {
    if (row == 1) {
      s_.mvarCurrentRowValues = recordset_.GetRows();
    } else {
      recordset_.MoveNext();
    }
  });
  Put("</table></td></tr>", kCrLf);
  return !s_.mvarFormOneRec;
}

}  // namespace

void MakeFormGrid(DbViewState& s, Recordset& recordset, std::int32_t& rows_shown) {
  rows_shown = 0;
  RecordViewWriter writer(s, recordset);
  writer.PrepareTexts();
  while (HasAnotherPageRecord(s, recordset, rows_shown, kFailure)) {
    ++rows_shown;
    if (!writer.WriteRecord(rows_shown)) return;
  }
}

}  // namespace kelvo::detail
