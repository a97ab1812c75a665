// The demo database that `kelvo serve` makes when it runs without arguments.
#ifndef KELVO_APPS_DEMO_DATABASE_H_
#define KELVO_APPS_DEMO_DATABASE_H_

#include <filesystem>

namespace kelvo::apps {

// Row counts of the generated tables.
inline constexpr int kDemoCustomers = 1'500;
inline constexpr int kDemoOrders = 12'000;
inline constexpr int kDemoEvents = 100'000;

// Writes the demo database to `path`: a shop (categories, products, customers, order statuses
// and orders) and an event log of 100,000 rows, the same bytes of data on every run. Builds it
// under a temporary name in one transaction and renames it, so a failure leaves no half-made
// file. Throws kelvo::Error.
void CreateDemoDatabase(const std::filesystem::path& path);

}  // namespace kelvo::apps

#endif  // KELVO_APPS_DEMO_DATABASE_H_
