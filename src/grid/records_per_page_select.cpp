#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "component/captions.h"
#include "component/list_utils.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "grid/nav_bar.h"
#include "kelvo/convert.h"
#include "kelvo/error.h"

namespace kelvo::detail {
namespace {

// An item as CLng reads it. Items are mostly plain digits, read here without the general
// conversion, which costs many times more.
std::int32_t ItemValue(std::string_view item, const Locale& locale) {
  if (!item.empty() && item.size() <= 9 &&
      std::all_of(item.begin(), item.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    std::int32_t value = 0;
    for (const char c : item) value = value * 10 + (c - '0');
    return value;
  }
  return CLng(Variant(item), locale);
}

// Whether an item of the options reads as `size`, read as the loop below reads it. An item that
// is not a number never does; the loop reports it.
bool ItemIsSize(std::string_view item, std::int32_t size, const Locale& locale) {
  try {
    return ItemValue(item, locale) == size;
  } catch (const Error&) {
    return false;
  }
}

bool ListsSize(std::string_view options, std::int32_t size, const Locale& locale) {
  for (std::size_t begin = 0;;) {
    const std::size_t comma = options.find(',', begin);
    if (ItemIsSize(options.substr(begin, comma - begin), size, locale)) return true;
    if (comma == std::string_view::npos) return false;
    begin = comma + 1;
  }
}

std::string SelectedOption(std::int32_t size) {
  const std::string text = std::to_string(size);
  return "<option selected value=\"" + text + "\">" + text;
}

}  // namespace

void WriteRecordsPerPageSelect(DbViewState& s) {
  const std::string name = ParameterName(s, "maxrecords");
  std::string start;
  if (s.AccessibleMarkup) {
    // Labelled, and changed by its button rather than on the first arrow key.
    start = "<label for=\"" + name + "\">" + HtmlAttributeEncode(CaptionText(s, CapRecordsPerPage)) +
            "</label>&nbsp;:&nbsp;<select id=\"" + name + "\"";
  } else {
    start = CaptionText(s, CapRecordsPerPage) + "&nbsp;:&nbsp;<select onchange=\"FormKelvoGrid" +
            s.Tag + ".submit()\"";
  }
  if (s.UseCSS) start += " class=\"KLVOTableRecPerPage\"";
  start += " name=\"" + name + "\">\r\n";
  Write(s, start);

  if (IsListBlank(s.RecordsPerPageOptions)) s.RecordsPerPageOptions = kDefaultRecordsPerPageOptions;
  const Locale& locale = PageLocale(s);
  const std::string_view options = s.RecordsPerPageOptions;
  // The page's size is always offered and selected: a size the options lack goes in before the
  // first larger option, so that the list shows what the page shows and a post keeps it.
  bool size_written = ListsSize(options, s.RecordsPerPage, locale);
  std::string option;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t comma = options.find(',', begin);
    const std::string_view item = options.substr(begin, comma - begin);
    // Written one by one: an item that is not a number ends the list after those before it.
    const std::int32_t value = ItemValue(item, locale);
    if (!size_written && value > s.RecordsPerPage) {
      Write(s, SelectedOption(s.RecordsPerPage));
      size_written = true;
    }
    const bool selected = value == s.RecordsPerPage;
    option.assign(selected ? "<option selected value=\"" : "<option value=\"");
    option += item;
    option += "\">";
    option += item;
    Write(s, option);
    if (comma == std::string_view::npos) break;
    begin = comma + 1;
  }
  if (!size_written) Write(s, SelectedOption(s.RecordsPerPage));
  Write(s, "</select>\r\n");
  if (s.AccessibleMarkup) {
    Write(s, std::string(s.UseCSS ? "<input class=\"KelvoInputBtn\" " : "<input ") +
                 "type=\"submit\" value=\"" + HtmlAttributeEncode(GridText(s, TxtShow)) +
                 "\">\r\n");
  }
}

}  // namespace kelvo::detail
