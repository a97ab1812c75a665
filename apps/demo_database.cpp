#include "demo_database.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "kelvo/data.h"
#include "kelvo/error.h"

namespace kelvo::apps {
namespace {

// A small fixed-seed generator of its own, so the data never depend on the standard library's
// distributions.
class Random final {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // A whole number in [low, high].
  int Between(int low, int high) {
    return low + static_cast<int>(Next() % static_cast<std::uint64_t>(high - low + 1));
  }
  bool Chance(int percent) { return Between(1, 100) <= percent; }
  template <class T, std::size_t N>
  const T& Pick(const std::array<T, N>& items) {
    return items[Next() % N];
  }

 private:
  std::uint64_t state_;
};

constexpr std::array<std::string_view, 10> kCategories = {
    "Appliances", "Books",  "Coffee", "Garden", "Kitchen",
    "Outdoor",    "Pantry", "Tea",    "Tools",  "Toys"};
constexpr std::array<std::string_view, 10> kCategoryNotes = {
    "Small electric appliances for home and office",
    "Cookbooks, guides and field manuals",
    "Beans, ground coffee and brewing gear",
    "Seeds, planters and garden care",
    "Knives, pans, utensils and storage",
    "Camping, hiking and picnic equipment",
    "Oils, flours, spices and sweeteners",
    "Loose tea, tea bags and teaware",
    "Hand tools, power tools and hardware",
    "Games, puzzles and building sets"};
constexpr std::array<std::string_view, 12> kAdjectives = {
    "Classic", "Compact", "Deluxe", "Everyday", "Heritage", "Nordic",
    "Organic", "Pro",     "Rustic", "Smart",    "Travel",   "Ultra"};
constexpr std::array<std::string_view, 20> kNouns = {
    "Kettle",  "Grinder", "Notebook", "Planter", "Knife", "Lantern", "Blend",
    "Infuser", "Wrench",  "Puzzle",   "Toaster", "Atlas", "Press",   "Trowel",
    "Skillet", "Tent",    "Honey",    "Teapot",  "Drill", "Kite"};
constexpr std::array<std::string_view, 24> kFirstNames = {
    "Ada",   "Bjørn", "Carla", "Dmitri", "Elin",   "Farah", "Gustav", "Hanna",
    "Ivo",   "Jonas", "Kari",  "Liam",   "Maja",   "Nils",  "Olga",   "Pablo",
    "Quinn", "Rosa",  "Sven",  "Tuva",   "Ulrich", "Vera",  "Wen",    "Zoë"};
constexpr std::array<std::string_view, 20> kLastNames = {
    "Andersen", "Berg",     "Castillo", "Dahl",     "Eriksen",  "Fischer", "García",
    "Hansen",   "Ito",      "Johansen", "Kowalski", "Larsen",   "Müller",  "Nakamura",
    "O'Brien",  "Petersen", "Rossi",    "Schmidt",  "Svensson", "Weber"};
struct City {
  std::string_view name;
  std::string_view country;
};
constexpr std::array<City, 12> kCities = {{{"Oslo", "NO"},
                                           {"Bergen", "NO"},
                                           {"Trondheim", "NO"},
                                           {"Berlin", "DE"},
                                           {"München", "DE"},
                                           {"Hamburg", "DE"},
                                           {"London", "GB"},
                                           {"Leeds", "GB"},
                                           {"New York", "US"},
                                           {"Chicago", "US"},
                                           {"Austin", "US"},
                                           {"Seattle", "US"}}};
struct Status {
  std::string_view code;
  std::string_view label;
};
constexpr std::array<Status, 5> kStatuses = {{{"new", "New, not yet confirmed"},
                                              {"confirmed", "Confirmed"},
                                              {"shipped", "Shipped"},
                                              {"delivered", "Delivered"},
                                              {"cancelled", "Cancelled"}}};
constexpr std::array<std::string_view, 8> kComments = {
    "Leave the parcel with the neighbour if nobody is home.",
    "Gift wrap, please; the card should say \"Happy birthday!\"",
    "Customer called twice about the delivery date & asked for an e-mail when it ships.",
    "Deliver to the back entrance (loading dock B).",
    "Invoice to the company address, reference 4711.",
    "Replacement for an item that arrived damaged. The original order was refunded in full "
    "after the courier confirmed the damage; no return of the broken item is needed, and the "
    "customer has been promised priority handling and a follow-up call from the service desk "
    "within two working days of delivery.",
    "Fragile.",
    "Express shipping requested."};
constexpr std::array<std::string_view, 4> kLevels = {"DEBUG", "INFO", "WARN", "ERROR"};
constexpr std::array<std::string_view, 8> kSources = {"web.checkout", "web.search",  "api.orders",
                                                      "api.stock",    "worker.mail", "worker.sync",
                                                      "db.backup",    "auth.login"};
constexpr std::array<std::string_view, 8> kMessages = {"Request completed",
                                                       "Cache miss for product listing",
                                                       "Slow query on orders",
                                                       "Retrying after timeout",
                                                       "User signed in",
                                                       "Payment authorised",
                                                       "Stock level below reorder point",
                                                       "Nightly backup finished"};

std::string IsoDate(int days_since_2020) {
  static constexpr std::array<int, 12> kMonthDays = {31, 28, 31, 30, 31, 30,
                                                     31, 31, 30, 31, 30, 31};
  int year = 2020;
  int day = days_since_2020;
  for (;;) {
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    const int length = leap ? 366 : 365;
    if (day < length) break;
    day -= length;
    ++year;
  }
  int month = 0;
  for (;; ++month) {
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    const int length = kMonthDays[month] + (month == 1 && leap ? 1 : 0);
    if (day < length) break;
    day -= length;
  }
  char text[48];  // room for any int the format could print
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month + 1, day + 1);
  return text;
}

std::string IsoDateTime(int days_since_2020, int seconds_of_day) {
  char time[32];
  std::snprintf(time, sizeof time, " %02d:%02d:%02d", seconds_of_day / 3600,
                seconds_of_day / 60 % 60, seconds_of_day % 60);
  return IsoDate(days_since_2020) + time;
}

double Cents(int cents) { return cents / 100.0; }

constexpr std::string_view kSchema = R"sql(
CREATE TABLE categories (
  name VARCHAR(30) PRIMARY KEY,
  description VARCHAR(120) NOT NULL
);
CREATE TABLE products (
  id INTEGER PRIMARY KEY,
  name VARCHAR(60) NOT NULL,
  category VARCHAR(30) NOT NULL REFERENCES categories (name),
  price MONEY NOT NULL,
  in_stock BOOLEAN NOT NULL DEFAULT 1,
  added DATE NOT NULL,
  description TEXT
);
CREATE TABLE customers (
  id INTEGER PRIMARY KEY,
  name VARCHAR(60) NOT NULL,
  email VARCHAR(80),
  city VARCHAR(40) NOT NULL,
  country CHAR(2) NOT NULL,
  credit_limit MONEY,
  vip BOOLEAN NOT NULL DEFAULT 0,
  joined DATE NOT NULL,
  notes TEXT
);
CREATE TABLE order_status (
  code VARCHAR(12) PRIMARY KEY,
  label VARCHAR(40) NOT NULL
);
CREATE TABLE orders (
  id INTEGER PRIMARY KEY,
  customer_id INTEGER NOT NULL REFERENCES customers (id),
  product_id INTEGER NOT NULL REFERENCES products (id),
  quantity INTEGER NOT NULL,
  unit_price MONEY NOT NULL,
  total MONEY NOT NULL,
  status VARCHAR(12) NOT NULL REFERENCES order_status (code),
  ordered DATETIME NOT NULL,
  shipped DATE,
  paid BOOLEAN NOT NULL,
  comment TEXT
);
CREATE INDEX orders_customer ON orders (customer_id);
-- The Orders page lists the newest first: the index spares it sorting every order.
CREATE INDEX orders_ordered ON orders (ordered);
CREATE TABLE events (
  id INTEGER PRIMARY KEY,
  occurred DATETIME NOT NULL,
  level VARCHAR(8) NOT NULL,
  source VARCHAR(30) NOT NULL,
  message VARCHAR(200) NOT NULL,
  duration_ms INTEGER,
  success BOOLEAN NOT NULL
);
CREATE VIEW customer_totals AS
  SELECT c.id, c.name, c.city, COUNT(o.id) AS orders, SUM(o.total) AS spent
  FROM customers c LEFT JOIN orders o ON o.customer_id = c.id
  GROUP BY c.id, c.name, c.city;
)sql";

