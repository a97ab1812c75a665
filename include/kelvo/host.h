// The page host: what a page sees of one HTTP request and its response.
//
// Two levels. A connector (the HTTP server, a test, the command line) describes the request as
// RequestData and receives the output through a ResponseSink it implements. The component sees
// the façade: ScriptingContext with Request, Response and Server. Everything here can be built
// without any server, so a unit test can make a request and read the response directly.
//
// Thread safety: one ScriptingContext serves one request on one thread; nothing is shared.
#ifndef KELVO_HOST_H_
#define KELVO_HOST_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "kelvo/export.h"
#include "kelvo/object.h"

namespace kelvo {

struct Locale;

using NameValueList = std::vector<std::pair<std::string, std::string>>;

// One request collection (query string, form fields or cookies): keys in arrival order, each
// with one or more values. Keys are matched without regard to ASCII letter case; other bytes
// must match exactly. Adding and finding take constant time on average, so a hostile request
// with many keys costs no more than its size: a few keys are searched in order, more through
// an index.
class KELVO_EXPORT RequestCollection {
 public:
  struct Entry {
    std::string key;                  // as it first arrived
    std::vector<std::string> values;  // in arrival order; values()[0] is value 1
  };

  // Appends a value: to the entry of an existing key (any case), else to a new entry.
  void Add(std::string key, std::string value);

  const std::vector<Entry>& entries() const { return entries_; }
  // The entry of `key`, or null when the key is absent.
  const Entry* Find(std::string_view key) const;
  // The value text: the single value, several values joined by ", ", empty when absent.
  std::string Get(std::string_view key) const;
  // The value text of an entry that was found.
  static std::string ValueText(const Entry& entry);

 private:
  // Looked up by a view, so that finding a key allocates nothing.
  struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const {
      return std::hash<std::string_view>{}(key);
    }
  };
  static constexpr std::size_t kIndexedFrom = 16;  // entries

  void Index(std::size_t position);
  static std::uint64_t LengthBit(std::size_t length) { return std::uint64_t{1} << (length % 64); }

  std::vector<Entry> entries_;
  // A bit for every key length held, modulo 64: most keys a page asks for are absent, and
  // most of those are told at once by their length.
  std::uint64_t key_lengths_ = 0;
  // A bit for every first letter of a key, case folded, modulo 64: most absent keys a page asks
  // for are its own parameters, which begin unlike every server variable.
  std::uint64_t key_starts_ = 0;
  // lower-cased key -> entries_ position, once there are kIndexedFrom entries
  std::unordered_map<std::string, std::size_t, KeyHash, std::equal_to<>> index_;
};

// Decodes an application/x-www-form-urlencoded text ("a=1&b=x+y%21") into `into`: "+" is a
// blank, %XX a byte (hex in either case); a malformed escape ("%G1", "%4", a final "%") is kept
// as written. A piece without "=" is a key with the empty value; empty pieces ("a=1&&b=2") are
// skipped. Bytes are kept as they decode (NULs, invalid UTF-8). Never fails, whatever the bytes.
KELVO_EXPORT void ParseUrlEncoded(std::string_view text, RequestCollection& into);

// The classic form encoding: letters and digits kept, blank as "+", every other byte as %XX
// with upper-case hex. Text is taken as UTF-8 bytes.
KELVO_EXPORT std::string UrlEncode(std::string_view text);

// What a connector supplies for one request.
struct KELVO_EXPORT RequestData {
  std::string query_string;        // raw, without the "?"
  std::string body;                // raw request body
  NameValueList cookies;           // decoded cookie names and values
  NameValueList server_variables;  // SCRIPT_NAME, REQUEST_METHOD, QUERY_STRING, CONTENT_TYPE, ...

  // A GET of `script_name` with the given raw query string.
  static RequestData Get(std::string script_name, std::string query_string = {});
  // A POST of an url-encoded form to `script_name`.
  static RequestData Post(std::string script_name, std::string form_body,
                          std::string query_string = {});
};

class KELVO_EXPORT Request final {
 public:
  // Parses the query string, and the body when the request is a POST whose CONTENT_TYPE is
  // application/x-www-form-urlencoded (parameters such as "; charset=utf-8" allowed); any other
  // body leaves Form empty. Missing standard server variables get the in-memory defaults:
  // SCRIPT_NAME "", REQUEST_METHOD "GET", QUERY_STRING the raw query, CONTENT_TYPE "",
  // CONTENT_LENGTH the body size, REMOTE_ADDR "127.0.0.1", HTTP_HOST and SERVER_NAME
  // "localhost", SERVER_PORT "80", SERVER_PROTOCOL "HTTP/1.1", HTTPS "off".
  explicit Request(RequestData data);

