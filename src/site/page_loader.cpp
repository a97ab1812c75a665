#include "site/page_loader.h"

#include <array>
#include <string>

#include "host/ascii_case.h"
#include "kelvo/error.h"
#include "kelvo/locale.h"
#include "kelvo/page_file.h"
#include "site/grid_loader.h"
#include "site/toml_nodes.h"

namespace kelvo::site {
namespace {

constexpr std::array<std::string_view, 4> kEngines = {"ORACLE", "SQLA", "ACCESS", "MSSQL"};

class PageChecker final {
 public:
  explicit PageChecker(std::string_view source_name) : source_name_(source_name) {
    plan_.source_name = source_name;
  }

  PagePlan Load(std::string_view text) {
    toml::table root;
    try {
      root = toml::parse(text, source_name_);
    } catch (const toml::parse_error& failure) {
      throw PageFileError(std::string(source_name_), static_cast<int>(failure.source().begin.line),
                          "", std::string(failure.description()));
    }
    for (const auto& [key, node] : InFileOrder(root)) Entry(*key, *node);
    return std::move(plan_);
  }

 private:
  [[noreturn]] void Fail(int line, std::string_view key, const std::string& problem) const {
    throw PageFileError(std::string(source_name_), line, std::string(key), problem);
  }

  std::string Text(const toml::key& key, const toml::node& node) const {
    if (const auto* text = node.as_string()) return **text;
    Fail(LineOf(key, node), key.str(), "expects a string, not " + std::string(KindName(node)));
  }

  void Entry(const toml::key& key, const toml::node& node) {
    const std::string_view name = key.str();
    const int line = LineOf(key, node);
    if (name == "title") {
      plan_.title = Text(key, node);
    } else if (name == "locale") {
      plan_.locale = Text(key, node);
      try {
        Locale::Find(plan_.locale);
      } catch (const Error& failure) {
        Fail(line, name, failure.description());
      }
    } else if (name == "before") {
      plan_.before = Text(key, node);
    } else if (name == "after") {
      plan_.after = Text(key, node);
    } else if (name == "connection") {
      plan_.connection = Text(key, node);
    } else if (name == "engine") {
      plan_.engine = Text(key, node);
      bool known = false;
      for (std::string_view engine : kEngines) {
        known = known || host::EqualsIgnoringAsciiCase(engine, plan_.engine);
      }
      if (!known) Fail(line, name, "'" + plan_.engine + "' is not ORACLE, SQLA, ACCESS or MSSQL");
    } else if (name == "procedures") {
      Procedures(key, node);
    } else if (name == "grid") {
      Grids(key, node);
    } else if (name == "roles") {
      Roles(key, node);
    } else {
      Fail(line, name,
           "unknown key; a page has title, locale, before, after, connection, engine, "
           "[procedures], [roles] and [[grid]] tables");
    }
  }

  void Procedures(const toml::key& key, const toml::node& node) {
    const toml::table* table = node.as_table();
    if (!table) {
      Fail(LineOf(key, node), key.str(),
           "expects a table of procedure names and SQL texts, not " + std::string(KindName(node)));
    }
    for (const auto& [name, text] : InFileOrder(*table)) {
      plan_.procedures.emplace_back(std::string(name->str()), Text(*name, *text));
    }
  }

  // [roles] see = [...], write = [...]: the roles of signed-in users that may see the page
  // and write through its grids.
  void Roles(const toml::key& key, const toml::node& node) {
    const toml::table* table = node.as_table();
    if (!table) Fail(LineOf(key, node), key.str(), "expects a table with see and write lists");
    for (const auto& [name, list] : InFileOrder(*table)) {
      const int line = LineOf(*name, *list);
      const std::string where = "roles." + std::string(name->str());
      if (name->str() != "see" && name->str() != "write") {
        Fail(line, where, "unknown key; [roles] has see and write");
      }
      const toml::array* roles = list->as_array();
      if (!roles) Fail(line, where, "expects a list of roles");
      std::vector<std::string> names;
      for (const toml::node& role : *roles) {
        const auto* text = role.as_string();
        if (!text || !IsRole(**text)) {
          Fail(line, where, "a role is \"viewer\" or \"editor\"");
        }
        names.push_back(**text);
      }
      (name->str() == "see" ? plan_.roles.see : plan_.roles.write) = std::move(names);
    }
  }

  void Grids(const toml::key& key, const toml::node& node) {
    const toml::array* grids = node.as_array();
    if (!grids || !grids->is_array_of_tables()) {
      Fail(LineOf(key, node), key.str(),
           "expects [[grid]] tables, not " + std::string(KindName(node)));
    }
    for (const toml::node& grid : *grids) {
      plan_.grids.push_back(LoadGridPlan(*grid.as_table(), source_name_));
    }
  }

  std::string_view source_name_;
  PagePlan plan_;
};

}  // namespace

PagePlan LoadPagePlan(std::string_view text, std::string_view source_name) {
  return PageChecker(source_name).Load(text);
}

}  // namespace kelvo::site
