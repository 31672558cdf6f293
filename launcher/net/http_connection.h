#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "kiln/base/scoped_win.h"
#include "launcher/net/http_request_text.h"
#include "launcher/net/percent_encode.h"

// The launcher's HTTP client: one request per record, run on the calling thread or on a
// worker thread of its own, polled by its owner through the record.
namespace Launcher::HTTPConnection {

// Where a request's body goes instead of strResponse (a download to a file). Begin is called
// on the request's thread once the status and headers are in; Write, from a thread of the
// request's own, one piece at a time, possibly once more after the request has been
// cancelled: a sink that is closed must refuse it.
class BodySink {
public:
    virtual ~BodySink() = default;
    // False: the body is of no use; the request ends (as a failure) without reading it.
    virtual bool Begin(uint32_t statusCode, const std::string& rawHeaders, uint64_t contentSize) = 0;
    // False: the piece cannot be kept; the request fails.
    virtual bool Write(const char* data, size_t size) = 0;
};

struct REQUEST_DATA {
    REQUEST_DATA();
    REQUEST_DATA(const REQUEST_DATA&) = delete;
    REQUEST_DATA& operator=(const REQUEST_DATA&) = delete;

    std::string strURL;
    std::string strHeader;
    std::string strResponse;  // read by the owner only once bFinished is set
    std::map<std::string, std::string> mapParam;
    bool bAsync = false;
    bool bPost = false;
    // Set by the owner before StartRequest: a longer body (announced or received) fails the
    // request before it is kept.
    uint32_t dwMaxResponseSize = kMaxResponseSize;
    // Set by the owner before StartRequest: with a sink the body goes there, in any size, and
    // strResponse stays empty.
    std::shared_ptr<BodySink> bodySink;
    // Set by the owner before StartRequest: a call that brings nothing new for this long fails
    // the request (0: no limit).
    uint32_t dwStallLimitMs = 0;
    // The response's header lines ("Name: value", CR LF), set before the body is read.
    std::string strResponseHeaders;
    // Polled or set across threads; each has a single writer.
    std::atomic<bool> bCancel{false};
    std::atomic<HINTERNET> hInternet{nullptr};
    std::atomic<HINTERNET> hConnect{nullptr};
    std::atomic<HINTERNET> hRequest{nullptr};
    std::atomic<uint32_t> dwReceivedSize{0};
    std::atomic<uint32_t> dwContentSize{kUnknownContentSize};
    std::atomic<uint32_t> dwStatusCode{0};
    // The same counts in 64 bits (kUnknownSize: no Content-Length); the 32-bit ones stop at
    // their largest value.
    std::atomic<uint64_t> qwReceivedSize{0};
    std::atomic<uint64_t> qwContentSize{UINT64_MAX};
    std::atomic<bool> bStatusReceived{false};
    std::atomic<bool> bFinished{false};
    // Set with bFinished when the request ended by one of its failures (the body is then
    // empty whatever the status), not by the end of the data.
    std::atomic<bool> bFailed{false};

    // Signalled by CancelRequest: a transfer waiting for the network wakes on it at once.
    Kiln::UniqueHandle cancelEvent;
};

// Sets up the record (see REQUEST_DATA) and runs ExecuteRequest, on a worker thread of its
// own when `async` (the owner keeps the record alive until bFinished), else on this thread.
// `parameters` is copied into mapParam unless it is null or the record's own map.
void StartRequest(const std::string& url, REQUEST_DATA& request, const std::string& headers,
                  const std::map<std::string, std::string>* parameters, bool async);

// Performs the request described by the record; always returns 0. Every failure ends with
// bFinished set and an empty body.
int ExecuteRequest(REQUEST_DATA& request);

// Sets bCancel and wakes the transfer; does not wait. The transfer then ends promptly with
// an empty body; bFinished tells when it has.
void CancelRequest(REQUEST_DATA& request);

}  // namespace Launcher::HTTPConnection
