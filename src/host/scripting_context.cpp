#include <utility>

#include "kelvo/host.h"
#include "host/signing_secret.h"
#include "kelvo/locale.h"

namespace kelvo {

ScriptingContext::ScriptingContext(RequestData request, ResponseSink& sink, PageOptions options)
    : request_(std::move(request)),
      response_(sink),
      locale_(&Locale::Find(options.locale)),
      signing_secret_(options.signing_secret.empty() ? ProcessSigningSecret()
                                                     : std::move(options.signing_secret)),
      form_token_(std::move(options.form_token)),
      may_write_(options.may_write),
      journal_(std::move(options.journal)) {}

WriteJournal::~WriteJournal() = default;

}  // namespace kelvo
