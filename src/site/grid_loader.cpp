#include "site/grid_loader.h"

#include <array>
#include <charconv>
#include <span>
#include <string>
#include <vector>

#include "host/ascii_case.h"
#include "kelvo/db_view.h"
#include "kelvo/page_file.h"
#include "site/toml_nodes.h"

namespace kelvo::site {
namespace {

// Members the host calls itself around the page's settings.
constexpr std::array<std::string_view, 4> kHostCalls = {"OnStartPage", "OnEndPage",
                                                        "WriteHtmlTable", "QHtmlTable"};
// Setters that reach the database; the check leaves them to the request.
constexpr std::array<std::string_view, 2> kDatabaseSetters = {"ConnectionString", "sql"};

bool IsOneOf(std::string_view name, std::span<const std::string_view> names) {
  for (std::string_view candidate : names) {
    if (host::EqualsIgnoringAsciiCase(name, candidate)) return true;
  }
  return false;
}

std::vector<std::string> SplitArgumentNames(std::string_view names) {
  std::vector<std::string> result;
  while (!names.empty()) {
    const std::size_t comma = names.find(',');
    result.emplace_back(names.substr(0, comma));
    if (comma == std::string_view::npos) break;
    names.remove_prefix(comma + 1);
  }
  return result;
}

class GridChecker final {
 public:
  explicit GridChecker(std::string_view source_name) : source_name_(source_name) {}

  GridPlan Load(const toml::table& grid) {
    for (const auto& [key, node] : InFileOrder(grid)) Entry(*key, *node);
    return std::move(plan_);
  }

 private:
  [[noreturn]] void Fail(int line, std::string_view key, const std::string& problem) const {
    throw PageFileError(std::string(source_name_), line, std::string(key), problem);
  }

  void Entry(const toml::key& key, const toml::node& node) {
    const std::string name(key.str());
    const int line = LineOf(key, node);
    std::string arguments;
    try {
      arguments = std::string(probe_.ArgumentNames(name));
    } catch (const Error& failure) {
      Fail(line, name, "DbView has no such member (" + failure.description() + ")");
    }
    if (IsOneOf(name, kHostCalls)) {
      Fail(line, name, "the page host calls this itself; a page file cannot set it");
    }
    if (const toml::table* table = node.as_table()) {
      Indexed(name, arguments, *table, line);
    } else if (const toml::array* array = node.as_array()) {
      Calls(name, arguments, *array, line);
    } else if (!arguments.empty()) {
      Fail(line, name,
           "takes the arguments " + arguments + ", so it needs a table, not " +
               std::string(KindName(node)));
    } else {
      Plain(name, node, line);
    }
  }

  // A plain property: the value's kind must be the kind the property reads back as.
  void Plain(const std::string& name, const toml::node& node, int line) {
    Variant current;
    bool readable = true;
    try {
      current = probe_.Invoke(name, CallKind::kPropertyGet, {});
    } catch (const Error&) {
      readable = false;  // a write-only property: its setter converts or refuses the value
    }
    const Variant value = ScalarValue(name, node, line);
    if (readable) {
      const bool matches = current.type() == VarType::kString    ? node.is_string()
                           : current.type() == VarType::kBoolean ? node.is_boolean()
                           : current.type() == VarType::kInt32 || current.type() == VarType::kInt64
                               ? node.is_integer()
                               : true;
      if (!matches) {
        Fail(line, name,
             "expects " + std::string(ExpectedKind(current.type())) + ", not " +
                 std::string(KindName(node)));
      }
    }
    GridStep step{GridStep::Kind::kPut, name, {value}, line, name};
    if (!IsOneOf(name, kDatabaseSetters)) Try(step);
    plan_.steps.push_back(std::move(step));
  }

  // An indexed property: a table from column number to text.
  void Indexed(const std::string& name, const std::string& arguments, const toml::table& table,
               int line) {
    if (arguments.empty() || arguments.find(',') != std::string::npos) {
      Fail(line, name, "is not indexed by one column, so it cannot take a table");
    }
    for (const auto& [key, node] : InFileOrder(table)) {
      const std::string column_text(key->str());
      const std::string where = name + "." + column_text;
      const int entry_line = LineOf(*key, *node);
      int column = -1;
      const auto [end, error] =
          std::from_chars(column_text.data(), column_text.data() + column_text.size(), column);
      if (error != std::errc() || end != column_text.data() + column_text.size() || column < 0 ||
          column > 32767) {
        Fail(entry_line, where, "'" + column_text + "' is not a column number (0 to 32767)");
      }
      if (!node->is_string()) {
        Fail(entry_line, where, "expects a string, not " + std::string(KindName(*node)));
      }
      GridStep step{GridStep::Kind::kPut,
                    name,
                    {Variant(std::int32_t{column}), Variant(**node->as_string())},
                    entry_line,
                    where};
      Try(step);
      plan_.steps.push_back(std::move(step));
    }
  }

  // A method called once per table of an array, its arguments given by name.
  void Calls(const std::string& name, const std::string& arguments, const toml::array& array,
             int line) {
    if (!array.is_array_of_tables() || array.empty()) {
      Fail(line, name, "expects tables of named arguments ([[grid." + name + "]])");
    }
    const std::vector<std::string> names = SplitArgumentNames(arguments);
    for (const toml::node& element : array) {
      const toml::table& call = *element.as_table();
      const int call_line = call.source().begin ? static_cast<int>(call.source().begin.line) : line;
      std::vector<Variant> values(names.size());
      std::vector<bool> given(names.size(), false);
      for (const auto& [key, node] : InFileOrder(call)) {
        const std::string argument(key->str());
        std::size_t index = 0;
        while (index < names.size() && !host::EqualsIgnoringAsciiCase(names[index], argument)) {
          ++index;
        }
        if (index == names.size()) {
          Fail(LineOf(*key, *node), name + "." + argument,
               "is not an argument of " + name + " (" + arguments + ")");
        }
        values[index] = ScalarValue(name + "." + argument, *node, LineOf(*key, *node));
        given[index] = true;
      }
      for (std::size_t i = 0; i < names.size(); ++i) {
        if (!given[i]) Fail(call_line, name, "lacks the argument " + names[i]);
      }
      plan_.steps.push_back({GridStep::Kind::kCall, name, std::move(values), call_line, name});
    }
  }

  Variant ScalarValue(const std::string& where, const toml::node& node, int line) const {
    if (const auto* text = node.as_string()) return Variant(**text);
    if (const auto* number = node.as_integer()) return Variant(std::int64_t{**number});
    if (const auto* flag = node.as_boolean()) return Variant(**flag);
    if (const auto* real = node.as_floating_point()) return Variant(**real);
    Fail(line, where, "cannot take " + std::string(KindName(node)));
  }

  static std::string_view ExpectedKind(VarType type) {
    switch (type) {
      case VarType::kBoolean:
        return "a boolean";
      case VarType::kInt32:
      case VarType::kInt64:
        return "an integer";
      default:
        return "a string";
    }
  }

  // Applies a step to the probe grid, so a value the setter refuses fails here, with its line.
  void Try(const GridStep& step) {
    try {
      probe_.Invoke(step.member, CallKind::kPropertyPut, step.arguments);
    } catch (const Error& failure) {
      Fail(step.line, step.key, failure.description());
    }
  }

  std::string_view source_name_;
  DbView probe_;
  GridPlan plan_;
};

}  // namespace

GridPlan LoadGridPlan(const toml::table& grid, std::string_view source_name) {
  return GridChecker(source_name).Load(grid);
}

}  // namespace kelvo::site
