// A `kelvo serve` child process for one test: started with its own arguments and environment,
// its port read from the URL it prints, and always stopped when the object goes away, so that
// a failing test never leaves a server behind.
#ifndef KELVO_TESTS_CLUSTER_SERVE_PROCESS_H_
#define KELVO_TESTS_CLUSTER_SERVE_PROCESS_H_

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kelvo::testing {

class ServeProcess final {
 public:
  // Runs `program serve ARGS...` with the test's environment less KELVO_SECRET, plus
  // `environment` ("NAME=value" entries); its standard error goes to `log`. Throws when it
  // does not print its URL within 20 seconds, with what it wrote to `log`.
  ServeProcess(const std::string& program, const std::vector<std::string>& args,
               const std::vector<std::string>& environment, const std::filesystem::path& log);
  ~ServeProcess();
  ServeProcess(const ServeProcess&) = delete;
  ServeProcess& operator=(const ServeProcess&) = delete;

  int port() const { return port_; }

 private:
  void Stop();

  pid_t pid_ = -1;
  int output_ = -1;
  int port_ = 0;
};

}  // namespace kelvo::testing

#endif  // KELVO_TESTS_CLUSTER_SERVE_PROCESS_H_
