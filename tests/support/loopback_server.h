#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "tests/support/game_folder.h"

// Real HTTP servers on loopback addresses for the Windows tests: tests/support/http_server.py
// (or nginx) run by the host's Python, started and stopped by the test itself.
namespace KilnTest {

// Loopback address number `n` (1 to 254) of this test build: each test takes a number of its
// own, so servers of different tests never share an address. The two Windows builds use
// different ranges, in case their tests run side by side.
std::string LoopbackAddress(int n);

// The host's path of a Windows path (under Wine).
std::string UnixPath(const std::string& windowsPath);

class LoopbackServer {
public:
    enum class Kind { Scripted, Tls, Nginx };

    // Serves the folder `root` (its routes.json, or its www folder for nginx) on `address`,
    // on the ports listed ("80", "80,8080"; TLS: 443; nginx: 80). Returns once the server
    // listens; Running() is false when it did not come up within 20 s (TLS: 170 s, as it may
    // wait its turn for port 443).
    LoopbackServer(std::string address, const GameFolder& root, Kind kind = Kind::Scripted,
                   const std::string& ports = "80");
    // Stops the server and waits (up to 5 s) until its port refuses connections.
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    bool Running() const { return lifeline_ != kNoSocket; }
    // "http://<address>/"
    std::string BaseURL() const { return "http://" + address_ + "/"; }
    // The requests received so far (see http_server.py).
    std::string RequestLog() const;

private:
    std::string address_;
    std::string root_;
    static constexpr uintptr_t kNoSocket = ~uintptr_t{0};  // INVALID_SOCKET, without winsock2.h here
    uintptr_t lifeline_ = kNoSocket;
    unsigned short port_ = 80;
};

// True when something accepts connections on address:port within `timeoutMs`.
bool Connects(const std::string& address, unsigned short port, DWORD timeoutMs);

}  // namespace KilnTest
