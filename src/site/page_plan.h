// A page file turned into the steps that build its page: what the loader makes and the
// renderer replays for each request.
#ifndef KELVO_SITE_PAGE_PLAN_H_
#define KELVO_SITE_PAGE_PLAN_H_

#include <string>
#include <utility>
#include <vector>

#include "kelvo/users.h"
#include "kelvo/variant.h"

namespace kelvo::site {

// One call on a fresh DbView, with the place in the file it came from.
struct GridStep {
  enum class Kind { kPut, kCall };
  Kind kind = Kind::kPut;
  std::string member;
  // For kPut: the index arguments, then the value. For kCall: the method's arguments.
  std::vector<Variant> arguments;
  int line = 0;
  std::string key;  // as written, "GridFormatCellFunction.3" for an indexed entry
};

struct GridPlan {
  std::vector<GridStep> steps;
};

struct PagePlan {
  std::string source_name;
  std::string title;
  std::string locale;  // empty: the host's
  std::string before;
  std::string after;
  std::string connection;                                       // empty: the host's
  std::string engine;                                           // empty: the connection's default
  std::vector<std::pair<std::string, std::string>> procedures;  // name, SQL text
  std::vector<GridPlan> grids;
  RoleLists roles;  // who may see and write the page when the server has users
};

}  // namespace kelvo::site

#endif  // KELVO_SITE_PAGE_PLAN_H_
