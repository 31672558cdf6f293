#include "launcher/net/http_connection.h"

#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>

#include "launcher/net/call_thread.h"

namespace Launcher::HTTPConnection {
namespace {

// A failure inside ExecuteRequest; its text goes nowhere.
class RequestFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

DWORD WINAPI RequestWorker(void* parameter)
{
    ExecuteRequest(*static_cast<REQUEST_DATA*>(parameter));
    return 0;
}

void ClearHandleViews(REQUEST_DATA& request)
{
    request.hRequest = nullptr;
    request.hConnect = nullptr;
    request.hInternet = nullptr;
}

// Content-Length as text: a number query would turn a value too large for 32 bits or a
// malformed one into some other number.
std::optional<std::string> QueryContentLength(HINTERNET request)
{
    char text[64] = {};
    DWORD size = sizeof text;
    if (::HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr))
        return std::string(text, size);
    if (::GetLastError() == ERROR_HTTP_HEADER_NOT_FOUND)
        return std::nullopt;
    return std::string("?");  // longer than any usable length
}

class Transfer {
public:
    Transfer(REQUEST_DATA& request, CallThread& calls) : request_(request), calls_(calls) {}

    void Run()
    {
        const std::optional<URLParts> url = SplitURL(request_.strURL);
        if (!url)
            return;
        const std::string parameters = BuildParameterString(request_.mapParam);
        Open(*url, parameters);
        Send(parameters);
        ReceiveStatus();
        if (request_.bodySink)
            ReceiveHeaders();
        SizeBody();
        if (request_.bodySink)
            ReadBodyIntoSink();
        else
            ReadBody();
        Call([](WinINetSession& session) {
            session.Close();
            return true;
        }, "InternetCloseHandle Error");
    }

private:
    void Call(CallThread::Call call, const char* failure, const std::function<void()>& whileWaiting = {})
    {
        switch (calls_.Run(std::move(call), request_.cancelEvent.Get(), Watch(whileWaiting))) {
        case CallThread::Outcome::Succeeded:
            return;
        case CallThread::Outcome::Failed:
            throw RequestFailure(failure);
        case CallThread::Outcome::Cancelled:
            throw RequestFailure("User Cancel");
        case CallThread::Outcome::GivenUp:
            throw RequestFailure("Stalled");
        }
    }

    // What runs while a call waits: the caller's own, and with a stall limit a watch that gives
    // the call up when no byte has come for that long.
    std::function<bool()> Watch(const std::function<void()>& whileWaiting)
    {
        const DWORD limit = request_.dwStallLimitMs;
        if (limit == 0) {
            if (!whileWaiting)
                return {};
            return [whileWaiting] {
                whileWaiting();
                return true;
            };
        }
        WinINetSession& session = calls_.Session();
        return [whileWaiting, limit, &session, since = ::GetTickCount(), seen = session.received.load()]() mutable {
            if (whileWaiting)
                whileWaiting();
            const uint64_t now = session.received;
            if (now != seen) {
                seen = now;
                since = ::GetTickCount();
            }
            return ::GetTickCount() - since < limit;
        };
    }

