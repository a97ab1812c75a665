#include "edit/edit_conflict.h"

#include "component/captions.h"
#include "component/web_encoding.h"
#include "edit/edit_names.h"
#include "edit/editor_values.h"
#include "edit/record_hash.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

// A value as the block shows it: Yes or No for a check box, a mark for an empty text.
std::string Shown(const DbViewState& s, bool check_box, const std::string& text) {
  if (check_box) return std::string(FormText(s, text == "1" ? TxtYes : TxtNo));
  if (text.empty()) return "<em>" + std::string(FormText(s, TxtEmpty)) + "</em>";
  return HtmlAttributeEncode(text);
}

std::string Choice(const DbViewState& s, const std::string& name, std::string_view value,
                   bool chosen, bool focus, FormTextSlot caption, const std::string& data,
                   const std::string& shown) {
  return "<label class=\"KelvoConflictChoice\"><input type=\"radio\" name=\"" + name +
         "\" value=\"" + std::string(value) + "\" data-value=\"" + HtmlAttributeEncode(data) +
         "\"" + (chosen ? " checked" : "") + (focus && chosen ? " autofocus" : "") +
         "><span class=\"KelvoConflictCaption\">" + std::string(FormText(s, caption)) +
         "</span><span class=\"KelvoConflictValue\">" + shown + "</span></label>";
}

}  // namespace

std::string ConflictBlock(const DbViewState& s, Field& field, int column, bool first) {
  if (!IsSavedField(s, field, column)) return {};
  const std::string* started = nullptr;
  for (const auto& [name, text] : s.mvarStartedFrom) {
    if (UCase(name) == UCase(field.Name())) started = &text;
  }
  const std::string stored = ShownFieldText(s, field);
  if (!started || *started == stored) return {};
  const bool check_box = EditorKindOf(field.Type()) == EditorKind::kCheckBox;
  const std::optional<std::string> posted = PostedValue(s, EditorName(s, field.Name()));
  const PostedForm form = PostedFormOf(s, field, column);
  std::string typed;
  bool typed_stored = false;
  bool typed_started = false;
  if (PostedValue(s, ChoiceName(s, field.Name())) == "stored") {
    // Chosen before: the editor shows the value stored then, which the form started from.
    typed = *started;
    typed_started = true;
    typed_stored = false;
  } else if (check_box) {
    typed = posted ? "1" : "0";
    typed_stored = typed == stored;
    typed_started = typed == *started;
  } else {
    typed = Trim(posted.value_or(""));
    typed_stored = typed == Trim(AsBrowserPosts(form, stored));
    typed_started = typed == Trim(AsBrowserPosts(form, *started));
  }
  if (typed_stored) return {};
  // A field the user left as it was takes the other user's value unless the user says not.
  const bool keep_mine = !typed_started;
  const std::string name = HtmlAttributeEncode(ChoiceName(s, field.Name()));
  return "<fieldset class=\"KelvoConflict\"><legend>" +
         std::string(FormText(s, TxtConflictLegend)) + "</legend>" +
         Choice(s, name, "mine", keep_mine, first, TxtYours, typed, Shown(s, check_box, typed)) +
         Choice(s, name, "stored", !keep_mine, first, TxtStoredNow, stored,
                Shown(s, check_box, stored)) +
         "<span class=\"KelvoConflictFrom\"><span class=\"KelvoConflictCaption\">" +
         std::string(FormText(s, TxtStartedFrom)) + "</span><span class=\"KelvoConflictValue\">" +
         Shown(s, check_box, *started) + "</span></span></fieldset>\r\n";
}

std::string ConflictScript(const DbViewState& s) {
  const std::string form = JsStringAttributeEncode("FormKelvoGrid" + s.Tag);
  const std::string choice = JsStringAttributeEncode(ChoiceName(s, ""));
  const std::string editor = JsStringAttributeEncode(EditorName(s, ""));
  return "<script>(function(){var f=document.getElementById('" + form + "'),p='" + choice +
         "',e='" + editor +
         "';if(!f)return;"
         "function put(r){var c=f.elements.namedItem(e+r.name.slice(p.length)),"
         "v=r.getAttribute('data-value');if(!c||c.type==='hidden')return;"
         "if(c.type==='checkbox')c.checked=v==='1';else c.value=v;}"
         "for(var i=0;i<f.elements.length;i++){var r=f.elements[i];"
         "if(r.type!=='radio'||r.name.indexOf(p)!==0)continue;"
         "r.addEventListener('change',function(){put(this);});if(r.checked)put(r);}"
         "document.addEventListener('input',function(v){var t=v.target,n;"
         "if(t.form!==f||!t.name||t.name.indexOf(e)!==0||t.type==='radio')return;"
         "n=p+t.name.slice(e.length);"
         "for(var i=0;i<f.elements.length;i++){var r=f.elements[i];"
         "if(r.type==='radio'&&r.name===n&&r.value==='mine'){r.checked=true;"
         "r.setAttribute('data-value',t.type==='checkbox'?(t.checked?'1':'0'):t.value);}}});"
         "})();</script>\r\n";
}

}  // namespace kelvo::detail
