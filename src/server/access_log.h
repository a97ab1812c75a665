// One line per request on standard error, and the lines that report failures.
#ifndef KELVO_SERVER_ACCESS_LOG_H_
#define KELVO_SERVER_ACCESS_LOG_H_

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvo::server {

struct AccessRecord {
  std::string_view remote_addr;
  std::string_view method;
  std::string_view target;
  std::string_view version;
  int status = 0;
  std::uint64_t bytes = 0;
  std::chrono::steady_clock::duration elapsed{};
};

// `127.0.0.1 - - [01/Nov/2026:10:00:00 +0000] "GET /orders?x=1 HTTP/1.1" 200 5120 1.234ms`;
// control characters in the target are escaped so a request cannot forge log lines.
std::string FormatAccessLine(const AccessRecord& record,
                             std::chrono::system_clock::time_point when);

// Writes one whole line to standard error; lines from different threads never interleave.
void WriteLogLine(std::string_view line);

}  // namespace kelvo::server

#endif  // KELVO_SERVER_ACCESS_LOG_H_
