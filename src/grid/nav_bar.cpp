#include "grid/nav_bar.h"

#include <algorithm>
#include <string>

#include "component/captions.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "host/append.h"
#include "runtime/string_ops.h"
#include "state/request_state.h"

namespace kelvo::detail {
namespace {

using host::AppendAll;
using host::DecimalText;

constexpr std::string_view kCrLf = "\r\n";

// What every piece of the bar depends on, read once. Record numbers are widened so that
// F + P - 1 and the page arithmetic cannot overflow.
struct BarFacts {
  std::string cell_class;  // the class attribute with its surrounding blanks, or one blank
  std::string text_option;
  std::string display_type;
  bool unit_is_record = false;  // buttons move one record, not one page
  std::int64_t first = 1;       // F, the first record of the window
  std::int64_t page = 1;        // P as set
  std::int64_t divisor = 1;     // P, never below 1
  std::int64_t next = 0;        // N, the first record after the window
  bool accessible = false;      // AccessibleMarkup
  bool announce = false;        // this bar's position text is the request's status region
};

bool Contains(std::string_view text, std::string_view word) {
  return text.find(word) != std::string_view::npos;
}

BarFacts ReadFacts(const DbViewState& s, std::int32_t next_record, std::string_view placement) {
  BarFacts facts;
  facts.cell_class = " ";
  if (s.UseCSS) {
    facts.cell_class = " class=\"KLVOTableNavBar";
    facts.cell_class += placement;
    facts.cell_class += "\" ";
  }
  facts.text_option = UCase(Trim(s.DisplayNavBarTextOptions));
  facts.display_type = UCase(s.DisplayType);
  facts.first = s.mvarCurrRecord;
  facts.page = s.RecordsPerPage;
  facts.divisor = std::max<std::int64_t>(facts.page, 1);
  facts.next = next_record;
  facts.unit_is_record =
      s.mvarFormMode && !(Contains(facts.display_type, "FORM") && facts.page > 1);
  facts.accessible = s.AccessibleMarkup;
  facts.announce = s.AccessibleMarkup && !s.mvarNavAnnounced;
  return facts;
}

const std::string& UnitNoun(const DbViewState& s, const BarFacts& facts) {
  return CaptionText(s, facts.unit_is_record ? CapRecord : CapPage);
}

// The title of the first or last button, made in `title`.
const std::string& EndTitle(std::string& title, const DbViewState& s, const BarFacts& facts,
                            CaptionSlot end) {
  title.clear();
  AppendAll(title, CaptionText(s, end), " ", UnitNoun(s, facts));
  return title;
}

// The title of the previous or next button, made in `title`: by page, by a count of records,
// or by one record.
const std::string& StepTitle(std::string& title, const DbViewState& s, const BarFacts& facts,
                             CaptionSlot single, CaptionSlot counted) {
  title.clear();
  if (facts.text_option == "PAGES") {
    AppendAll(title, CaptionText(s, single), " ", CaptionText(s, CapPage));
  } else if (!facts.unit_is_record) {
    AppendAll(title, CaptionText(s, counted), " ", DecimalText(facts.page), " ",
              CaptionText(s, CapRecords));
  } else {
    AppendAll(title, CaptionText(s, single), " ", CaptionText(s, CapRecord));
  }
  return title;
}

// A dimmed button: with accessible markup its alternative text names the action and that it
// is not available.
void AppendDisabled(std::string& bar, const DbViewState& s, const BarFacts& facts,
                    std::string_view image, std::string_view action) {
  AppendAll(bar, "<img src=\"", s.ImageDir, image, "d.gif\" border=\"0\"");
  if (facts.accessible) {
    bar += " alt=\"";
    AppendHtmlAttributeEncoded(bar, action);
    bar += " (";
    AppendHtmlAttributeEncoded(bar, GridText(s, TxtUnavailable));
    bar += ")\"";
  }
  AppendAll(bar, ">", kCrLf);
}

// Captions may come from the page's own lists: with accessible markup they are encoded.
void AppendButton(std::string& bar, const DbViewState& s, const BarFacts& facts,
                  std::string_view image, std::string_view name, std::string_view title) {
  AppendAll(bar, "<input type=\"image\" src=\"", s.ImageDir, image, ".gif\" name=\"Vexmo", s.Tag,
            name, "\" border=\"0\" title=\"");
  if (facts.accessible) {
    const std::size_t start = bar.size();
    AppendHtmlAttributeEncoded(bar, title);
    const std::size_t length = bar.size() - start;
    bar += "\" alt=\"";
    // Reserved first, so the text repeated stays where it is while it is copied.
    bar.reserve(bar.size() + length);
    bar.append(bar.data() + start, length);
  } else {
    bar += title;
  }
  AppendAll(bar, "\" > ", kCrLf);
}

void AppendButtons(std::string& bar, const DbViewState& s, const BarFacts& facts,
                   NavBarMemo* memo) {
  const bool by_pages = facts.text_option == "PAGES";
  if (memo != nullptr && memo->buttons && memo->buttons->first == facts.first &&
      memo->buttons->next == facts.next && memo->buttons->page == facts.page &&
      memo->buttons->unit_is_record == facts.unit_is_record &&
      memo->buttons->by_pages == by_pages) {
    bar += memo->buttons->html;
    return;
  }
  const std::size_t start = bar.size();
  // A window at or before record 1 has nothing before it.
  const bool at_start = facts.first <= 1;
  std::string title;
  if (s.DisplayNavBarFirstLastBtn) {
    const std::string& first = EndTitle(title, s, facts, CapFirst);
    if (at_start) {
      AppendDisabled(bar, s, facts, "firstpg", first);
    } else {
      AppendButton(bar, s, facts, "firstpg", "FIRST", first);
    }
  }
  const std::string& previous = StepTitle(title, s, facts, CapPrevious, CapPreviousN);
  if (at_start) {
    AppendDisabled(bar, s, facts, "prevpg", previous);
  } else {
    AppendButton(bar, s, facts, "prevpg", "PREV", previous);
  }
  const std::int64_t last_shown = s.mvarFormOneRec ? facts.first : facts.first + facts.page - 1;
  const std::string& next = StepTitle(title, s, facts, CapNext, CapNextN);
  if (facts.next <= last_shown) {
    AppendDisabled(bar, s, facts, "nextpg", next);
  } else {
    AppendButton(bar, s, facts, "nextpg", "NEXT", next);
  }
  if (s.DisplayNavBarFirstLastBtn) {
    const std::string& last = EndTitle(title, s, facts, CapLast);
    if (facts.first >= facts.next || s.DisableNavBarLastPageBtn) {
      AppendDisabled(bar, s, facts, "lastpg", last);
    } else {
      AppendButton(bar, s, facts, "lastpg", "LAST", last);
    }
  }
  bar += "</td>";
  if (memo != nullptr) {
    memo->buttons = NavBarMemo::Buttons{
        facts.first, facts.next, facts.page, facts.unit_is_record, by_pages, bar.substr(start)};
  }
}

// The position text of the first bar a request writes is a status region, so that the page
// reached is announced; a second bar repeats it silently.
void OpenStatus(std::string& bar, BarFacts& facts) {
  if (!facts.announce) return;
  bar += "<span role=\"status\">";
}

void CloseStatus(std::string& bar, BarFacts& facts) {
  if (!facts.announce) return;
  bar += "</span>";
  facts.announce = false;
}

void AppendCellStart(std::string& bar, const BarFacts& facts, std::string_view width,
                     std::string_view align) {
  AppendAll(bar, "<td width=\"", width, "\"", facts.cell_class, "nowrap align=\"", align, "\"> ",
            kCrLf);
}

// "Record (1..20) of 57": the window shown and the count when it is known.
void AppendRecordText(std::string& bar, const DbViewState& s, BarFacts& facts) {
  const std::int32_t shown_from = s.ToRow != 0 ? s.FromRow : 0;
  AppendCellStart(bar, facts, "1%", "left");
  bar += "&nbsp;";
  OpenStatus(bar, facts);
  bar += CaptionText(s, CapRecord);
  if (shown_from != s.ToRow) {
    AppendAll(bar, " (", DecimalText(shown_from), "..", DecimalText(s.ToRow), ") ");
  } else if (s.mvarPositionEstimated) {
    AppendAll(bar, " ", EstimatedCountText(s, shown_from), " ");
  } else {
    AppendAll(bar, " ", DecimalText(shown_from), " ");
  }
  if (s.RecordCount != -1) {
    AppendAll(bar, CaptionText(s, CapOf), " ");
    if (s.mvarCountEstimated) {
      bar += EstimatedCountText(s, s.RecordCount);
    } else {
      bar += DecimalText(s.RecordCount);
    }
  }
  CloseStatus(bar, facts);
  bar += "</td>";
  bar += kCrLf;
}

// Back from one record to the grid page that holds it, in the same sort order.
void AppendListLink(std::string& bar, const DbViewState& s, const BarFacts& facts,
                    NavBarMemo* memo) {
  const std::int64_t list_start = facts.divisor * ((facts.first - 1) / facts.divisor) + 1;
  AppendCellStart(bar, facts, "1%", "left");
  // The link carries the count, which the rows read may have corrected since the other bar.
  if (memo != nullptr && memo->list_link && memo->list_link->list_start == list_start &&
      memo->list_link->count == s.RecordCount &&
      memo->list_link->estimated == s.mvarCountEstimated &&
      memo->list_link->count_until == s.mvarCountCarriedUntil) {
    bar += memo->list_link->html;
    return;
  }
  const std::size_t start = bar.size();
  AppendAll(bar, "&nbsp;&nbsp;<a", s.UseCSS ? " class=\"KLVOTableNavBar\"" : "", " href=\"",
            ScriptPath(s), "?", GetStateQuery(s, list_start), "&Vexmo", s.Tag,
            "OrderByFields=", UrlEncodeComponent(s.OrderByFields),
            SortDirectionQuery(s, s.OrderByDesc), "\">", CaptionText(s, CapList), "</a></td>",
            kCrLf);
  if (memo != nullptr) {
    memo->list_link = NavBarMemo::ListLink{list_start, s.RecordCount, s.mvarCountEstimated,
                                           s.mvarCountCarriedUntil, bar.substr(start)};
  }
}

void AppendExportButton(std::string& bar, const DbViewState& s, const BarFacts& facts) {
  AppendCellStart(bar, facts, "1%", "left");
  bar += "&nbsp;<input title=\"Excel export\" ";
  if (facts.accessible) {
    bar += "alt=\"";
    bar += HtmlAttributeEncode(GridText(s, TxtExport));
    bar += "\" ";
  }
  bar += "type=\"image\" name=\"";
  bar += ParameterName(s, "ToExcel");
  bar += "\" border=0 src=\"";
  bar += s.ImageDir;
  bar += "excel.gif\"></td>";
  bar += kCrLf;
}

// "Page 2 of 3".
void AppendPageText(std::string& bar, const DbViewState& s, BarFacts& facts) {
  const std::int64_t count = s.RecordCount;
  std::int64_t pages = count / facts.divisor + (count % facts.divisor != 0 ? 1 : 0);
  if (pages == 0) pages = 1;
  const std::int64_t current = (facts.first - 1) / facts.divisor + 1;
  AppendCellStart(bar, facts, "99%", "right");
  bar += "&nbsp;";
  OpenStatus(bar, facts);
  AppendAll(bar, CaptionText(s, CapPage), " ", DecimalText(current), " ", CaptionText(s, CapOf),
            " ");
  if (s.mvarCountEstimated) {
    bar += EstimatedCountText(s, pages);
  } else {
    bar += DecimalText(pages);
  }
  CloseStatus(bar, facts);
  bar += "&nbsp;</td>";
  bar += kCrLf;
}

}  // namespace

std::string BuildNavBar(DbViewState& s, int column_span, std::int32_t next_record,
                        std::string_view placement, NavBarMemo* memo) {
  BarFacts facts = ReadFacts(s, next_record, placement);
  const bool by_both = facts.text_option == "BOTH";
  const bool by_pages = facts.text_option == "PAGES";

  std::string bar;
  bar.reserve(1024);
  AppendAll(bar, "<tr><th nowrap align=\"left\"", facts.cell_class,
            "colspan=", DecimalText(column_span), ">", kCrLf);
  // With accessible markup the bar is a named group; its table only lays it out.
  if (facts.accessible) {
    bar += "<div role=\"group\" aria-label=\"";
    AppendHtmlAttributeEncoded(bar, GridText(s, TxtNavigation));
    bar += "\"><table role=\"presentation\" width=\"100%\" cellpadding=0 cellspacing=0>";
  } else {
    bar += "<table width=\"100%\" cellpadding=0 cellspacing=0>";
  }
  bar += kCrLf;
  AppendAll(bar, "<tr><td width=\"1%\"", facts.cell_class, "nowrap align=\"left\">", kCrLf);
  AppendButtons(bar, s, facts, memo);

  // A new record, just opened or refused, has no position among the saved ones to tell.
  if (!ShowsNewRecord(s) &&
      (by_both || facts.text_option == "RECORDS" || (by_pages && facts.unit_is_record))) {
    AppendRecordText(bar, s, facts);
  }
  const bool one_record_shown =
      s.mvarFormOneRec || (Contains(facts.display_type, "DEFAULT") && s.RecordsPerPage == 1);
  if (!Contains(facts.display_type, "FORM") && one_record_shown) {
    AppendListLink(bar, s, facts, memo);
  }
  if (s.DisplayExcelIcon) AppendExportButton(bar, s, facts);
  if ((by_both || by_pages) && s.RecordCount != -1 && !facts.unit_is_record) {
    AppendPageText(bar, s, facts);
  }
  if (!facts.announce && facts.accessible) s.mvarNavAnnounced = true;
  bar += facts.accessible ? "</tr></table></div></th></tr>" : "</tr></table></th></tr>";
  bar += kCrLf;
  return bar;
}

}  // namespace kelvo::detail