    void Open(const URLParts& url, const std::string& parameters)
    {
        Call([](WinINetSession& session) {
            session.internet = ::InternetOpenA("HTTP Request", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
            return session.internet != nullptr;
        }, "InternetOpen Error");
        request_.hInternet = calls_.Session().internet;

        Call([host = url.host, port = url.port](WinINetSession& session) {
            session.connect = ::InternetConnectA(session.internet, host.c_str(), port, nullptr, nullptr,
                                                 INTERNET_SERVICE_HTTP, 0, 0);
            return session.connect != nullptr;
        }, "InternetConnect Error");
        request_.hConnect = calls_.Session().connect;

        DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
        if (url.secure)
            flags |= INTERNET_FLAG_SECURE;
        const bool post = request_.bPost;
        std::string target = post ? url.path : GetRequestTarget(url.path, parameters);
        Call([post, target = std::move(target), flags](WinINetSession& session) {
            session.request = ::HttpOpenRequestA(session.connect, post ? "POST" : "GET", target.c_str(), nullptr,
                                                 nullptr, nullptr, flags, 0);
            return session.request != nullptr;
        }, "HttpOpenRequest Error");
        request_.hRequest = calls_.Session().request;
    }

    void Send(const std::string& parameters)
    {
        std::string body = request_.bPost ? parameters : std::string();
        Call([headers = request_.strHeader, body = std::move(body)](WinINetSession& session) mutable {
            return ::HttpSendRequestA(session.request, headers.empty() ? nullptr : headers.data(),
                                      static_cast<DWORD>(headers.size()), body.empty() ? nullptr : body.data(),
                                      static_cast<DWORD>(body.size())) != FALSE;
        }, "HttpSendRequest Error");
    }

    void ReceiveStatus()
    {
        auto status = std::make_shared<DWORD>(0);
        Call([status](WinINetSession& session) {
            DWORD size = sizeof(DWORD);
            return ::HttpQueryInfoA(session.request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, status.get(),
                                    &size, nullptr) != FALSE;
        }, "Can't get HTTP Status");
        request_.dwStatusCode = *status;
        request_.bStatusReceived = true;
    }

    void ReceiveHeaders()
    {
        auto headers = std::make_shared<std::string>();
        Call([headers](WinINetSession& session) {
            DWORD size = 0;
            ::HttpQueryInfoA(session.request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr);
            if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
                return false;
            headers->resize(size);
            if (!::HttpQueryInfoA(session.request, HTTP_QUERY_RAW_HEADERS_CRLF, headers->data(), &size, nullptr))
                return false;
            headers->resize(size);
            return true;
        }, "Can't get HTTP Headers");
        request_.strResponseHeaders = std::move(*headers);
    }

    void SizeBody()
    {
        auto header = std::make_shared<std::optional<std::string>>();
        Call([header](WinINetSession& session) {
            *header = QueryContentLength(session.request);
            return true;
        }, "HttpQueryInfo Error");
        const BodySize size =
            request_.bodySink ? CheckContentLength(*header, kMaxFileBodySize) : CheckContentLength(*header);
        if (!request_.bodySink && size.kind == BodySize::Kind::Known && size.size > request_.dwMaxResponseSize)
            throw RequestFailure("dwContentSize is above the request's limit");
        switch (size.kind) {
        case BodySize::Kind::Unknown:
            return;
        case BodySize::Kind::Zero:
            request_.dwContentSize = 0;
            request_.qwContentSize = 0;
            throw RequestFailure("dwContentSize is zero");
        case BodySize::Kind::Unusable:
            throw RequestFailure("dwContentSize is unusable");
        case BodySize::Kind::Known:
            // Room for the whole body is made at once before the reads.
            request_.dwContentSize = Clamp32(size.size);
            request_.qwContentSize = size.size;
            return;
        }
    }

    // The 32-bit counts stop below their "unknown" value.
    static uint32_t Clamp32(uint64_t count)
    {
        return count < kUnknownContentSize ? static_cast<uint32_t>(count) : kUnknownContentSize - 1;
    }

    // The count that has arrived, for the owner's polls.
    void PublishReceived()
    {
        const uint64_t received = calls_.Session().received;
        request_.qwReceivedSize = received;
        request_.dwReceivedSize = Clamp32(received);
    }

    // The body piece by piece into the sink; a read that fails is a failure here, not the end,
    // so that whoever resumes knows the body was cut.
    void ReadBodyIntoSink()
    {
        const std::shared_ptr<BodySink> sink = request_.bodySink;
        if (!sink->Begin(request_.dwStatusCode, request_.strResponseHeaders, request_.qwContentSize))
            throw RequestFailure("Body not wanted");
        WinINetSession& session = calls_.Session();
        session.buffer.resize(kReceiveBufferSize);
        const auto publish = [this] { PublishReceived(); };
        Call([sink](WinINetSession& s) {
            for (;;) {
                // A read waits until it has filled its buffer: asking first for what is there
                // keeps a stall from holding back what did arrive.
                DWORD available = 0;
                if (!::InternetQueryDataAvailable(s.request, &available, 0, 0) || s.abandoned)
                    return false;
                const DWORD want = available < s.buffer.size() ? available : static_cast<DWORD>(s.buffer.size());
                DWORD count = 0;
                const BOOL read = want == 0 || ::InternetReadFile(s.request, s.buffer.data(), want, &count);
                if (s.abandoned || !read)
                    return false;
                if (count == 0)
                    return true;
                if (!sink->Write(s.buffer.data(), count))
                    return false;
                s.received += count;
            }
        }, "Body not kept", publish);
        publish();
        if (request_.bCancel)
            throw RequestFailure("User Cancel");
    }

    // The whole read loop is one call, so the transfer costs no hand-over per read; the
    // count is published every few milliseconds while it runs.
    void ReadBody()
    {
        WinINetSession& session = calls_.Session();
        session.buffer.resize(kReceiveBufferSize);
        if (request_.dwContentSize != kUnknownContentSize)
            session.body.reserve(request_.dwContentSize);
        const auto publish = [this] { PublishReceived(); };
        Call([limit = request_.dwMaxResponseSize](WinINetSession& s) {
            for (;;) {
                DWORD count = 0;
                // A failed read that yields nothing ends the body like its end.
                ::InternetReadFile(s.request, s.buffer.data(), static_cast<DWORD>(s.buffer.size()), &count);
                if (s.abandoned)
                    return false;
                if (count == 0)
                    return true;
                if (count > limit - s.body.size())
                    return false;
                s.body.append(s.buffer.data(), count);
                s.received = s.body.size();
            }
        }, "Response too large", publish);
        publish();
        if (request_.bCancel)
            throw RequestFailure("User Cancel");
        request_.strResponse = std::move(session.body);
        // A body cut short keeps the announced length, padded with zeros.
        const uint32_t announced = request_.dwContentSize;
        if (announced != kUnknownContentSize && request_.strResponse.size() < announced)
            request_.strResponse.resize(announced);
    }

    REQUEST_DATA& request_;
    CallThread& calls_;
};

// Everything of ExecuteRequest but the final bFinished, so that no local outlives it.
void Perform(REQUEST_DATA& request)
{
    try {
        std::unique_ptr<CallThread> calls = CallThread::Start();
        if (!calls)
            throw RequestFailure("InternetOpen Error");
        Transfer(request, *calls).Run();
    } catch (...) {
        // RequestFailure, or a body that could not be allocated: the same failed request.
        std::string().swap(request.strResponse);
        request.bFailed = true;
    }
    ClearHandleViews(request);
}

}  // namespace

REQUEST_DATA::REQUEST_DATA() : cancelEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

void StartRequest(const std::string& url, REQUEST_DATA& request, const std::string& headers,
                  const std::map<std::string, std::string>* parameters, bool async)
{
    request.strURL = url;
    request.strHeader = headers;
    request.strResponse.clear();
    request.bAsync = async;
    if (parameters && parameters != &request.mapParam)
        request.mapParam = *parameters;
    request.bPost = false;
    request.bCancel = false;
    ClearHandleViews(request);
    request.dwReceivedSize = 0;
    request.dwContentSize = kUnknownContentSize;
    request.qwReceivedSize = 0;
    request.qwContentSize = UINT64_MAX;
    request.strResponseHeaders.clear();
    request.dwStatusCode = 0;
    request.bStatusReceived = false;
    request.bFinished = false;
    request.bFailed = false;
    if (request.cancelEvent)
        ::ResetEvent(request.cancelEvent.Get());

    if (!async) {
        ExecuteRequest(request);
        return;
    }
    HANDLE worker = ::CreateThread(nullptr, 0, RequestWorker, &request, 0, nullptr);
    if (!worker) {
        // Nobody would ever finish the record: end it as a failed request.
        request.bFailed = true;
        request.bFinished = true;
        return;
    }
    ::CloseHandle(worker);
}

int ExecuteRequest(REQUEST_DATA& request)
{
    Perform(request);
    // The owner may free the record as soon as it sees this: nothing touches it afterwards.
    request.bFinished = true;
    return 0;
}

void CancelRequest(REQUEST_DATA& request)
{
    request.bCancel = true;
    if (request.cancelEvent)
        ::SetEvent(request.cancelEvent.Get());
    ClearHandleViews(request);
}

}  // namespace Launcher::HTTPConnection
