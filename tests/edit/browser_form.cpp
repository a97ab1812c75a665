#include "browser_form.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <map>

namespace kelvo::testing {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The input stream as an HTML parser reads it: CR LF and lone CR become LF, and a NUL in an
// attribute value or a text area U+FFFD.
std::string ParserText(std::string_view html) {
  std::string out;
  for (std::size_t i = 0; i < html.size(); ++i) {
    if (html[i] == '\0') {
      out += "\uFFFD";
      continue;
    }
    if (html[i] != '\r') {
      out += html[i];
      continue;
    }
    out += '\n';
    if (i + 1 < html.size() && html[i + 1] == '\n') ++i;
  }
  return out;
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Character references: the named ones a page of the grid may hold, and numeric ones.
std::string Decode(std::string_view text) {
  static const std::map<std::string, std::uint32_t, std::less<>> kNamed = {
      {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", 0xA0}};
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t semicolon = text.find(';', i);
    if (text[i] != '&' || semicolon == std::string_view::npos || semicolon - i > 10) {
      out += text[i];
      continue;
    }
    const std::string_view name = text.substr(i + 1, semicolon - i - 1);
    if (!name.empty() && name[0] == '#') {
      const bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
      AppendUtf8(out, static_cast<std::uint32_t>(std::stoul(std::string(name.substr(hex ? 2 : 1)),
                                                            nullptr, hex ? 16 : 10)));
      i = semicolon;
    } else if (auto named = kNamed.find(name); named != kNamed.end()) {
      AppendUtf8(out, named->second);
      i = semicolon;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The attributes of a start tag: names in lower case, values decoded; bare ones map to "".
std::map<std::string, std::string> Attributes(std::string_view tag) {
  std::map<std::string, std::string> attributes;
  std::size_t i = tag.find_first_of(" \t\n/>");
  while (i < tag.size()) {
    while (i < tag.size() && (std::isspace(static_cast<unsigned char>(tag[i])) || tag[i] == '/')) {
      ++i;
    }
    if (i >= tag.size() || tag[i] == '>') break;
    const std::size_t name_end = tag.find_first_of(" \t\n=>", i);
    const std::string name = Lower(tag.substr(i, name_end - i));
    i = name_end;
    if (i < tag.size() && tag[i] == '=') {
      ++i;
      std::size_t end;
      std::string_view value;
      if (tag[i] == '"' || tag[i] == '\'') {
        end = tag.find(tag[i], i + 1);
        value = tag.substr(i + 1, end - i - 1);
        ++end;
      } else {
        end = tag.find_first_of(" \t\n>", i);
        value = tag.substr(i, end - i);
      }
      attributes.emplace(name, Decode(value));
      i = end;
    } else {
      attributes.emplace(name, "");
    }
  }
  return attributes;
}

std::string Attribute(const std::map<std::string, std::string>& attributes, const std::string& name,
                      std::string fallback = {}) {
  const auto found = attributes.find(name);
  return found == attributes.end() ? fallback : found->second;
}

std::string EncodeForm(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (c == '\n' || c == '\r') {
      out += "%0D%0A";  // every line break is sent as CR LF
    } else if (std::isalnum(c) || c == '*' || c == '-' || c == '.' || c == '_') {
      out += static_cast<char>(c);
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  return out;
}

}  // namespace

BrowserForm::BrowserForm(std::string_view raw_html) {
  const std::string html = ParserText(raw_html);
  std::size_t i = html.find("<form");
  const std::size_t form_end = html.find("</form>", i);
  EXPECT_NE(i, std::string::npos) << "no form in the page";
  Control* select = nullptr;
  while (i != std::string::npos && i < form_end) {
    const std::size_t tag_end = html.find('>', i);
    const std::string_view tag = std::string_view(html).substr(i, tag_end + 1 - i);
    const std::string name = Lower(tag.substr(1, tag.find_first_of(" \t\n>") - 1));
    const auto attributes = Attributes(tag);
    i = tag_end + 1;
    if (name == "input" || name == "textarea" || name == "select") {
      Control control;
      control.tag = name;
      control.type = Lower(Attribute(attributes, "type", name == "input" ? "text" : ""));
      control.name = Attribute(attributes, "name");
      const bool box = control.type == "checkbox" || control.type == "radio";
      control.value = Attribute(attributes, "value", box ? "on" : "");
      control.checked = attributes.count("checked") > 0;
      control.disabled = attributes.count("disabled") > 0;
      if (name == "textarea") {
        const std::size_t close = html.find("</textarea>", i);
        control.value = Decode(std::string_view(html).substr(i, close - i));
        // The parser drops a line break directly after the start tag.
        if (!control.value.empty() && control.value[0] == '\n') control.value.erase(0, 1);
        i = close;
      }
      if (control.type == "text") std::erase(control.value, '\n');
      controls_.push_back(std::move(control));
      select = name == "select" ? &controls_.back() : nullptr;
    } else if (name == "option" && select) {
      const std::size_t text_end = html.find('<', i);
      std::string text = Decode(std::string_view(html).substr(i, text_end - i));
      while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
      select->options.push_back({attributes.count("value") ? Attribute(attributes, "value") : text,
                                 attributes.count("selected") > 0});
    } else if (name == "/select") {
      select = nullptr;
    }
    i = html.find('<', i);
  }
}

const BrowserForm::Control* BrowserForm::Find(std::string_view name) const {
  for (const Control& control : controls_) {
    if (control.name == name && !control.disabled) return &control;
  }
  return nullptr;
}

BrowserForm::Control* BrowserForm::Find(std::string_view name) {
  return const_cast<Control*>(std::as_const(*this).Find(name));
}

bool BrowserForm::Has(std::string_view name) const { return Find(name) != nullptr; }

void BrowserForm::Set(std::string_view name, std::string_view value) {
  Control* control = Find(name);
  ASSERT_NE(control, nullptr) << "no control " << name;
  if (control->tag != "select") {
    control->value = value;
    return;
  }
  bool found = false;
  const std::string wanted = ParserText(value);
  for (Option& option : control->options) {
    option.selected = option.value == wanted && !found;
    found = found || option.selected;
  }
  EXPECT_TRUE(found) << "no option " << value << " in " << name;
}

void BrowserForm::Check(std::string_view name, bool ticked) {
  Control* control = Find(name);
  ASSERT_NE(control, nullptr) << "no checkbox " << name;
  control->checked = ticked;
}

void BrowserForm::Choose(std::string_view name, std::string_view value) {
  bool found = false;
  for (Control& control : controls_) {
    if (control.type != "radio" || control.name != name) continue;
    control.checked = control.value == value;
    found = found || control.checked;
  }
  EXPECT_TRUE(found) << "no choice " << value << " of " << name;
}

std::optional<std::string> BrowserForm::Posted(const Control& control) const {
  if (control.disabled || control.name.empty()) return std::nullopt;
  if (control.tag == "select") {
    // The last selected option wins; with none, the first one.
    const Option* chosen = control.options.empty() ? nullptr : &control.options.front();
    for (const Option& option : control.options) {
      if (option.selected) chosen = &option;
    }
    if (!chosen) return std::nullopt;
    return chosen->value;
  }
  if (control.type == "checkbox" || control.type == "radio")
    return control.checked ? std::optional(control.value) : std::nullopt;
  if (control.type == "submit" || control.type == "button" || control.type == "image" ||
      control.type == "reset") {
    return std::nullopt;  // only the pressed button posts
  }
  return control.value;
}

std::optional<std::string> BrowserForm::Value(std::string_view name) const {
  // Of a group of radio buttons, the ticked one posts.
  for (const Control& control : controls_) {
    if (control.name != name || control.disabled) continue;
    std::optional<std::string> posted = Posted(control);
    if (posted || control.type != "radio") return posted;
  }
  return std::nullopt;
}

std::string BrowserForm::Body(std::string_view button) const {
  std::string body;
  bool pressed = false;
  for (const Control& control : controls_) {
    std::optional<std::string> value = Posted(control);
    if (control.type == "submit" && control.name == button && !control.disabled && !pressed) {
      value = control.value;
      pressed = true;
    }
    if (!value) continue;
    if (!body.empty()) body += '&';
    body += EncodeForm(control.name) + "=" + EncodeForm(*value);
  }
  EXPECT_TRUE(pressed) << "no button " << button;
  return body;
}

}  // namespace kelvo::testing
