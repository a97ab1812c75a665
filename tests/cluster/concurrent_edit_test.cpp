// Writes through both servers at once: saves of one record from edit forms of the same
// version, and inserts with a serial key and with a key the user types. Every row stays whole,
// every write either happens or says plainly that it did not, and nothing else changes.
#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <latch>
#include <optional>
#include <thread>

#include "cluster/cluster_fixture.h"
#include "kelvo/data.h"

namespace kelvo::testing {
namespace {

using namespace std::chrono_literals;

constexpr std::array<const char*, 4> kFields = {"name", "qty", "price", "note"};
using Record = std::array<std::string, 4>;
// What one save types into the edit form: a new value for some of the fields.
using Change = std::array<std::optional<std::string>, 4>;

constexpr std::string_view kChangedByOther = "It was changed by another user.";

class ConcurrentEditTest : public ClusterTest {
 protected:
  Record Item(int id) {
    const Rows rows =
        Query("SELECT name, qty::text, price::text, note FROM cluster_item WHERE id = " +
              std::to_string(id));
    EXPECT_EQ(rows.size(), 1u);
    Record record;
    for (std::size_t i = 0; i < record.size() && !rows.empty(); ++i) record[i] = rows[0][i];
    return record;
  }

  // Every row but `id`, whole.
  Rows OtherItems(int id) {
    return Query("SELECT * FROM cluster_item WHERE id <> " + std::to_string(id) + " ORDER BY id");
  }

  // The body that saves `change` through the edit form `page`.
  static std::string SaveBody(const std::string& page, const Change& change) {
    BrowserForm form(page);
    for (std::size_t i = 0; i < change.size(); ++i) {
      if (change[i]) form.Set(std::string("Vexmo1_Form_") + kFields[i], *change[i]);
    }
    return Pressed(form, "Vexmo1FormUpdate");
  }

  // Posts every body to its server at the same moment; the replies in the same order.
  static std::vector<Reply> PostAtOnce(const std::vector<std::pair<int, std::string>>& posts,
                                       const std::string& target) {
    std::vector<Reply> replies(posts.size());
    std::latch start(static_cast<std::ptrdiff_t>(posts.size()));
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < posts.size(); ++i) {
      threads.emplace_back([&, i] {
        start.arrive_and_wait();
        replies[i] = Post(posts[i].first, target, posts[i].second);
      });
    }
    for (std::thread& thread : threads) thread.join();
    return replies;
  }

  // Waits, up to 10 s, until `count` statements on cluster_item wait for a row lock.
  bool AwaitLockWaiters(int count) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
      const Rows waiting = Query(
          "SELECT count(*)::text FROM pg_stat_activity WHERE wait_event_type = 'Lock' AND "
          "datname = current_database() AND query LIKE '%cluster_item%' AND "
          "pid <> pg_backend_pid()");
      if (std::stoi(waiting[0][0]) >= count) return true;
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }
};

Record Applied(Record record, const Change& change) {
  for (std::size_t i = 0; i < record.size(); ++i) {
    if (change[i]) record[i] = *change[i];
  }
  return record;
}

std::size_t CountWith(const std::vector<std::string>& lines, std::string_view part) {
  return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const auto& line) {
    return line.find(part) != std::string::npos;
  }));
}

// Checks one round of saves from forms of the same version of a record: each reply says
// saved or refused, at most one is saved, and the record is that save's whole or unchanged.
// The audit trail agrees: one line per save of the record, "written" with the new values for
// the saved one, "failed" for the others.
void ExpectOneWholeSave(const std::vector<Reply>& replies, const std::vector<Change>& changes,
                        const Record& original, const Record& now,
                        const std::vector<std::string>& audit, int id) {
  std::optional<std::size_t> winner;
  for (std::size_t i = 0; i < replies.size(); ++i) {
    const bool saved = SaysSaved(replies[i].body);
    EXPECT_NE(saved, SaysNotSaved(replies[i].body)) << "save " << i << ": " << replies[i].body;
    if (!saved) continue;
    EXPECT_FALSE(winner) << "saves " << *winner << " and " << i
                         << " of the same version both said they were saved";
    winner = i;
  }
  EXPECT_EQ(now, winner ? Applied(original, changes[*winner]) : original);

  const std::string key = "\"key\":{\"id\":\"" + std::to_string(id) + "\"}";
  EXPECT_EQ(CountWith(audit, key), replies.size());
  std::vector<std::string> written;
  for (const std::string& line : audit) {
    if (line.find("\"outcome\":\"written\"") != std::string::npos) written.push_back(line);
  }
  ASSERT_EQ(written.size(), winner ? 1u : 0u);
  EXPECT_EQ(CountWith(audit, "\"outcome\":\"failed\""), replies.size() - written.size());
  if (!winner) return;
  // The text and whole-number fields, as the database holds them.
  for (const std::size_t field : {0u, 1u, 3u}) {
    if (!changes[*winner][field]) continue;
    const std::string old_value =
        original[field] == "NULL" ? "null" : "\"" + original[field] + "\"";
    EXPECT_NE(written[0].find("\"" + std::string(kFields[field]) + "\":{\"old\":" + old_value +
                              ",\"new\":\"" + *changes[*winner][field] + "\"}"),
              std::string::npos)
        << written[0];
  }
}

