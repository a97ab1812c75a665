#include "kelvo/page_file.h"

#include <fstream>
#include <sstream>
#include <utility>

#include "host/ascii_case.h"
#include "kelvo/data.h"
#include "kelvo/db_connection.h"
#include "kelvo/db_view.h"
#include "kelvo/host.h"
#include "site/page_document.h"
#include "site/page_loader.h"
#include "site/page_plan.h"
#include "site/served_defaults.h"

namespace kelvo {
namespace {

std::string Describe(const std::string& file, int line, const std::string& key,
                     const std::string& problem) {
  std::string text = file;
  if (line > 0) text += ":" + std::to_string(line);
  text += ": ";
  if (!key.empty()) text += key + ": ";
  return text + problem;
}

// The page's own connection, opened for this request only.
std::shared_ptr<DBConnection> OpenSharedConnection(const site::PagePlan& plan,
                                                   const std::string& connection_string) {
  auto shared = std::make_shared<DBConnection>();
  try {
    shared->Connection()->Open(connection_string);
  } catch (const Error& failure) {
    throw Error(failure.number(),
                Describe(plan.source_name, 0, "connection", failure.description()));
  }
  if (!plan.engine.empty()) shared->SetDatabaseEngine(plan.engine);
  for (const auto& [name, sql] : plan.procedures) shared->Connection()->DefineProcedure(name, sql);
  return shared;
}

void Apply(const site::PagePlan& plan, DbView& grid, const site::GridStep& step) {
  try {
    if (step.kind == site::GridStep::Kind::kCall) {
      grid.Invoke(step.member, CallKind::kMethod, step.arguments);
      return;
    }
    grid.Invoke(step.member, CallKind::kPropertyPut, step.arguments);
    // A grid that opened its own connection gets the page's procedures too.
    if (host::EqualsIgnoringAsciiCase(step.member, "ConnectionString") && grid.VexmoConnection()) {
      for (const auto& [name, sql] : plan.procedures) {
        grid.VexmoConnection()->Connection()->DefineProcedure(name, sql);
      }
    }
  } catch (const Error& failure) {
    throw Error(failure.number(),
                Describe(plan.source_name, step.line, step.key, failure.description()));
  }
}

}  // namespace

PageFileError::PageFileError(std::string file, int line, std::string key,
                             const std::string& problem)
    : Error(errc::kInvalidCall, Describe(file, line, key, problem)),
      file_(std::move(file)),
      line_(line),
      key_(std::move(key)) {}

PageFile::PageFile(std::unique_ptr<site::PagePlan> plan) : plan_(std::move(plan)) {}

PageFile::~PageFile() = default;

std::shared_ptr<const PageFile> PageFile::Load(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (!in || !(text << in.rdbuf())) {
    throw PageFileError(path.string(), 0, "", "cannot read the file");
  }
  return Parse(text.str(), path.string());
}

std::shared_ptr<const PageFile> PageFile::Parse(std::string_view text,
                                                std::string_view source_name) {
  auto plan = std::make_unique<site::PagePlan>(site::LoadPagePlan(text, source_name));
  if (plan->title.empty()) {
    plan->title = std::filesystem::path(std::string(source_name)).stem().string();
  }
  return std::make_shared<const PageFile>(std::move(plan));
}

const std::string& PageFile::source_name() const { return plan_->source_name; }

const std::string& PageFile::title() const { return plan_->title; }

bool PageFile::MaySee(std::string_view role) const { return plan_->roles.MaySee(role); }

bool PageFile::MayWrite(std::string_view role) const { return plan_->roles.MayWrite(role); }

std::string PageFile::LocaleName(const PageDefaults& defaults) const {
  return plan_->locale.empty() ? defaults.locale : plan_->locale;
}

void PageFile::Render(const std::shared_ptr<ScriptingContext>& context,
                      const PageDefaults& defaults) const {
  const site::PagePlan& plan = *plan_;
  Response& out = context->response();
  site::WriteDocumentStart(out, plan.title, LocaleName(defaults));
  site::WriteSignedInUser(out, context->request().ServerVariables("REMOTE_USER"));
  out.Write(plan.before);

  const std::string& connection_string =
      plan.connection.empty() ? defaults.connection : plan.connection;
  std::shared_ptr<DBConnection> shared;
  if (!connection_string.empty()) {
    shared = OpenSharedConnection(plan, connection_string);
    shared->OnStartPage(context);
  }
  for (const site::GridPlan& grid_plan : plan.grids) {
    DbView grid;
    grid.OnStartPage(Variant(context));
    if (shared) grid.SetVexmoConnection(shared);
    site::ApplyServedDefaults(grid, plan.title);
    for (const site::GridStep& step : grid_plan.steps) Apply(plan, grid, step);
    // A role that may not write is offered no edit, add or delete: each would be refused.
    if (!context->may_write()) grid.SetEditOptions("");
    site::WriteGridStart(out);
    grid.WriteHtmlTable();
    site::WriteGridEnd(out);
    site::WriteErrorBox(out, grid.ErrorMessage());
    grid.OnEndPage();
  }
  if (shared) shared->OnEndPage();

  out.Write(plan.after);
  site::WriteDocumentEnd(out);
}

}  // namespace kelvo
