#include "component/property_setters.h"

#include <algorithm>
#include <string>

#include "component/list_utils.h"
#include "kelvo/components.h"
#include "kelvo/convert.h"
#include "kelvo/error.h"
#include "kelvo/locale.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A query starts with SELECT followed by any white space, so multi-line statements count.
bool NamesStoredProcedure(std::string_view statement) {
  const std::string_view trimmed = Trim(statement);
  if (trimmed.size() <= 7) return false;
  return !(UCase(trimmed.substr(0, 6)) == "SELECT" && IsWhiteSpace(trimmed[6]));
}

std::string WithoutQuotes(std::string_view text) {
  std::string out(text);
  out.erase(std::remove_if(out.begin(), out.end(), [](char c) { return c == '"' || c == '\''; }),
            out.end());
  return out;
}

}  // namespace

void SetSql(DbViewState& s, std::string_view text) {
  s.sql = text;
  if (Trim(s.FormSQL).empty()) s.FormSQL = text;
  if (Trim(s.EditSQL).empty()) s.EditSQL = text;
  s.mvarStoredProc = false;
  if (!NamesStoredProcedure(text)) return;
  s.mvarStoredProc = true;
  auto command = std::dynamic_pointer_cast<Command>(CreateComponent("ADODB.Command"));
  if (!command) throw Error(errc::kClassNotRegistered, "ADODB.Command is not a command");
  s.StoredProcCommand = command;
  if (!s.VexmoConnection) {
    throw Error(errc::kObjectRequired,
                "Object required: set VexmoConnection before a stored-procedure sql");
  }
  command->SetActiveConnection(s.VexmoConnection->Connection());
  command->SetCommandText(text);
  command->SetCommandType(ado::adCmdStoredProc);
}

void SetFormSql(DbViewState& s, std::string_view text) {
  s.FormSQL = text;
  if (Trim(s.EditSQL).empty() || s.EditSQL == s.sql) s.EditSQL = text;
  s.mvarSeparateFormSql = s.sql != s.FormSQL;
  s.ApplyCellFormattingToForm = false;
  s.ApplyColFormattingToForm = false;
}

void SetEditSql(DbViewState& s, std::string_view text) {
  s.EditSQL = text;
  s.mvarSeparateFormSql = s.sql != s.EditSQL;
}

void SetEditOptions(DbViewState& s, std::string_view options) {
  s.EditOptions = UCase(Trim(options));
  if (s.EditOptions.find("ALL") != std::string::npos) s.EditOptions += " ADD UPDATE DELETE";
}

void SetTableTag(DbViewState& s, std::string_view tag) {
  if (UCase(tag).find("CELLSPACING") != std::string::npos) {
    s.TableTag = tag;
  } else {
    s.TableTag = "cellspacing=\"0\" " + std::string(tag);
  }
  ParseWidthFromTag(s, tag);
}

void SetGridTableTag(DbViewState& s, std::string_view tag) {
  s.GridTableTag = tag;
  ParseWidthFromTag(s, tag);
}

void ParseWidthFromTag(DbViewState& s, std::string_view tag) {
  const std::size_t found = UCase(tag).find("WIDTH");
  if (found == std::string::npos || !s.Width.empty()) return;
  std::size_t i = found + 5;  // the character just after "WIDTH"
  while (i + 1 < tag.size() && tag[i] != '=') ++i;
  if (i + 1 >= tag.size() || tag[i] != '=') return;
  const std::string_view rest = Trim(tag.substr(i + 1));
  s.Width = WithoutQuotes(rest.substr(0, rest.find(' ')));
}

void SetWidth(DbViewState& s, std::string_view width) { s.Width = WithoutQuotes(width); }

void SetGridDisplayFieldNames(DbViewState& s, std::string_view names) {
  s.GridDisplayFieldNames = names;
  if (s.FormDisplayFieldNames.empty()) s.FormDisplayFieldNames = names;
}

void SetDisplayNavBar(DbViewState& s, std::string_view placement) {
  s.DisplayNavBar = placement;
  const std::string word = UCase(Trim(placement));
  if (word == "BOTH" || (word == "TOP" && s.DisplayNavBarFirstLastBtn)) s.CountRecords = true;
}

void SetDisplayNavBarFirstLastBtn(DbViewState& s, std::string_view flag) {
  s.DisplayNavBarFirstLastBtn = CBool(Variant(flag), Locale::Default());
  if (s.DisplayNavBarFirstLastBtn) s.CountRecords = true;
}

void SetRecordsPerPage(DbViewState& s, std::int32_t records) {
  if (records >= s.RecordsMaxLimit) return;
  if (records > 32767 || records < -32768) throw Error(errc::kOverflow, "Overflow");
  s.RecordsPerPage = static_cast<std::int16_t>(records);
}

void SetGridFieldsSupressDup(DbViewState& s, std::string_view list) {
  s.GridFieldsSupressDup = list;
  if (IsListBlank(list)) return;
  const auto commas = static_cast<std::size_t>(std::count(list.begin(), list.end(), ','));
  s.marrGridFieldsSupressDup.assign(commas + 2, Variant());
}

}  // namespace kelvo::detail
