// The audit trail of `kelvo serve --audit FILE`: one JSON line per write, appended with one
// write(2) so that lines of concurrent pages never interleave, and in the file before the
// page that made the write answers. Thread-safe.
//
//   {"time":"2026-12-08T20:55:01.123Z","user":"ann","address":"10.0.0.7","page":"/table/people",
//    "action":"save","table":"people","key":{"id":"1"},"outcome":"written",
//    "changes":{"name":{"old":"Ann","new":"Anna"}}}
//
// A failed write has "outcome":"failed" and its "reason". Without values, "changes" lists
// the changed fields' names only.
#ifndef KELVO_ACCESS_AUDIT_TRAIL_H_
#define KELVO_ACCESS_AUDIT_TRAIL_H_

#include <filesystem>
#include <memory>
#include <string>

#include "kelvo/host.h"

namespace kelvo::access {

class AuditTrail {
 public:
  // Opens the file for appending (created with mode 600); throws Error when it cannot.
  AuditTrail(const std::filesystem::path& path, bool with_values);
  AuditTrail(const AuditTrail&) = delete;
  AuditTrail& operator=(const AuditTrail&) = delete;
  ~AuditTrail();

  // Throws Error when the line cannot be written whole.
  void Append(const WriteRecord& write, const std::string& user, const std::string& address,
              const std::string& page);

 private:
  std::string path_;
  bool with_values_;
  int fd_ = -1;
};

// The journal of one request, recording into `trail` as `user` from `address` on `page`.
std::shared_ptr<WriteJournal> RequestJournal(std::shared_ptr<AuditTrail> trail, std::string user,
                                             std::string address, std::string page);

}  // namespace kelvo::access

#endif  // KELVO_ACCESS_AUDIT_TRAIL_H_
