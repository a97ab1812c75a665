#include "cluster/serve_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <thread>

extern char** environ;

namespace kelvo::testing {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kStartLimit = std::chrono::seconds(20);
constexpr auto kStopLimit = std::chrono::seconds(10);

std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::string_view(*entry).rfind("KELVO_SECRET=", 0) != 0) entries.emplace_back(*entry);
  }
  entries.insert(entries.end(), extra.begin(), extra.end());
  return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

std::string Contents(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The port of the "... at http://HOST:PORT/ ..." line the server prints once it listens; 0
// when there is none.
int PortOf(std::string_view printed) {
  const std::size_t url = printed.find("at http://");
  if (url == std::string_view::npos) return 0;
  const std::size_t colon = printed.find(':', url + 10);
  if (colon == std::string_view::npos) return 0;
  int port = 0;
  for (std::size_t i = colon + 1; i < printed.size() && printed[i] >= '0' && printed[i] <= '9';
       ++i) {
    port = port * 10 + (printed[i] - '0');
  }
  return port;
}

// What the child prints up to its first line break, waiting no longer than the start limit.
std::string FirstLine(int output) {
  std::string printed;
  const Clock::time_point deadline = Clock::now() + kStartLimit;
  while (printed.find('\n') == std::string::npos) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd ready{output, POLLIN, 0};
    if (left <= 0 || ::poll(&ready, 1, static_cast<int>(left)) <= 0) break;
    char buffer[256];
    const ssize_t count = ::read(output, buffer, sizeof buffer);
    if (count <= 0) break;
    printed.append(buffer, static_cast<std::size_t>(count));
  }
  return printed;
}

}  // namespace

ServeProcess::ServeProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::vector<std::string>& environment,
                           const std::filesystem::path& log) {
  std::vector<std::string> arg_texts = {program, "serve"};
  arg_texts.insert(arg_texts.end(), args.begin(), args.end());
  std::vector<std::string> environment_texts = ChildEnvironment(environment);
  const std::vector<char*> argv = Pointers(arg_texts);
  const std::vector<char*> envp = Pointers(environment_texts);
  const std::string log_path = log.string();
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("Cannot make a pipe");
  pid_ = ::fork();
  if (pid_ == 0) {
    // Only async-signal-safe calls until exec. The server dies with the test even when the
    // test crashes.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    ::dup2(ends[1], STDOUT_FILENO);
    const int error_output = ::open(log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (error_output >= 0) ::dup2(error_output, STDERR_FILENO);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(ends[1]);
  output_ = ends[0];
  if (pid_ < 0) {
    Stop();
    throw std::runtime_error("Cannot start " + program);
  }
  const std::string printed = FirstLine(output_);
  port_ = PortOf(printed);
  if (port_ == 0) {
    Stop();
    throw std::runtime_error("kelvo serve did not start within 20 s; it printed '" + printed +
                             "' and logged '" + Contents(log) + "'");
  }
}

ServeProcess::~ServeProcess() { Stop(); }

// SIGTERM lets requests in flight finish; one that hangs past the limit is ended by SIGKILL.
void ServeProcess::Stop() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    const Clock::time_point deadline = Clock::now() + kStopLimit;
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (Clock::now() >= deadline) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  pid_ = -1;
  if (output_ >= 0) ::close(output_);
  output_ = -1;
}

}  // namespace kelvo::testing