TEST_F(ConcurrentEditTest, TwoSavesThatMeetAtTheRowLeaveOneWholeSave) {
  constexpr int kId = 7;
  const Record original = Item(kId);
  const Rows others = OtherItems(kId);
  const std::vector<Change> changes = {
      Change{"renamed on A", std::nullopt, std::nullopt, std::nullopt},
      Change{std::nullopt, "99", std::nullopt, std::nullopt}};
  const std::vector<std::pair<int, std::string>> posts = {
      {a_->port(), SaveBody(EditForm(a_->port(), kId), changes[0])},
      {b_->port(), SaveBody(EditForm(b_->port(), kId), changes[1])}};

  // Holding the row makes both saves read it, and pass their hash check, before either
  // writes: the moment a check done only on reading misses.
  Connection holder;
  holder.Open(database_);
  holder.BeginTrans();
  holder.Execute("UPDATE cluster_item SET id = id WHERE id = " + std::to_string(kId));
  std::vector<Reply> replies;
  std::thread saves([&] { replies = PostAtOnce(posts, "/items"); });
  const bool both_waited = AwaitLockWaiters(2);
  holder.RollbackTrans();
  saves.join();
  EXPECT_TRUE(both_waited) << "the saves never reached the held row";

  ExpectOneWholeSave(replies, changes, original, Item(kId), TakeAuditLines(), kId);
  const int refused = SaysSaved(replies[0].body) ? 1 : 0;
  EXPECT_NE(replies[static_cast<std::size_t>(refused)].body.find(kChangedByOther),
            std::string::npos);
  EXPECT_EQ(OtherItems(kId), others);
}

TEST_F(ConcurrentEditTest, RoundsOfSavesThroughBothServersLeaveWholeRecords) {
  constexpr int kRounds = 8;
  const Rows all_before = Query("SELECT count(*)::text FROM cluster_item");
  for (int round = 0; round < kRounds; ++round) {
    const int id = 10 + round % 3;
    const Record original = Item(id);
    const Rows others = OtherItems(id);
    const std::string tag = "r" + std::to_string(round);
    // Overlapping and disjoint sets of fields, each value unique to its save.
    const std::vector<Change> changes = {
        Change{tag + " name", std::nullopt, std::nullopt, std::nullopt},
        Change{std::nullopt, std::to_string(100 + round), std::nullopt, std::nullopt},
        Change{std::nullopt, std::nullopt, std::to_string(round) + ".75", tag + " note"},
        Change{tag + " all", std::to_string(200 + round), std::to_string(round) + ".25",
               tag + " all note"}};
    std::vector<std::pair<int, std::string>> posts;
    for (std::size_t i = 0; i < changes.size(); ++i) {
      // Forms come from one server and go to the other, half of them each way.
      const bool from_a = (i + static_cast<std::size_t>(round)) % 2 == 0;
      const std::string form = EditForm(from_a ? a_->port() : b_->port(), id);
      posts.emplace_back(from_a ? b_->port() : a_->port(), SaveBody(form, changes[i]));
    }
    const std::vector<Reply> replies = PostAtOnce(posts, "/items");
    SCOPED_TRACE("round " + std::to_string(round));
    ExpectOneWholeSave(replies, changes, original, Item(id), TakeAuditLines(), id);
    EXPECT_EQ(OtherItems(id), others);
  }
  EXPECT_EQ(Query("SELECT count(*)::text FROM cluster_item"), all_before);
}

