// The check a posted sort clause must pass before it reaches " ORDER BY ".
#ifndef KELVO_STATE_SORT_FIELDS_H_
#define KELVO_STATE_SORT_FIELDS_H_

#include <string_view>

namespace kelvo::detail {

// True for a comma list whose items are column numbers or plain identifiers (letters, digits,
// underscores; optionally qualified with one dot; each part optionally in double quotes or
// brackets), each optionally followed by ASC or DESC, with blanks around the words.
bool IsSafeSortList(std::string_view list);

}  // namespace kelvo::detail

#endif  // KELVO_STATE_SORT_FIELDS_H_