  // The named lookup: query string, then form fields, then cookies, then server variables;
  // names matched without regard to case; the empty text when absent.
  std::string Item(std::string_view name) const;
  // The entry the named lookup finds, or null.
  const RequestCollection::Entry* FindItem(std::string_view name) const;

  const RequestCollection& QueryString() const { return query_; }
  const RequestCollection& Form() const { return form_; }
  const RequestCollection& Cookies() const { return cookies_; }
  // A server variable (name matched without regard to case); the empty text when absent.
  std::string ServerVariables(std::string_view name) const;
  bool IsPost() const;

 private:
  RequestCollection query_;
  RequestCollection form_;
  RequestCollection cookies_;
  RequestCollection server_variables_;
};

// Connector side of a response: where the status, headers and body bytes go.
class KELVO_EXPORT ResponseSink {
 public:
  ResponseSink() = default;
  ResponseSink(const ResponseSink&) = delete;
  ResponseSink& operator=(const ResponseSink&) = delete;
  virtual ~ResponseSink();

  // Called once, before any body bytes, with the status code and the headers to send
  // (Content-Type among them).
  virtual void SendHead(int status, const NameValueList& headers) = 0;
  // Sends body bytes. Returns false when the client has gone away.
  virtual bool SendBody(std::string_view bytes) = 0;
  // SendBody for bytes the sink may keep, leaving `bytes` valid but unspecified: a page's
  // buffered body is handed over rather than copied.
  virtual bool HandOverBody(std::string& bytes) { return SendBody(bytes); }
};

// User side of a response. Output is buffered until the page finishes (so Clear can discard
// it) unless the page starts streaming. The sink is borrowed and must outlive the response.
//
// The head (status, Content-Type, added headers) goes out once, at StartStreaming, End or
// Finish; changing it afterwards throws Error(errc::kInvalidCall). A text/* content type
// without a charset is sent with "; charset=utf-8", the encoding of all Kelvo text.
class KELVO_EXPORT Response final {
 public:
  explicit Response(ResponseSink& sink) : sink_(sink) {}
  Response(const Response&) = delete;
  Response& operator=(const Response&) = delete;

  // Appends text to the output, in call order. Ignored once the response has ended or the
  // client has gone away.
  void Write(std::string_view text);
  // Discards the buffered body. Headers and content type stay. Once streaming has begun the
  // output is gone and cannot be taken back: throws Error(errc::kInvalidCall). A no-op after
  // the response has ended.
  void Clear();
  // Puts text into the buffered body at `position`, as Clear and a Write of the whole body
  // with the text inserted would, without copying what is buffered. Throws as Clear does, and
  // std::out_of_range for a position past the buffered body.
  void InsertBuffered(std::size_t position, std::string_view text);
  // Sends what is buffered and ends the page: throws PageEnded, so nothing after it runs.
  [[noreturn]] void End();

  // Throws Error(errc::kInvalidCall) for a type holding control characters (header splitting).
  void SetContentType(std::string_view type);
  const std::string& ContentType() const { return content_type_; }
  // Adds a header to the head. A "Content-Type" header sets the content type instead, so the
  // head never carries two. Throws Error(errc::kInvalidCall) for a name that is not an HTTP
  // token or a value holding control characters.
  void AddHeader(std::string_view name, std::string_view value);
  // Drops the headers added under `name` (without regard to case), before the head is sent.
  void RemoveHeader(std::string_view name);
  // Throws Error(errc::kInvalidCall) for a code outside 100..599.
  void SetStatus(int status);
  int Status() const { return status_; }

  // Sends the head and the buffered body now; later writes go straight to the sink.
  void StartStreaming();
  bool IsStreaming() const { return head_sent_; }
  // False once the sink reported that the client went away.
  bool IsClientConnected() const { return client_connected_; }

  // Sends whatever has not been sent; the host calls it after the page. Idempotent.
  void Finish();
  bool HasEnded() const { return ended_; }
  // The body buffered and not yet sent.
  const std::string& Buffered() const { return buffer_; }

 private:
  void SendHead();
  void SendBody(std::string_view bytes);
  void RequireHeadUnsent(std::string_view operation) const;