TEST_F(ConcurrentEditTest, InsertsThroughBothServersAtOnceGetDistinctSerialKeys) {
  constexpr int kClients = 4;
  constexpr int kInserts = 6;
  std::vector<std::vector<std::string>> saved(kClients);
  std::vector<std::vector<std::string>> unclear(kClients);
  std::latch start(kClients);
  std::vector<std::thread> clients;
  for (int client = 0; client < kClients; ++client) {
    clients.emplace_back([&, client] {
      start.arrive_and_wait();
      for (int i = 0; i < kInserts; ++i) {
        const bool from_a = (client + i) % 2 == 0;
        BrowserForm form(AddForm(from_a ? a_->port() : b_->port(), "items"));
        const std::string name = "added " + std::to_string(client) + "." + std::to_string(i);
        form.Set("Vexmo1_Form_name", name);
        form.Set("Vexmo1_Form_qty", std::to_string(client * 100 + i));
        const Reply reply =
            Post(from_a ? b_->port() : a_->port(), "/items", Pressed(form, "Vexmo1FormUpdate"));
        if (SaysSaved(reply.body) && !SaysNotSaved(reply.body)) {
          saved[client].push_back(name);
        } else {
          unclear[client].push_back(name + ": " + reply.body);
        }
      }
    });
  }
  for (std::thread& client : clients) client.join();

  // A serial key leaves no reason for an insert to fail.
  for (const auto& failures : unclear) EXPECT_EQ(failures, std::vector<std::string>{});
  std::size_t inserted = 0;
  for (int client = 0; client < kClients; ++client) {
    for (std::size_t i = 0; i < saved[client].size(); ++i) {
      ++inserted;
      EXPECT_EQ(Query("SELECT qty::text FROM cluster_item WHERE name = '" + saved[client][i] + "'"),
                (Rows{{std::to_string(client * 100 + static_cast<int>(i))}}));
    }
  }
  EXPECT_EQ(Query("SELECT count(*)::text, count(DISTINCT id)::text FROM cluster_item"),
            (Rows{{std::to_string(kItems + inserted), std::to_string(kItems + inserted)}}));
  // Each insert has its line, with the key the database gave it.
  const std::vector<std::string> audit = TakeAuditLines();
  EXPECT_EQ(CountWith(audit, "\"action\":\"insert\""), inserted);
  for (const auto& row : Query("SELECT id::text, name FROM cluster_item WHERE name LIKE 'added %'")) {
    EXPECT_EQ(CountWith(audit, "\"key\":{\"id\":\"" + row[0] + "\"},\"outcome\":\"written\","
                               "\"changes\":{\"name\":{\"old\":null,\"new\":\"" + row[1] + "\"}"),
              1u)
        << row[1];
  }
}

TEST_F(ConcurrentEditTest, TwoInsertsOfTheSameTypedKeyKeepTheFirstWholeAndRefuseTheOther) {
  constexpr int kKeys = 6;
  for (int key = 0; key < kKeys; ++key) {
    const std::string code = "K" + std::to_string(key);
    std::vector<std::pair<int, std::string>> posts;
    for (const int port : {a_->port(), b_->port()}) {
      BrowserForm form(AddForm(port == a_->port() ? b_->port() : a_->port(), "codes"));
      form.Set("Vexmo1_Form_code", code);
      form.Set("Vexmo1_Form_label", "through " + std::to_string(port));
      posts.emplace_back(port, Pressed(form, "Vexmo1FormUpdate"));
    }
    const std::vector<Reply> replies = PostAtOnce(posts, "/codes");
    SCOPED_TRACE(code);
    std::vector<std::string> labels;
    for (std::size_t i = 0; i < replies.size(); ++i) {
      const bool saved = SaysSaved(replies[i].body);
      EXPECT_NE(saved, SaysNotSaved(replies[i].body)) << replies[i].body;
      if (saved) labels.push_back("through " + std::to_string(posts[i].first));
    }
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(Query("SELECT label FROM cluster_code WHERE code = '" + code + "'"),
              (Rows{{labels[0]}}));
  }
  EXPECT_EQ(Query("SELECT count(*)::text FROM cluster_code"), (Rows{{std::to_string(kKeys)}}));
}

}  // namespace
}  // namespace kelvo::testing
