// Page files: a page of grids described in TOML, checked once and rendered for each request.
//
//   title = "Orders"
//   [[grid]]
//   sql = "SELECT id, customer, total FROM orders"
//   RecordsPerPage = 20
//   GridFormatCellFunction = { 3 = "FORMATCURRENCY,2" }
//
// Grid keys are DbView member names, matched without regard to case, applied in the order the
// file gives them; then the grid renders. Parsing checks every key and value against the grid's
// members, so a page that loads runs its setters without surprises of kind.
#ifndef KELVO_PAGE_FILE_H_
#define KELVO_PAGE_FILE_H_

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "kelvo/error.h"
#include "kelvo/export.h"

namespace kelvo {

class ScriptingContext;
namespace site {
struct PagePlan;
}

// A page file that cannot be used. The description reads "FILE:LINE: KEY: problem" (line and
// key left out when unknown).
class KELVO_EXPORT PageFileError : public Error {
 public:
  PageFileError(std::string file, int line, std::string key, const std::string& problem);

  const std::string& file() const { return file_; }
  int line() const { return line_; }  // 0 when the problem has no line
  const std::string& key() const { return key_; }

 private:
  std::string file_;
  int line_;
  std::string key_;
};

// What the host supplies for what a page file leaves out.
struct PageDefaults {
  // Connection string of the page's shared connection when the file names none; empty for
  // none, in which case each grid must name its own ConnectionString.
  std::string connection;
  std::string locale = "en-US";
};

// A parsed and checked page file. Immutable: one PageFile may render many requests at once,
// from any threads.
class KELVO_EXPORT PageFile final {
 public:
  // Reads and checks the file. Throws PageFileError (an unreadable file included).
  static std::shared_ptr<const PageFile> Load(const std::filesystem::path& path);
  // Checks page text; `source_name` stands for the file in messages. Throws PageFileError.
  static std::shared_ptr<const PageFile> Parse(std::string_view text, std::string_view source_name);

  explicit PageFile(std::unique_ptr<site::PagePlan> plan);
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;
  ~PageFile();

  const std::string& source_name() const;
  // The page's title; the file name without its extension when the file gives none.
  const std::string& title() const;
  // Whether a signed-in user of `role` may see the page, and write through its grids, as its
  // [roles] table says (by default every role sees and editors write).
  bool MaySee(std::string_view role) const;
  bool MayWrite(std::string_view role) const;
  // The locale the page asks for, else `defaults.locale`.
  std::string LocaleName(const PageDefaults& defaults) const;

  // Writes the page into the context's response: an HTML5 document with the title, the default
  // stylesheet, `before`, each grid in file order with its failures in a marked box, `after`.
  // Each call makes its own grids and, when the page has one, its own shared connection;
  // nothing outlives the call. A setter that refuses its value, or a database that cannot be
  // opened, leaves as Error whose description names the file, line and key; Response::End
  // leaves as PageEnded.
  void Render(const std::shared_ptr<ScriptingContext>& context, const PageDefaults& defaults) const;

 private:
  std::unique_ptr<site::PagePlan> plan_;
};

}  // namespace kelvo

#endif  // KELVO_PAGE_FILE_H_
