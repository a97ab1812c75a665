#include "edit/record_hash.h"

#include "component/page_access.h"
#include "edit/editor_values.h"
#include "edit/key_condition.h"
#include "state/statement_signature.h"

namespace kelvo::detail {
namespace {

// Each piece with its length in front, so that no two records give the same text.
void AppendPiece(std::string& text, std::string_view piece) {
  text += std::to_string(piece.size());
  text += ':';
  text += piece;
}

// The grid, the edited table and the shown values of every field a save may change.
std::string ShownValues(const DbViewState& s, Recordset& recordset) {
  std::string text;
  AppendPiece(text, s.Tag);
  AppendPiece(text, BaseStatement(s.EditSQL));
  int column = 0;
  for (Field& field : recordset.Fields()) {
    ++column;
    if (!IsSavedField(s, field, column)) continue;
    AppendPiece(text, field.Name());
    AppendPiece(text, ShownFieldText(s, field));
  }
  return text;
}

}  // namespace

std::string ShownFieldText(const DbViewState& s, Field& field) {
  if (EditorKindOf(field.Type()) == EditorKind::kCheckBox) {
    return IsStoredTrue(s, field) ? "1" : "0";
  }
  return StoredEditorText(s, field);
}

std::string RecordHash(const DbViewState& s, Recordset& recordset) {
  return SignStatement(PageSigningSecret(s), ShownValues(s, recordset));
}

bool IsRecordHashCurrent(const DbViewState& s, Recordset& recordset, std::string_view posted) {
  return IsStatementSignatureValid(PageSigningSecret(s), ShownValues(s, recordset), posted);
}

}  // namespace kelvo::detail
