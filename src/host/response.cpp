#include <algorithm>
#include <atomic>
#include <string>
#include <string_view>

#include "host/ascii_case.h"
#include "host/header_field.h"
#include "kelvo/error.h"
#include "kelvo/host.h"

namespace kelvo {
namespace {

constexpr std::size_t kFirstBufferBytes = 16 * 1024;
constexpr std::size_t kMostReservedBytes = 256 * 1024;

// The size of the last page sent whole. A page's first write reserves a little more, so that
// the buffer of a page like the last is allocated once instead of grown and copied.
std::atomic<std::size_t> last_page_bytes{kFirstBufferBytes};

std::size_t BytesToReserve() {
  const std::size_t last = last_page_bytes.load(std::memory_order_relaxed);
  return std::clamp(last + last / 8, kFirstBufferBytes, kMostReservedBytes);
}

// Kelvo writes UTF-8; a text type without a charset would leave browsers guessing.
std::string ContentTypeToSend(const std::string& type) {
  const std::string lowered = host::AsciiLowered(type);
  if (lowered.starts_with("text/") && lowered.find("charset=") == std::string::npos) {
    return type + "; charset=utf-8";
  }
  return type;
}

}  // namespace

ResponseSink::~ResponseSink() = default;

void Response::Write(std::string_view text) {
  if (ended_ || !client_connected_) return;
  if (head_sent_) {
    SendBody(text);
  } else {
    if (buffer_.capacity() < kFirstBufferBytes) buffer_.reserve(BytesToReserve());
    buffer_.append(text);
  }
}

void Response::Clear() {
  if (ended_) return;
  if (head_sent_) {
    throw Error(errc::kInvalidCall, "Response.Clear: the output is already being sent");
  }
  buffer_.clear();
}

void Response::InsertBuffered(std::size_t position, std::string_view text) {
  if (ended_) return;
  if (head_sent_) {
    throw Error(errc::kInvalidCall, "Response.InsertBuffered: the output is already being sent");
  }
  if (!client_connected_) {
    buffer_.clear();
    return;
  }
  buffer_.insert(position, text);
}

void Response::End() {
  Finish();
  throw PageEnded{};
}

void Response::SetContentType(std::string_view type) {
  RequireHeadUnsent("ContentType");
  if (!host::IsHeaderValue(type)) {
    throw Error(errc::kInvalidCall, "Response.ContentType: control character in the type");
  }
  content_type_ = type;
}

void Response::AddHeader(std::string_view name, std::string_view value) {
  if (host::EqualsIgnoringAsciiCase(name, "Content-Type")) {
    SetContentType(value);
    return;
  }
  RequireHeadUnsent("AddHeader");
  if (!host::IsHeaderName(name)) {
    throw Error(errc::kInvalidCall,
                "Response.AddHeader: invalid header name '" + std::string(name) + "'");
  }
  if (!host::IsHeaderValue(value)) {
    throw Error(errc::kInvalidCall, "Response.AddHeader: control character in the value of '" +
                                        std::string(name) + "'");
  }
  headers_.emplace_back(name, value);
}

void Response::RemoveHeader(std::string_view name) {
  RequireHeadUnsent("RemoveHeader");
  std::erase_if(headers_, [&](const auto& header) {
    return host::EqualsIgnoringAsciiCase(header.first, name);
  });
}

void Response::SetStatus(int status) {
  RequireHeadUnsent("Status");
  if (status < 100 || status > 599) {
    throw Error(errc::kInvalidCall,
                "Response.Status: " + std::to_string(status) + " is not an HTTP status code");
  }
  status_ = status;
}

void Response::StartStreaming() {
  if (head_sent_) return;
  SendHead();
  if (ended_) last_page_bytes.store(buffer_.size(), std::memory_order_relaxed);
  std::string buffered;
  buffered.swap(buffer_);
  if (buffered.empty() || !client_connected_) return;
  client_connected_ = sink_.HandOverBody(buffered);
}

void Response::Finish() {
  if (ended_) return;
  ended_ = true;
  StartStreaming();
}

void Response::SendHead() {
  NameValueList head;
  head.reserve(headers_.size() + 1);
  if (!content_type_.empty()) head.emplace_back("Content-Type", ContentTypeToSend(content_type_));
  head.insert(head.end(), headers_.begin(), headers_.end());
  head_sent_ = true;
  sink_.SendHead(status_, head);
}

void Response::SendBody(std::string_view bytes) {
  if (bytes.empty() || !client_connected_) return;
  client_connected_ = sink_.SendBody(bytes);
}

void Response::RequireHeadUnsent(std::string_view operation) const {
  if (head_sent_) {
    throw Error(errc::kInvalidCall,
                "Response." + std::string(operation) + ": the HTTP headers have already been sent");
  }
}

}  // namespace kelvo
