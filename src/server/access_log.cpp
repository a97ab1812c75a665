#include "server/access_log.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace kelvo::server {
namespace {

void AppendPrintable(std::string& line, std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '"' || c == '\\') {
      line += "\\x";
      line += kHex[byte >> 4];
      line += kHex[byte & 0xF];
    } else {
      line += c;
    }
  }
}

}  // namespace

std::string FormatAccessLine(const AccessRecord& record,
                             std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%d/%b/%Y:%H:%M:%S +0000", &utc);
  char elapsed[32];
  std::snprintf(elapsed, sizeof elapsed, "%.3fms",
                std::chrono::duration<double, std::milli>(record.elapsed).count());

  std::string line;
  line.reserve(96 + record.target.size());
  line += record.remote_addr.empty() ? std::string_view("-") : record.remote_addr;
  line += " - - [";
  line += stamp;
  line += "] \"";
  AppendPrintable(line, record.method);
  line += ' ';
  AppendPrintable(line, record.target);
  line += ' ';
  AppendPrintable(line, record.version);
  line += "\" ";
  line += std::to_string(record.status);
  line += ' ';
  line += std::to_string(record.bytes);
  line += ' ';
  line += elapsed;
  return line;
}

void WriteLogLine(std::string_view line) {
  // One write per line: stderr is unbuffered, so the newline alone would cost a second one.
  std::string whole;
  whole.reserve(line.size() + 1);
  whole += line;
  whole += '\n';
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  std::fwrite(whole.data(), 1, whole.size(), stderr);
  std::fflush(stderr);
}

}  // namespace kelvo::server
