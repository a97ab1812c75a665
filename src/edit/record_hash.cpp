#include "edit/record_hash.h"

#include <openssl/evp.h>

#include <charconv>

#include "component/page_access.h"
#include "component/web_encoding.h"
#include "edit/edit_names.h"
#include "edit/editor_values.h"
#include "edit/key_condition.h"
#include "state/statement_signature.h"

namespace kelvo::detail {
namespace {

// Each piece with its length in front, so that no two versions give the same text.
void AppendPiece(std::string& text, std::string_view piece) {
  text += std::to_string(piece.size());
  text += ':';
  text += piece;
}

// The next piece of `text` from `at`, or nothing when the text is not made of pieces.
std::optional<std::string_view> NextPiece(std::string_view text, std::size_t& at) {
  const std::size_t colon = text.find(':', at);
  if (colon == std::string_view::npos) return std::nullopt;
  std::size_t length = 0;
  const auto [end, error] = std::from_chars(text.data() + at, text.data() + colon, length);
  if (error != std::errc() || end != text.data() + colon || length > text.size() - colon - 1) {
    return std::nullopt;
  }
  at = colon + 1 + length;
  return text.substr(colon + 1, length);
}

std::string VersionText(const RecordVersion& version) {
  std::string text;
  AppendPiece(text, std::to_string(version.keys.size()));
  for (const auto& [name, value] : version.keys) {
    AppendPiece(text, name);
    AppendPiece(text, value);
  }
  for (const auto& [name, value] : version.fields) {
    AppendPiece(text, name);
    AppendPiece(text, value);
  }
  return text;
}

std::optional<RecordVersion> ParseVersion(std::string_view text) {
  std::size_t at = 0;
  const auto count = NextPiece(text, at);
  std::size_t keys = 0;
  if (!count ||
      std::from_chars(count->data(), count->data() + count->size(), keys).ec != std::errc()) {
    return std::nullopt;
  }
  RecordVersion version;
  while (at < text.size()) {
    const auto name = NextPiece(text, at);
    const auto value = name ? NextPiece(text, at) : std::nullopt;
    if (!value) return std::nullopt;
    auto& into = version.keys.size() < keys ? version.keys : version.fields;
    into.emplace_back(*name, *value);
  }
  if (version.keys.size() != keys) return std::nullopt;
  return version;
}

// What the signature covers besides the version: the kind of form, the grid and the table.
std::string SignedHead(const DbViewState& s, std::string_view kind) {
  std::string text;
  AppendPiece(text, kind);
  AppendPiece(text, s.Tag);
  AppendPiece(text, BaseStatement(s.EditSQL));
  return text;
}

std::string Base64(std::string_view bytes) {
  std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                     reinterpret_cast<const unsigned char*>(bytes.data()),
                                     static_cast<int>(bytes.size()));
  out.resize(static_cast<std::size_t>(length));
  return out;
}

std::optional<std::string> FromBase64(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::string out(3 * (text.size() / 4) + 1, '\0');
  const int length = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                     reinterpret_cast<const unsigned char*>(text.data()),
                                     static_cast<int>(text.size()));
  if (length < 0) return std::nullopt;
  // The decoder counts the padding as bytes.
  std::size_t padding = 0;
  while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=') ++padding;
  out.resize(static_cast<std::size_t>(length) - padding);
  return out;
}

// What SignStatement writes: 64 lower-case hex digits.
bool IsSignatureShaped(std::string_view hash) {
  return hash.size() == 64 && hash.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

std::string HiddenInput(std::string_view name, std::string_view value) {
  return "<input type=\"hidden\" name=\"" + HtmlAttributeEncode(name) + "\" value=\"" +
         HtmlAttributeEncode(value) + "\">\r\n";
}

}  // namespace

std::string ShownFieldText(const DbViewState& s, Field& field) {
  if (EditorKindOf(field.Type()) == EditorKind::kCheckBox) {
    return IsStoredTrue(s, field) ? "1" : "0";
  }
  return StoredEditorText(s, field);
}

RecordVersion VersionOf(const DbViewState& s, Recordset& recordset) {
  RecordVersion version;
  FieldCollection& fields = recordset.Fields();
  for (const std::string& key : KeyList(s)) {
    version.keys.emplace_back(key, KeyTermFromField(key, fields.Item(key), PageLocale(s)).text);
  }
  int column = 0;
  for (Field& field : fields) {
    ++column;
    if (IsSavedField(s, field, column))
      version.fields.emplace_back(field.Name(), ShownFieldText(s, field));
  }
  return version;
}

std::string RecordCheckInputs(const DbViewState& s, const RecordVersion& version) {
  const std::string text = VersionText(version);
  return HiddenInput(RecordVersionName(s), Base64(text)) +
         HiddenInput(RecordHashName(s),
                     SignStatement(PageSigningSecret(s), SignedHead(s, "edit") + text));
}

std::string InsertCheckInput(const DbViewState& s) {
  return HiddenInput(RecordHashName(s), SignStatement(PageSigningSecret(s), SignedHead(s, "add")));
}

PostedCheck CheckPostedVersion(const DbViewState& s, Recordset& recordset) {
  PostedCheck check;
  const std::optional<std::string> hash = PostedValue(s, RecordHashName(s));
  const std::optional<std::string> posted = PostedValue(s, RecordVersionName(s));
  if (!hash || !posted) return check;
  const std::optional<std::string> text = FromBase64(*posted);
  if (!text) return check;
  std::optional<RecordVersion> shown = ParseVersion(*text);
  if (!IsStatementSignatureValid(PageSigningSecret(s), SignedHead(s, "edit") + *text, *hash)) {
    check.signed_elsewhere = shown && IsSignatureShaped(*hash);
    return check;
  }
  if (!shown) return check;
  const RecordVersion current = VersionOf(s, recordset);
  if (shown->keys != current.keys) return check;
  check.outcome = shown->fields == current.fields ? PostedCheck::kCurrent : PostedCheck::kChanged;
  check.shown = std::move(*shown);
  return check;
}

PostedCheck CheckPostedInsert(const DbViewState& s) {
  PostedCheck check;
  const std::optional<std::string> hash = PostedValue(s, RecordHashName(s));
  if (!hash) return check;
  if (IsStatementSignatureValid(PageSigningSecret(s), SignedHead(s, "add"), *hash)) {
    check.outcome = PostedCheck::kCurrent;
  } else {
    check.signed_elsewhere = IsSignatureShaped(*hash);
  }
  return check;
}

}  // namespace kelvo::detail
