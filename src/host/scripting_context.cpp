#include <utility>

#include "kelvo/host.h"
#include "kelvo/locale.h"

namespace kelvo {

ScriptingContext::ScriptingContext(RequestData request, ResponseSink& sink, PageOptions options)
    : request_(std::move(request)), response_(sink), locale_(&Locale::Find(options.locale)) {}

}  // namespace kelvo
