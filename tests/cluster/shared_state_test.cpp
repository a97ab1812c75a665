// What one server renders, the other reads: identical pages for identical requests, and the
// signed state of a page (its statement, the edit form's record hash) accepted by any server
// that shares the secret and refused, visibly and without writing, by one that does not.
#include <latch>
#include <thread>

#include "cluster/cluster_fixture.h"

namespace kelvo::testing {
namespace {

using SharedStateTest = ClusterTest;

constexpr std::string_view kBadSignature = "The posted statement was ignored";

// The href of the first link in `page` whose target contains `part`, as the browser reads it.
std::string LinkWith(const std::string& page, std::string_view part) {
  const std::size_t at = page.find(part);
  if (at == std::string::npos) return "";
  const std::size_t start = page.rfind("href=\"", at) + 6;
  return page.substr(start, page.find('"', start) - start);
}

TEST_F(SharedStateTest, BothServersAnswerTheSameRequestsWithTheSameBytes) {
  const std::vector<std::string> targets = {
      "/items", "/items?Vexmo1CurrRecord=21&Vexmo1maxrecords=10&Vexmo1OrderByFields=1",
      "/items?Vexmo1CurrRecord=41&Vexmo1maxrecords=10&Vexmo1OrderByFields=2&"
      "Vexmo1OrderByDesc=True",
      "/items?Vexmo1FormDisplay=formOneRec&Vexmo1CurrRecord=5&Vexmo1OrderByFields=3", "/codes"};
  std::vector<std::string> expected;
  for (const std::string& target : targets) {
    const Reply reply = Get(a_->port(), target);
    ASSERT_EQ(reply.status, 200) << target << ": " << reply.body;
    EXPECT_EQ(reply.body.find("KelvoError"), std::string::npos) << reply.body;
    expected.push_back(reply.body);
  }
  // Four clients at once, each asking both servers for every page several times.
  constexpr int kClients = 4;
  constexpr int kRounds = 6;
  std::vector<std::vector<std::string>> mismatches(kClients);
  std::latch start(kClients);
  std::vector<std::thread> clients;
  for (int client = 0; client < kClients; ++client) {
    clients.emplace_back([&, client] {
      start.arrive_and_wait();
      for (int round = 0; round < kRounds; ++round) {
        for (std::size_t i = 0; i < targets.size(); ++i) {
          const int port =
              (client + round + static_cast<int>(i)) % 2 == 0 ? a_->port() : b_->port();
          const Reply reply = Get(port, targets[i]);
          if (reply.status != 200 || reply.body != expected[i]) {
            mismatches[client].push_back(targets[i] + " from port " + std::to_string(port) +
                                         ": status " + std::to_string(reply.status));
          }
        }
      }
    });
  }
  for (std::thread& client : clients) client.join();
  for (const auto& found : mismatches) EXPECT_EQ(found, std::vector<std::string>{});
}

TEST_F(SharedStateTest, APageFromOneServerPostsBackToTheOther) {
  const std::string first = Get(a_->port(), "/items").body;
  ASSERT_NE(first.find("Vexmo1SQLSignature"), std::string::npos) << first;

  // The next page, posted from A's form to B, as a load balancer may route it.
  const Reply next = Post(b_->port(), "/items", ImagePressed(first, "Vexmo1NEXT"));
  ASSERT_EQ(next.status, 200);
  EXPECT_EQ(next.body.find(kBadSignature), std::string::npos) << next.body;
  EXPECT_NE(next.body.find("Record (11..20) of 45"), std::string::npos) << next.body;
  EXPECT_NE(
      next.body.find(">" + Query("SELECT name FROM cluster_item WHERE id = 11")[0][0] + "</td>"),
      std::string::npos);
  EXPECT_EQ(next.body, Post(a_->port(), "/items", ImagePressed(first, "Vexmo1NEXT")).body);

  // Sorting by name through A's header link, followed on B; then B's next page on A.
  const std::string sort_link = LinkWith(first, "Vexmo1OrderByFields=2");
  ASSERT_FALSE(sort_link.empty());
  const Reply sorted = Get(b_->port(), sort_link);
  EXPECT_EQ(sorted.body.find(kBadSignature), std::string::npos) << sorted.body;
  const Rows by_name = Query("SELECT name FROM cluster_item ORDER BY name");
  std::size_t at = 0;
  for (int i = 0; i < 10; ++i) {
    at = sorted.body.find(">" + by_name[static_cast<std::size_t>(i)][0] + "</td>", at);
    EXPECT_NE(at, std::string::npos) << "row " << i + 1 << " of the sorted page";
  }
  const Reply sorted_next = Post(a_->port(), "/items", ImagePressed(sorted.body, "Vexmo1NEXT"));
  EXPECT_EQ(sorted_next.body.find(kBadSignature), std::string::npos) << sorted_next.body;
  EXPECT_NE(sorted_next.body.find(">" + by_name[10][0] + "</td>"), std::string::npos);
  EXPECT_EQ(sorted_next.body.find(">" + by_name[9][0] + "</td>"), std::string::npos);
}

TEST_F(SharedStateTest, AServerWithAnotherSecretRefusesTheOthersStateAndWritesNothing) {
  const std::unique_ptr<ServeProcess> other = StartServer("a-different-secret-0123456789");
  const Rows before = Query("SELECT * FROM cluster_item ORDER BY id");

  const std::string first = Get(a_->port(), "/items").body;
  const Reply next = Post(other->port(), "/items", ImagePressed(first, "Vexmo1NEXT"));
  EXPECT_NE(next.body.find(kBadSignature), std::string::npos) << next.body;

  // An edit form from A saved through the other server, and one of the other's through B.
  BrowserForm from_a(EditForm(a_->port(), 7));
  from_a.Set("Vexmo1_Form_name", "forged on other");
  const Reply saved_elsewhere = Post(other->port(), "/items", Pressed(from_a, "Vexmo1FormUpdate"));
  EXPECT_TRUE(SaysNotSaved(saved_elsewhere.body)) << saved_elsewhere.body;
  EXPECT_NE(saved_elsewhere.body.find("made by another server or an earlier run"),
            std::string::npos);
  EXPECT_FALSE(SaysSaved(saved_elsewhere.body));

  BrowserForm from_other(EditForm(other->port(), 8));
  from_other.Set("Vexmo1_Form_qty", "1234");
  const Reply saved_on_b = Post(b_->port(), "/items", Pressed(from_other, "Vexmo1FormUpdate"));
  EXPECT_TRUE(SaysNotSaved(saved_on_b.body)) << saved_on_b.body;
  EXPECT_FALSE(SaysSaved(saved_on_b.body));

  EXPECT_EQ(Query("SELECT * FROM cluster_item ORDER BY id"), before);
  // The same forms, saved where their secret is known, do save.
  EXPECT_TRUE(SaysSaved(Post(b_->port(), "/items", Pressed(from_a, "Vexmo1FormUpdate")).body));
  EXPECT_TRUE(
      SaysSaved(Post(other->port(), "/items", Pressed(from_other, "Vexmo1FormUpdate")).body));
  EXPECT_EQ(Query("SELECT name, qty::text FROM cluster_item WHERE id IN (7, 8) ORDER BY id"),
            (Rows{{"forged on other", before[6][2]}, {before[7][1], "1234"}}));
}

}  // namespace
}  // namespace kelvo::testing
