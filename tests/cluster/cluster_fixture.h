// Two `kelvo serve` processes over one PostgreSQL schema of their own, as a site runs them
// behind a load balancer: server A reads the signing secret from a 0600 file, server B from
// KELVO_SECRET, both the same. Their pages list and edit cluster_item (a serial key, 45 rows,
// 10 a page, its statement signed into the page) and cluster_code (a key the user types, empty).
// Each server writes its audit trail to a file of its own.
// Without KELVO_TEST_POSTGRES the tests skip.
#ifndef KELVO_TESTS_CLUSTER_CLUSTER_FIXTURE_H_
#define KELVO_TESTS_CLUSTER_CLUSTER_FIXTURE_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cluster/serve_process.h"
#include "edit/browser_form.h"
#include "support/temp_dir.h"

namespace kelvo::testing {

struct Reply {
  int status = 0;  // 0 when no response came; `body` then says why
  std::string body;
};

using Rows = std::vector<std::vector<std::string>>;

// What a page says about the write its request asked for.
bool SaysSaved(const std::string& page);
bool SaysNotSaved(const std::string& page);
// The body a browser posts when the submit button `button` of `form` is pressed; the edit
// form's own script first empties FormEdit, so that the press is not read as another "open
// for editing".
std::string Pressed(BrowserForm form, const std::string& button);
// The body a browser posts when the image button `image` of the page's form is pressed: the
// form's hidden fields and the click's position.
std::string ImagePressed(const std::string& page, const std::string& image);

class ClusterTest : public ::testing::Test {
 protected:
  static constexpr int kItems = 45;
  static constexpr const char* kSecret = "cluster-test-secret-0123456789";

  void SetUp() override;
  void TearDown() override;

  // One request to the server listening on `port`, within a 15 s timeout.
  static Reply Get(int port, const std::string& target);
  static Reply Post(int port, const std::string& target, const std::string& body);

  // The edit form of the `number`th record of cluster_item in key order (its id, while the
  // rows are those SetUp made), as the record view's Edit button opens it.
  static std::string EditForm(int port, int number);
  // The add form of the page `page`.
  static std::string AddForm(int port, const std::string& page);

  // The audit lines both servers wrote since the last call, the files then emptied.
  std::vector<std::string> TakeAuditLines();

  // One more server over the same database and pages, signing with `secret`, writing its
  // audit trail beside the others.
  std::unique_ptr<ServeProcess> StartServer(const std::string& secret);

  void Execute(const std::string& sql);
  // The rows of `query`, each value as text, "NULL" for null.
  Rows Query(const std::string& query);

  std::string database_;
  TempDir dir_;
  std::vector<std::filesystem::path> audits_;
  std::unique_ptr<ServeProcess> a_;
  std::unique_ptr<ServeProcess> b_;
};

}  // namespace kelvo::testing

#endif  // KELVO_TESTS_CLUSTER_CLUSTER_FIXTURE_H_
