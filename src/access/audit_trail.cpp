#include "access/audit_trail.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <utility>

#include "kelvo/error.h"

namespace kelvo::access {
namespace {

// A JSON string; bytes that are not valid UTF-8 pass as they are (the database's text).
std::string Json(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\t':
        quoted += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          quoted += escaped;
        } else {
          quoted += c;
        }
    }
  }
  return quoted + "\"";
}

std::string JsonOrNull(const std::optional<std::string>& text) {
  return text ? Json(*text) : "null";
}

std::string UtcNow() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                static_cast<int>(millis));
  return text;
}

class Journal final : public WriteJournal {
 public:
  Journal(std::shared_ptr<AuditTrail> trail, std::string user, std::string address,
          std::string page)
      : trail_(std::move(trail)),
        user_(std::move(user)),
        address_(std::move(address)),
        page_(std::move(page)) {}

  void Record(const WriteRecord& write) override {
    trail_->Append(write, user_, address_, page_);
  }

 private:
  std::shared_ptr<AuditTrail> trail_;
  std::string user_;
  std::string address_;
  std::string page_;
};

}  // namespace

AuditTrail::AuditTrail(const std::filesystem::path& path, bool with_values)
    : path_(path.string()), with_values_(with_values) {
  fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    throw Error(errc::kInvalidCall,
                "Cannot open the audit trail " + path_ + ": " + std::strerror(errno));
  }
}

AuditTrail::~AuditTrail() { ::close(fd_); }

void AuditTrail::Append(const WriteRecord& write, const std::string& user,
                        const std::string& address, const std::string& page) {
  std::string line = "{\"time\":\"" + UtcNow() + "\",\"user\":" +
                     (user.empty() ? std::string("null") : Json(user)) +
                     ",\"address\":" + Json(address) + ",\"page\":" + Json(page) +
                     ",\"action\":" + Json(write.action) + ",\"table\":" + Json(write.table) +
                     ",\"key\":{";
  for (std::size_t i = 0; i < write.key.size(); ++i) {
    line += (i ? "," : "") + Json(write.key[i].first) + ":" + Json(write.key[i].second);
  }
  line += "},\"outcome\":\"";
  line += write.succeeded ? "written\"" : "failed\",\"reason\":" + Json(write.failure);
  if (with_values_) {
    line += ",\"changes\":{";
    for (std::size_t i = 0; i < write.changes.size(); ++i) {
      const WriteRecord::Change& change = write.changes[i];
      line += (i ? "," : "") + Json(change.field) + ":{\"old\":" + JsonOrNull(change.old_value) +
              ",\"new\":" + JsonOrNull(change.new_value) + "}";
    }
    line += "}";
  } else {
    line += ",\"changes\":[";
    for (std::size_t i = 0; i < write.changes.size(); ++i) {
      line += (i ? "," : "") + Json(write.changes[i].field);
    }
    line += "]";
  }
  line += "}\n";
  // O_APPEND puts each write at the end as one piece.
  const ssize_t written = ::write(fd_, line.data(), line.size());
  if (written != static_cast<ssize_t>(line.size())) {
    throw Error(errc::kInvalidCall, "Cannot write the audit trail " + path_ + ": " +
                                        (written < 0 ? std::strerror(errno) : "short write"));
  }
  // On disk before the page answers: a crash after the answer loses no line of the trail.
  if (::fdatasync(fd_) != 0) {
    throw Error(errc::kInvalidCall,
                "Cannot write the audit trail " + path_ + ": " + std::strerror(errno));
  }
}

std::shared_ptr<WriteJournal> RequestJournal(std::shared_ptr<AuditTrail> trail, std::string user,
                                             std::string address, std::string page) {
  return std::make_shared<Journal>(std::move(trail), std::move(user), std::move(address),
                                   std::move(page));
}

}  // namespace kelvo::access
