// The HTTP client against real servers on loopback addresses, including hostile ones.
#include "launcher/net/http_connection.h"

#include <psapi.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>

#include "tests/support/game_folder.h"
#include "tests/support/loopback_server.h"
#include "tests/support/trusted_certificate.h"

namespace Launcher::HTTPConnection {
namespace {

using KilnTest::LoopbackServer;

// The time a cancel may take to end a request.
constexpr DWORD kPromptMs = 1000;

std::string RandomBytes(size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(generator() & 0xFF);
    return bytes;
}

class HttpConnectionTest : public ::testing::Test {
protected:
    HttpConnectionTest()
        : folder_(std::string("http_") + ::testing::UnitTest::GetInstance()->current_test_info()->name())
    {
    }

    // Starts a scripted server on loopback address `n` with these routes (JSON object text).
    void Serve(int n, const std::string& routes, const std::string& ports = "80")
    {
        folder_.Write("routes.json", routes);
        server_ = std::make_unique<LoopbackServer>(KilnTest::LoopbackAddress(n), folder_,
                                                   LoopbackServer::Kind::Scripted, ports);
        ASSERT_TRUE(server_->Running());
    }

    std::string URL(const std::string& path) const { return server_->BaseURL() + path.substr(1); }

    // Waits (bounded) until the record satisfies `done`.
    template <class Condition>
    static bool WaitFor(Condition done, DWORD timeoutMs = 20000)
    {
        const DWORD start = ::GetTickCount();
        while (!done()) {
            if (::GetTickCount() - start > timeoutMs)
                return false;
            ::Sleep(1);
        }
        return true;
    }

    // Cancels and returns how long the request took to finish afterwards.
    static DWORD CancelAndTime(REQUEST_DATA& request)
    {
        const DWORD start = ::GetTickCount();
        CancelRequest(request);
        EXPECT_TRUE(WaitFor([&] { return request.bFinished.load(); }, 10000));
        return ::GetTickCount() - start;
    }

    KilnTest::GameFolder folder_;
    std::unique_ptr<LoopbackServer> server_;
};

TEST_F(HttpConnectionTest, FetchesABodyLargerThanOneReadOnAWorkerThread)
{
    const std::string body = RandomBytes(5 * 1024 * 1024 + 17, 1);
    folder_.Write("body.bin", body);
    Serve(2, R"({"/files/body.bin": {"file": "body.bin"}})");

    auto request = std::make_shared<REQUEST_DATA>();
    StartRequest(URL("/files/body.bin"), *request, "", nullptr, true);
    ASSERT_TRUE(WaitFor([&] { return request->bFinished.load(); }));
    EXPECT_TRUE(request->bStatusReceived);
    EXPECT_EQ(request->dwStatusCode, 200u);
    EXPECT_EQ(request->dwContentSize, body.size());
    EXPECT_EQ(request->dwReceivedSize, body.size());
    EXPECT_TRUE(request->strResponse == body);
    EXPECT_EQ(request->hRequest.load(), nullptr);
}

TEST_F(HttpConnectionTest, RequestLineCarriesPathQuestionMarkParametersHeaderAndAgent)
{
    Serve(3, R"({"/q": {"body": "ok"}})");
    const std::map<std::string, std::string> parameters = {{"b", "x y"}, {"a", "1"}};
    REQUEST_DATA request;
    StartRequest(URL("/q"), request, "X-Kiln-Test: yes\r\n", &parameters, false);
    EXPECT_EQ(request.strResponse, "ok");
    REQUEST_DATA plain;
    StartRequest(URL("/q"), plain, "", nullptr, false);
    REQUEST_DATA withQuery;
    StartRequest(URL("/q?x=1"), withQuery, "", &parameters, false);
    EXPECT_EQ(withQuery.mapParam, parameters);

    const std::string log = server_->RequestLog();
    EXPECT_NE(log.find("80 GET /q?a=1&b=x%20y HTTP/1.1\n"), std::string::npos) << log;
    EXPECT_NE(log.find("80 GET /q? HTTP/1.1\n"), std::string::npos) << log;
    EXPECT_NE(log.find("80 GET /q?x=1?a=1&b=x%20y HTTP/1.1\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\nX-Kiln-Test: yes\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\nUser-Agent: HTTP Request\n"), std::string::npos) << log;
}

TEST_F(HttpConnectionTest, NotFoundFinishesNormallyWithItsBody)
{
    Serve(4, R"({"/gone": {"status": 404, "body": "no such patch"}})");
    REQUEST_DATA request;
    StartRequest(URL("/gone"), request, "", nullptr, false);
    EXPECT_TRUE(request.bFinished);
    EXPECT_EQ(request.dwStatusCode, 404u);
    EXPECT_EQ(request.strResponse, "no such patch");
}

TEST_F(HttpConnectionTest, ZeroContentLengthFailsWithItsStatusRecorded)
{
    Serve(5, R"({"/empty": {"status": 200, "body": ""}})");
    REQUEST_DATA request;
    StartRequest(URL("/empty"), request, "", nullptr, false);
    EXPECT_TRUE(request.bFinished);
    EXPECT_TRUE(request.bStatusReceived);
    EXPECT_EQ(request.dwStatusCode, 200u);
    EXPECT_EQ(request.dwContentSize, 0u);
    EXPECT_EQ(request.strResponse, "");
}

TEST_F(HttpConnectionTest, WithoutContentLengthTheBodyIsWhatArrived)
{
    Serve(6, R"({"/stream": {"body": "bytes until the server closes", "length": null}})");
    REQUEST_DATA request;
    StartRequest(URL("/stream"), request, "", nullptr, false);
    EXPECT_EQ(request.dwStatusCode, 200u);
    EXPECT_EQ(request.dwContentSize, kUnknownContentSize);
    EXPECT_EQ(request.strResponse, "bytes until the server closes");
    EXPECT_EQ(request.dwReceivedSize, 29u);
}

TEST_F(HttpConnectionTest, ShortBodyKeepsTheAnnouncedLengthPaddedWithZeros)
{
    Serve(7, R"({"/short": {"body": "abcdef", "length": 10, "send": 6}})");
    REQUEST_DATA request;
    StartRequest(URL("/short"), request, "", nullptr, false);
    EXPECT_EQ(request.dwContentSize, 10u);
    EXPECT_EQ(request.dwReceivedSize, 6u);
    EXPECT_EQ(request.strResponse, std::string("abcdef\0\0\0\0", 10));
}

TEST_F(HttpConnectionTest, LengthBeyondWhatTheProcessCanHoldFailsWithoutAllocating)
{
    Serve(8, R"({"/huge": {"body": "tiny", "length": 4000000000}, "/big": {"body": "tiny", "length": 1073741825},
                 "/odd": {"body": "tiny", "length": "12abc"}})");
    PROCESS_MEMORY_COUNTERS before = {};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &before, sizeof before);
    for (const char* path : {"/huge", "/big", "/odd"}) {
        SCOPED_TRACE(path);
        REQUEST_DATA request;
        StartRequest(URL(path), request, "", nullptr, false);
        EXPECT_TRUE(request.bFinished);
        EXPECT_EQ(request.dwStatusCode, 200u);
        EXPECT_EQ(request.dwReceivedSize, 0u);
        EXPECT_EQ(request.strResponse, "");
    }
    PROCESS_MEMORY_COUNTERS after = {};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &after, sizeof after);
    EXPECT_LT(after.PeakWorkingSetSize - before.PeakWorkingSetSize, 64u * 1024 * 1024);
}

