#include "server/access_log.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace kelvo::server {
namespace {

bool NeedsEscape(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F || c == '"' || c == '\\';
}

// Runs of plain bytes are appended whole: a target is mostly plain, and its bytes one by one
// cost more than the rest of the line.
void AppendPrintable(std::string& line, std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::size_t plain = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!NeedsEscape(text[i])) continue;
    line.append(text.data() + plain, i - plain);
    const auto byte = static_cast<unsigned char>(text[i]);
    line += "\\x";
    line += kHex[byte >> 4];
    line += kHex[byte & 0xF];
    plain = i + 1;
  }
  line.append(text.data() + plain, text.size() - plain);
}

// The time stamp of a second, made once per second on each thread.
std::string_view StampOf(std::time_t seconds) {
  thread_local std::time_t stamped = -1;
  thread_local char stamp[32];
  thread_local std::size_t length = 0;
  if (seconds != stamped) {
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    length = std::strftime(stamp, sizeof stamp, "%d/%b/%Y:%H:%M:%S +0000", &utc);
    stamped = seconds;
  }
  return {stamp, length};
}

}  // namespace

std::string FormatAccessLine(const AccessRecord& record,
                             std::chrono::system_clock::time_point when) {
  // Milliseconds to the nearest microsecond, in whole numbers: formatting a double cost more.
  const long long micros =
      (std::chrono::duration_cast<std::chrono::nanoseconds>(record.elapsed).count() + 500) / 1000;
  char elapsed[32];
  std::snprintf(elapsed, sizeof elapsed, "%lld.%03lldms", micros / 1000, micros % 1000);

  std::string line;
  line.reserve(96 + record.target.size());
  line += record.remote_addr.empty() ? std::string_view("-") : record.remote_addr;
  line += " - - [";
  line += StampOf(std::chrono::system_clock::to_time_t(when));
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
