#include "server/access_log.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <mutex>

#include "host/append.h"
#include "host/byte_scan.h"

namespace kelvo::server {
namespace {

bool NeedsEscape(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F || c == '"' || c == '\\';
}

// Where the first byte from `from` on that needs escaping is, or the text's size.
std::size_t NextToEscape(std::string_view text, std::size_t from) {
  return host::FindSpecial(
      text, from,
      [](std::uint64_t word) {
        return host::SomeByteBelow(word, 0x20) || host::SomeByteIs(word, 0x7F) ||
               host::SomeByteIs(word, '"') || host::SomeByteIs(word, '\\');
      },
      NeedsEscape);
}

// Runs of plain bytes are appended whole.
void AppendPrintable(std::string& line, std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::size_t plain = 0;
  for (std::size_t i = NextToEscape(text, 0); i < text.size(); i = NextToEscape(text, i + 1)) {
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
  const long long fraction = micros % 1000;
  const char fraction_digits[] = {static_cast<char>('0' + fraction / 100),
                                  static_cast<char>('0' + fraction / 10 % 10),
                                  static_cast<char>('0' + fraction % 10)};

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
  line += host::DecimalText(record.status);
  line += ' ';
  line += host::DecimalText(record.bytes);
  line += ' ';
  line += host::DecimalText(micros / 1000);
  line += '.';
  line.append(fraction_digits, sizeof fraction_digits);
  line += "ms";
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