  ResponseSink& sink_;
  std::string buffer_;
  std::string content_type_ = "text/html";
  NameValueList headers_;
  int status_ = 200;
  bool head_sent_ = false;
  bool ended_ = false;
  bool client_connected_ = true;
};

class KELVO_EXPORT Server {
 public:
  std::string URLEncode(std::string_view text) const { return UrlEncode(text); }
};

// One write a page made or tried, as an audit trail records it.
struct KELVO_EXPORT WriteRecord {
  struct Change {
    std::string field;
    std::optional<std::string> old_value;  // nothing for NULL, and in an insert
    std::optional<std::string> new_value;  // nothing for NULL
  };
  std::string action;   // "save", "insert" or "delete"
  std::string table;    // as the grid's edit statement names it
  NameValueList key;    // the record's key fields and values, as text
  std::vector<Change> changes;  // the fields a save or insert wrote
  bool succeeded = false;
  std::string failure;  // why it did not succeed, as plain text
};

// Where a page reports the writes its grids make: one Record per posted save, insert or
// delete, after it was committed or refused, while the page's response is still unsent. A
// failure it throws is shown on the page and answers 500, so a write that could not be
// recorded is never reported as done. Called on the page's thread.
class KELVO_EXPORT WriteJournal {
 public:
  WriteJournal() = default;
  WriteJournal(const WriteJournal&) = delete;
  WriteJournal& operator=(const WriteJournal&) = delete;
  virtual ~WriteJournal();
  virtual void Record(const WriteRecord& write) = 0;
};

// Per-page settings a host chooses.
struct PageOptions {
  std::string locale = "en-US";  // name of a built-in locale (kelvo/locale.h)
  // Key of the signatures of statements a page carries. Servers that accept each other's
  // pages share one; empty selects a random key made once per process.
  std::string signing_secret;
  // The signed-in user's form token: when not empty, every grid form carries it in the hidden
  // field "kelvo_token", and the host refuses posts without it. Empty leaves forms as they are.
  std::string form_token;
  // False when the signed-in user may not write through this page: a posted save, insert or
  // delete is then refused with 403 and nothing is written.
  bool may_write = true;
  // Receives every write the page's grids make; none by default.
  std::shared_ptr<WriteJournal> journal;
};

// The page's scripting context: the only way from the component to the request, the response
// and the server. It owns the Request, the Response and the Server of one page; the sink is
// the connector's and must outlive the context.
class KELVO_EXPORT ScriptingContext final : public Object {
 public:
  // Throws Error when options.locale names no built-in locale.
  ScriptingContext(RequestData request, ResponseSink& sink, PageOptions options = {});

  kelvo::Request& request() { return request_; }
  kelvo::Response& response() { return response_; }
  const kelvo::Server& server() const { return server_; }
  const Locale& locale() const { return *locale_; }
  const std::string& signing_secret() const { return signing_secret_; }
  const std::string& form_token() const { return form_token_; }
  bool may_write() const { return may_write_; }
  WriteJournal* journal() const { return journal_.get(); }

  std::string_view ClassName() const override { return "ScriptingContext"; }

 private:
  kelvo::Request request_;
  kelvo::Response response_;
  kelvo::Server server_;
  const Locale* locale_;
  std::string signing_secret_;
  std::string form_token_;
  bool may_write_ = true;
  std::shared_ptr<WriteJournal> journal_;
};

// The in-memory host, for tests and the command line: runs a page body and keeps what it sent.
// The page is the context's sink: a context shared out through context() must not be used
// after the page is destroyed.
class KELVO_EXPORT MemoryPage final : private ResponseSink {
 public:
  // Throws Error when options.locale names no built-in locale.
  explicit MemoryPage(RequestData request, PageOptions options = {});

  const std::shared_ptr<ScriptingContext>& context() const { return context_; }
  // Runs `body` with the page's context, stops quietly at Response::End, then finishes the
  // response. Any other failure leaves Run with the response unfinished: what the body wrote
  // stays in context()->response().Buffered().
  void Run(const std::function<void(ScriptingContext&)>& body);

  int status() const { return status_; }
  const NameValueList& headers() const { return headers_; }
  // Everything sent so far: the finished page after Run.
  const std::string& output() const { return output_; }

 private:
  void SendHead(int status, const NameValueList& headers) override;
  bool SendBody(std::string_view bytes) override;

  std::shared_ptr<ScriptingContext> context_;
  int status_ = 0;
  NameValueList headers_;
  std::string output_;
};

}  // namespace kelvo

#endif  // KELVO_HOST_H_
