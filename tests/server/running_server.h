// A kelvo HTTP server on a free loopback port, running on its own thread for one test.
#ifndef KELVO_TESTS_SERVER_RUNNING_SERVER_H_
#define KELVO_TESTS_SERVER_RUNNING_SERVER_H_

#include <httplib.h>

#include <functional>
#include <memory>
#include <thread>
#include <utility>

#include "kelvo/http_server.h"

namespace kelvo::testing {

class RunningServer {
 public:
  explicit RunningServer(ServerOptions options,
                         const std::function<void(HttpServer&)>& setup = nullptr) {
    options.host = "127.0.0.1";
    options.port = 0;
    server_ = std::make_unique<HttpServer>(std::move(options));
    if (setup) setup(*server_);
    port_ = server_->Bind();
    thread_ = std::thread([this] { server_->Run(); });
  }
  ~RunningServer() { Stop(); }

  void Stop() {
    server_->Stop();
    if (thread_.joinable()) thread_.join();
  }

  httplib::Client Client() const {
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(30, 0);
    return client;
  }
  HttpServer& server() { return *server_; }
  int port() const { return port_; }

 private:
  std::unique_ptr<HttpServer> server_;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace kelvo::testing

#endif  // KELVO_TESTS_SERVER_RUNNING_SERVER_H_
