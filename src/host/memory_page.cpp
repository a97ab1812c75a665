#include <memory>
#include <string_view>
#include <utility>

#include "kelvo/error.h"
#include "kelvo/host.h"

namespace kelvo {

MemoryPage::MemoryPage(RequestData request, PageOptions options)
    : context_(std::make_shared<ScriptingContext>(
          std::move(request), static_cast<ResponseSink&>(*this), std::move(options))) {}

void MemoryPage::Run(const std::function<void(ScriptingContext&)>& body) {
  try {
    body(*context_);
  } catch (const PageEnded&) {
    // Response::End already sent the page; this is its normal way out.
  }
  context_->response().Finish();
}

void MemoryPage::SendHead(int status, const NameValueList& headers) {
  status_ = status;
  headers_ = headers;
}

bool MemoryPage::SendBody(std::string_view bytes) {
  output_.append(bytes);
  return true;
}

}  // namespace kelvo