void Insert(Connection& db, std::string_view statement, const std::vector<Variant>& values) {
  db.Execute(statement, values);
}

// Collects rows of one table and writes them many to a statement, so that preparing the
// statement is paid once per batch rather than once per row.
class BatchInsert final {
 public:
  BatchInsert(Connection& db, std::string_view table, int columns)
      : db_(db), table_(table), columns_(columns) {}
  BatchInsert(const BatchInsert&) = delete;
  BatchInsert& operator=(const BatchInsert&) = delete;

  void Add(std::vector<Variant> row) {
    for (Variant& value : row) values_.push_back(std::move(value));
    if (++rows_ == kRows) Flush();
  }
  // Writes the rows still collected.
  void Flush() {
    if (rows_ == 0) return;
    std::string placeholders = "(";
    for (int i = 0; i < columns_; ++i) placeholders += i == 0 ? "?" : ", ?";
    placeholders += ")";
    std::string statement = "INSERT INTO " + table_ + " VALUES ";
    for (int i = 0; i < rows_; ++i) statement += (i == 0 ? "" : ", ") + placeholders;
    db_.Execute(statement, values_);
    values_.clear();
    rows_ = 0;
  }

 private:
  static constexpr int kRows = 250;

  Connection& db_;
  std::string table_;
  int columns_;
  int rows_ = 0;
  std::vector<Variant> values_;
};