TEST_F(HttpConnectionTest, CancelEndsAStalledBodyPromptlyKeepingTheCount)
{
    // One whole read arrives, then the server stalls in the middle of the next.
    folder_.Write("part.bin", RandomBytes(kReceiveBufferSize + 4096, 3));
    Serve(9, R"({"/stall": {"file": "part.bin", "length": 10000000, "send": 2101248, "after": "stall"}})");
    auto request = std::make_shared<REQUEST_DATA>();
    StartRequest(URL("/stall"), *request, "", nullptr, true);
    ASSERT_TRUE(WaitFor([&] { return request->dwReceivedSize.load() == kReceiveBufferSize; }));
    ::Sleep(200);
    EXPECT_FALSE(request->bFinished);
    EXPECT_LT(CancelAndTime(*request), kPromptMs);
    EXPECT_TRUE(request->bCancel);
    EXPECT_EQ(request->dwReceivedSize, kReceiveBufferSize);
    EXPECT_EQ(request->dwContentSize, 10000000u);
    EXPECT_EQ(request->strResponse, "");
}

// A body that goes to a sink instead of memory: the headers first, then every piece; a
// stalled one ends as a failure after the stall limit, keeping what arrived.
TEST_F(HttpConnectionTest, ABodyIntoASinkEndsAFailureWhenItStalls)
{
    struct Sink : BodySink {
        bool Begin(uint32_t status, const std::string& headers, uint64_t size) override
        {
            const bool etag = headers.find("\r\nETag: \"s\"\r\n") != std::string::npos;
            began = std::to_string(status) + " " + std::to_string(size) + (etag ? " etag" : "");
            return true;
        }
        bool Write(const char* data, size_t size) override
        {
            body.append(data, size);
            return true;
        }
        std::string began;
        std::string body;
    };
    const std::string bytes = RandomBytes(300000, 4);
    folder_.Write("part.bin", bytes);
    Serve(11, R"({"/stall": {"file": "part.bin", "download": {"etags": ["\"s\""], "trickle": [150000, 60]}},
                 "/whole": {"file": "part.bin", "download": {"etags": ["\"s\""]}}})");
    for (const char* path : {"/whole", "/stall"}) {
        SCOPED_TRACE(path);
        auto sink = std::make_shared<Sink>();
        auto request = std::make_shared<REQUEST_DATA>();
        request->bodySink = sink;
        request->dwStallLimitMs = 500;
        const DWORD start = ::GetTickCount();
        StartRequest(URL(path), *request, "", nullptr, true);
        ASSERT_TRUE(WaitFor([&] { return request->bFinished.load(); }, 10000));
        const bool stalled = std::string(path) == "/stall";
        EXPECT_EQ(request->bFailed, stalled);
        EXPECT_EQ(sink->began, "200 300000 etag");
        EXPECT_EQ(request->qwContentSize, 300000u);
        EXPECT_TRUE(sink->body == bytes.substr(0, stalled ? 150000 : bytes.size())) << sink->body.size();
        EXPECT_EQ(request->qwReceivedSize, sink->body.size());
        EXPECT_EQ(request->strResponse, "");
        if (stalled) {
            EXPECT_LT(::GetTickCount() - start, 500 + kPromptMs);
        }
    }
}

