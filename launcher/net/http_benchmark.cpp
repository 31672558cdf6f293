// Fetches one large file through the HTTP client and through a bare WinINet read loop, taking
// turns, and prints the medians; with --memory, fetches it once through the client and prints
// the peak working set against the file's size. Run by http_benchmark.sh (see BENCHMARKS.md).
#include <windows.h>
#include <psapi.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "launcher/net/http_connection.h"

namespace {

using namespace Launcher::HTTPConnection;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

size_t FetchWithClient(const std::string& url)
{
    REQUEST_DATA request;
    StartRequest(url, request, "", nullptr, false);
    return request.dwStatusCode == 200 && request.dwReceivedSize == request.dwContentSize ? request.strResponse.size()
                                                                                           : 0;
}

// What a caller of WinINet writes at the least: the same calls, the same 2 MiB reads, the
// body kept in a string sized from Content-Length.
size_t FetchBare(const std::string& host, const std::string& path)
{
    HINTERNET internet = ::InternetOpenA("bare", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET connect = ::InternetConnectA(internet, host.c_str(), 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request = ::HttpOpenRequestA(connect, "GET", path.c_str(), nullptr, nullptr, nullptr,
                                           INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    std::string body;
    if (::HttpSendRequestA(request, nullptr, 0, nullptr, 0)) {
        DWORD length = 0;
        DWORD size = sizeof length;
        ::HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr);
        body.reserve(length);
        std::vector<char> buffer(0x200000);
        DWORD read = 0;
        while (::InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &read) && read > 0)
            body.append(buffer.data(), read);
    }
    ::InternetCloseHandle(request);
    ::InternetCloseHandle(connect);
    ::InternetCloseHandle(internet);
    return body.size();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

size_t PeakWorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: launcher_http_benchmark http://HOST/PATH [--memory | REPETITIONS]\n");
        return 2;
    }
    const std::string url = argv[1];
    const auto parts = SplitURL(url);
    if (!parts)
        return 2;

    if (argc > 2 && std::strcmp(argv[2], "--memory") == 0) {
        const size_t before = PeakWorkingSet();
        const size_t size = FetchWithClient(url);
        const size_t peak = PeakWorkingSet();
        std::printf("file %zu bytes; peak working set %zu bytes before, %zu after: %.2fx the file (%.2fx counting "
                    "the process's own)\n",
                    size, before, peak, static_cast<double>(peak - before) / static_cast<double>(size),
                    static_cast<double>(peak) / static_cast<double>(size));
        return size == 0 ? 1 : 0;
    }

    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    std::vector<double> client, bare;
    size_t size = 0;
    for (int i = 0; i < repetitions; ++i) {
        // Alternate which goes first, so neither always meets a warmer server.
        for (int turn = 0; turn < 2; ++turn) {
            const bool clientTurn = (turn == 0) == (i % 2 == 0);
            LARGE_INTEGER start, end;
            ::QueryPerformanceCounter(&start);
            size = clientTurn ? FetchWithClient(url) : FetchBare(parts->host, parts->path);
            ::QueryPerformanceCounter(&end);
            if (size == 0) {
                std::fprintf(stderr, "%s fetch failed\n", clientTurn ? "client" : "bare");
                return 1;
            }
            (clientTurn ? client : bare).push_back(static_cast<double>(size) / 1e6 / Seconds(start, end));
        }
    }
    const double ours = Median(client), reference = Median(bare);
    std::printf("%zu bytes, %d repetitions each, medians: client %.0f MB/s, bare WinINet loop %.0f MB/s, "
                "ratio %.2fx\n",
                size, repetitions, ours, reference, ours / reference);
    for (size_t i = 0; i < client.size(); ++i)
        std::printf("  run %zu: client %.0f MB/s, bare %.0f MB/s\n", i + 1, client[i], bare[i]);
    return 0;
}