void FillShop(Connection& db, Random& random) {
  for (std::size_t i = 0; i < kCategories.size(); ++i) {
    Insert(db, "INSERT INTO categories VALUES (?, ?)", {kCategories[i], kCategoryNotes[i]});
  }
  for (const Status& status : kStatuses) {
    Insert(db, "INSERT INTO order_status VALUES (?, ?)", {status.code, status.label});
  }
  std::vector<int> prices;
  int product = 0;
  for (std::string_view adjective : kAdjectives) {
    for (std::size_t noun = 0; noun < kNouns.size(); ++noun) {
      ++product;
      const int price = random.Between(199, 24999);
      prices.push_back(price);
      const std::string name = std::string(adjective) + " " + std::string(kNouns[noun]);
      Variant description = Variant::Null();
      if (!random.Chance(20)) {
        description = "The " + name + " is part of our " + std::string(kCategories[noun / 2]) +
                      " range. Made to last, easy to clean and covered by a two-year "
                      "warranty; see the care instructions in the box.";
      }
      Insert(db, "INSERT INTO products VALUES (?, ?, ?, ?, ?, ?, ?)",
             {std::int32_t{product}, name, kCategories[noun / 2], Cents(price), random.Chance(85),
              IsoDate(random.Between(0, 1400)), description});
    }
  }
  BatchInsert customers(db, "customers", 9);
  for (int customer = 1; customer <= kDemoCustomers; ++customer) {
    const std::string first(random.Pick(kFirstNames));
    const std::string last(random.Pick(kLastNames));
    const City& city = random.Pick(kCities);
    Variant email = Variant::Null();
    if (!random.Chance(10)) {
      std::string user = first + "." + last;
      for (char& c : user) {
        if (c == ' ' || c == '\'') c = '-';
      }
      email = user + std::to_string(customer) + "@example.com";
    }
    Variant credit =
        random.Chance(15) ? Variant::Null() : Variant(Cents(random.Between(5, 200) * 10000));
    Variant notes =
        random.Chance(70) ? Variant::Null() : Variant(std::string(random.Pick(kComments)));
    customers.Add({std::int32_t{customer}, first + " " + last, email, city.name, city.country,
                   credit, random.Chance(8), IsoDate(random.Between(0, 1800)), notes});
  }
  customers.Flush();
  BatchInsert orders(db, "orders", 11);
  for (int order = 1; order <= kDemoOrders; ++order) {
    const int product_id = random.Between(1, product);
    const int quantity = random.Chance(70) ? 1 : random.Between(2, 12);
    const int price = prices[product_id - 1];
    const int day = random.Between(365, 2190);
    const Status& status = random.Pick(kStatuses);
    const bool sent = status.code == "shipped" || status.code == "delivered";
    Variant shipped = sent ? Variant(IsoDate(day + random.Between(1, 6))) : Variant::Null();
    Variant comment =
        random.Chance(75) ? Variant::Null() : Variant(std::string(random.Pick(kComments)));
    orders.Add({std::int32_t{order}, std::int32_t{random.Between(1, kDemoCustomers)},
                std::int32_t{product_id}, std::int32_t{quantity}, Cents(price),
                Cents(price * quantity), status.code,
                IsoDateTime(day, random.Between(6 * 3600, 22 * 3600)), shipped,
                sent || random.Chance(30), comment});
  }
  orders.Flush();
}

void FillEvents(Connection& db, Random& random) {
  int seconds = 0;
  BatchInsert events(db, "events", 7);
  for (int event = 1; event <= kDemoEvents; ++event) {
    seconds += random.Between(1, 1200);
    const std::string_view level = random.Chance(70)   ? kLevels[1]
                                   : random.Chance(60) ? kLevels[0]
                                                       : random.Pick(kLevels);
    Variant duration =
        random.Chance(10) ? Variant::Null() : Variant(std::int32_t{random.Between(1, 5000)});
    events.Add({std::int32_t{event}, IsoDateTime(1461 + seconds / 86400, seconds % 86400), level,
                random.Pick(kSources), random.Pick(kMessages), duration, level != "ERROR"});
  }
  events.Flush();
}

}  // namespace

void CreateDemoDatabase(const std::filesystem::path& path) {
  const std::filesystem::path temporary = path.string() + ".part";
  std::filesystem::remove(temporary);
  try {
    Connection connection;
    connection.Open("sqlite:" + temporary.string() + "?mode=create");
    connection.Execute(kSchema);
    connection.BeginTrans();
    Random random(20261101);
    FillShop(connection, random);
    FillEvents(connection, random);
    connection.CommitTrans();
    connection.Close();
  } catch (...) {
    std::filesystem::remove(temporary);
    throw;
  }
  std::error_code failure;
  std::filesystem::rename(temporary, path, failure);
  if (failure) {
    throw Error(errc::kInvalidCall, "Cannot create " + path.string() + ": " + failure.message());
  }
}

}  // namespace kelvo::apps