TEST_F(HttpConnectionTest, CancelEndsPromptlyWhenTheServerNeverAnswers)
{
    Serve(10, R"({"/silent": {"silent": true}})");
    auto request = std::make_shared<REQUEST_DATA>();
    StartRequest(URL("/silent"), *request, "", nullptr, true);
    ::Sleep(500);
    EXPECT_FALSE(request->bFinished);
    EXPECT_FALSE(request->bStatusReceived);
    EXPECT_LT(CancelAndTime(*request), kPromptMs);
    EXPECT_EQ(request->dwStatusCode, 0u);
}

TEST_F(HttpConnectionTest, SlowTrickleIsPolledAsItGrows)
{
    // Progress shows once per whole read.
    const std::string body = RandomBytes(4 * kReceiveBufferSize + 1000, 2);
    folder_.Write("slow.bin", body);
    Serve(11, R"({"/slow": {"file": "slow.bin", "trickle": [262144, 0.02]}})");
    auto request = std::make_shared<REQUEST_DATA>();
    StartRequest(URL("/slow"), *request, "", nullptr, true);
    std::set<uint32_t> seen;
    ASSERT_TRUE(WaitFor([&] {
        if (request->bStatusReceived)
            seen.insert(request->dwReceivedSize.load());
        return request->bFinished.load();
    }));
    EXPECT_GE(seen.size(), 4u);
    EXPECT_EQ(request->dwContentSize, body.size());
    EXPECT_TRUE(request->strResponse == body);
}

TEST_F(HttpConnectionTest, OtherSchemesEndAtOnceWithoutStatus)
{
    for (const char* url : {"ftp://127.0.0.1/", "HTTP://127.0.0.1/", "http:no-slashes", "file:///c:/x"}) {
        SCOPED_TRACE(url);
        REQUEST_DATA request;
        StartRequest(url, request, "", nullptr, false);
        EXPECT_TRUE(request.bFinished);
        EXPECT_FALSE(request.bStatusReceived);
        EXPECT_EQ(request.dwStatusCode, 0u);
        EXPECT_EQ(request.strResponse, "");
    }
}

TEST_F(HttpConnectionTest, NoServerEndsWithStatusZero)
{
    REQUEST_DATA request;
    StartRequest("http://" + KilnTest::LoopbackAddress(12) + "/info.txt", request, "", nullptr, false);
    EXPECT_TRUE(request.bFinished);
    EXPECT_EQ(request.dwStatusCode, 0u);
    EXPECT_EQ(request.strResponse, "");
}

TEST_F(HttpConnectionTest, PortInTheHostIsPartOfTheServerNameNotAPort)
{
    Serve(13, R"({"/p": {"body": "port"}})", "80,8080");
    REQUEST_DATA request;
    StartRequest("http://" + KilnTest::LoopbackAddress(13) + ":8080/p", request, "", nullptr, false);
    EXPECT_TRUE(request.bFinished);
    EXPECT_EQ(server_->RequestLog().find("8080 "), std::string::npos) << server_->RequestLog();
}

TEST_F(HttpConnectionTest, SecureURLWithoutPathAsksForTheRootOverTls)
{
    folder_.Write("routes.json", R"({"/": {"body": "secure"}})");
    LoopbackServer server("127.0.0.1", folder_, LoopbackServer::Kind::Tls);
    ASSERT_TRUE(server.Running());
    const KilnTest::TrustedCertificate trusted(folder_.Read("cert.der"));
    ASSERT_TRUE(trusted.Added());
    REQUEST_DATA request;
    StartRequest("https://localhost", request, "", nullptr, false);
    EXPECT_EQ(request.dwStatusCode, 200u);
    EXPECT_EQ(request.strResponse, "secure");
    EXPECT_NE(server.RequestLog().find("443 GET /? HTTP/1.1\n"), std::string::npos) << server.RequestLog();
}

}  // namespace
}  // namespace Launcher::HTTPConnection
