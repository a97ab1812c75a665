#include "render_command.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "connection_argument.h"
#include "kelvo/error.h"
#include "kelvo/host.h"
#include "kelvo/page_file.h"

namespace kelvo::apps {
namespace {

constexpr std::string_view kUsage =
    "usage: kelvo render PAGE [--get QUERY] [--post FORM] [--method METHOD] [--path SCRIPT_NAME]\n"
    "                    [--headers] [--db CONNECTION] [--locale NAME]\n"
    "  Runs one request through the page file PAGE with the in-memory host and prints the\n"
    "  response body; --headers prints the status line and headers first. --post sends FORM\n"
    "  url-encoded and implies POST. SCRIPT_NAME defaults to /PAGE-NAME. --db is the connection\n"
    "  of a page that names none. KELVO_SECRET, when set, is the statement-signing secret.\n";

struct RenderArguments {
  std::string page;
  std::string query;
  std::optional<std::string> form;
  std::string method;
  std::string path;
  bool headers = false;
  std::string db;
  std::string locale = "en-US";
};

bool Parse(std::span<const std::string_view> args, RenderArguments& parsed) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--headers") {
      parsed.headers = true;
      continue;
    }
    if (!arg.starts_with("--")) {
      if (!parsed.page.empty()) return false;
      parsed.page = arg;
      continue;
    }
    if (i + 1 >= args.size()) return false;
    const std::string value(args[++i]);
    if (arg == "--get") {
      parsed.query = value;
    } else if (arg == "--post") {
      parsed.form = value;
    } else if (arg == "--method") {
      parsed.method = value;
    } else if (arg == "--path") {
      parsed.path = value;
    } else if (arg == "--db") {
      parsed.db = value;
    } else if (arg == "--locale") {
      parsed.locale = value;
    } else {
      return false;
    }
  }
  return !parsed.page.empty();
}

RequestData MakeRequest(const RenderArguments& parsed, const std::string& script_name) {
  const bool post = parsed.form.has_value() || parsed.method == "POST";
  RequestData request = post
                            ? RequestData::Post(script_name, parsed.form.value_or(""), parsed.query)
                            : RequestData::Get(script_name, parsed.query);
  if (!parsed.method.empty()) {
    for (auto& [name, value] : request.server_variables) {
      if (name == "REQUEST_METHOD") value = parsed.method;
    }
  }
  return request;
}

void PrintHead(int status, const NameValueList& headers) {
  std::cout << "HTTP/1.1 " << status << "\r\n";
  for (const auto& [name, value] : headers) std::cout << name << ": " << value << "\r\n";
  std::cout << "\r\n";
}

}  // namespace

int RunRenderCommand(std::span<const std::string_view> args) {
  RenderArguments parsed;
  if (!Parse(args, parsed)) {
    std::cerr << kUsage;
    return 2;
  }
  std::shared_ptr<const PageFile> page;
  try {
    page = PageFile::Load(parsed.page);
  } catch (const PageFileError& failure) {
    std::cerr << "kelvo: " << failure.description() << '\n';
    return 1;
  }
  const std::string script_name =
      parsed.path.empty() ? "/" + std::filesystem::path(parsed.page).stem().string() : parsed.path;
  PageDefaults defaults;
  defaults.locale = parsed.locale;
  if (!parsed.db.empty()) defaults.connection = ConnectionFromArgument(parsed.db);
  PageOptions options;
  options.locale = page->LocaleName(defaults);
  if (const char* secret = std::getenv("KELVO_SECRET")) options.signing_secret = secret;

  MemoryPage memory(MakeRequest(parsed, script_name), options);
  try {
    memory.Run([&](ScriptingContext&) { page->Render(memory.context(), defaults); });
  } catch (const Error& failure) {
    std::cerr << "kelvo: " << failure.description() << '\n';
    return 1;
  }
  if (parsed.headers) PrintHead(memory.status(), memory.headers());
  std::cout << memory.output();
  return 0;
}

}  // namespace kelvo::apps
