#include "render_command.h"

#include <iostream>
#include <string>

#include "kelvo/db_view.h"
#include "kelvo/error.h"
#include "kelvo/host.h"

namespace kelvo::apps {
namespace {

constexpr std::string_view kUsage =
    "usage: kelvo render DATABASE SQL [--query QUERY-STRING] [--page PATH] [--locale NAME]\n"
    "  Renders the grid page of SQL over the SQLite file DATABASE to standard output, as a GET\n"
    "  of PATH (default /grid) with QUERY-STRING would.\n";

struct RenderOptions {
  std::string database;
  std::string sql;
  std::string query;
  std::string page = "/grid";
  std::string locale = "en-US";
};

bool ParseOptions(std::span<const std::string_view> args, RenderOptions& options) {
  std::size_t positional = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const bool has_value = i + 1 < args.size();
    if (arg == "--query" && has_value) {
      options.query = args[++i];
    } else if (arg == "--page" && has_value) {
      options.page = args[++i];
    } else if (arg == "--locale" && has_value) {
      options.locale = args[++i];
    } else if (arg.starts_with("--")) {
      return false;
    } else if (positional == 0) {
      options.database = arg;
      ++positional;
    } else if (positional == 1) {
      options.sql = arg;
      ++positional;
    } else {
      return false;
    }
  }
  return positional == 2;
}

}  // namespace

int RunRenderCommand(std::span<const std::string_view> args) {
  RenderOptions options;
  if (!ParseOptions(args, options)) {
    std::cerr << kUsage;
    return 2;
  }
  PageOptions page_options;
  page_options.locale = options.locale;
  MemoryPage page(RequestData::Get(options.page, options.query), page_options);
  auto grid = std::make_shared<DbView>();
  page.Run([&](ScriptingContext&) {
    grid->OnStartPage(Variant(page.context()));
    grid->SetConnectionString("sqlite:" + options.database);
    grid->SetSql(options.sql);
    grid->WriteHtmlTable();
    grid->OnEndPage();
  });
  std::cout << page.output();
  if (!grid->ErrorMessage().empty()) {
    std::cerr << "kelvo: " << grid->ErrorMessage() << '\n';
    return 1;
  }
  return 0;
}

}  // namespace kelvo::apps
