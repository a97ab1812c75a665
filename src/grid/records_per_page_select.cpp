#include <string>
#include <string_view>

#include "component/captions.h"
#include "component/list_utils.h"
#include "component/page_access.h"
#include "grid/nav_bar.h"
#include "kelvo/convert.h"

namespace kelvo::detail {

void WriteRecordsPerPageSelect(DbViewState& s) {
  Write(s, CaptionText(s, CapRecordsPerPage));
  Write(s, "&nbsp;:&nbsp;");
  std::string start = "<select onchange=\"FormKelvoGrid" + s.Tag + ".submit()\"";
  if (s.UseCSS) start += " class=\"KLVOTableRecPerPage\"";
  start += " name=\"" + ParameterName(s, "maxrecords") + "\">\r\n";
  Write(s, start);

  if (IsListBlank(s.RecordsPerPageOptions)) s.RecordsPerPageOptions = kDefaultRecordsPerPageOptions;
  const Locale& locale = PageLocale(s);
  const std::string_view options = s.RecordsPerPageOptions;
  std::string option;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t comma = options.find(',', begin);
    const std::string_view item = options.substr(begin, comma - begin);
    // Written one by one: an item that is not a number ends the list after those before it.
    const bool selected = CLng(Variant(item), locale) == s.RecordsPerPage;
    option.assign(selected ? "<option selected value=\"" : "<option value=\"");
    option += item;
    option += "\">";
    option += item;
    Write(s, option);
    if (comma == std::string_view::npos) break;
    begin = comma + 1;
  }
  Write(s, "</select>\r\n");
}

}  // namespace kelvo::detail
