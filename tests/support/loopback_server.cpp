#include <winsock2.h>
#include <ws2tcpip.h>

#include "tests/support/loopback_server.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace KilnTest {
namespace {

void StartWinsock()
{
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}

// A connection to address:port, or INVALID_SOCKET.
SOCKET Connect(const std::string& address, unsigned short port)
{
    StartWinsock();
    sockaddr_in target = {};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &target.sin_addr) != 1)
        return INVALID_SOCKET;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return s;
    if (::connect(s, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
        ::closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

}  // namespace

std::string LoopbackAddress(int n)
{
    // KILN_LOOPBACK_NET (2 to 254) moves the range, so that two checkouts on one machine can
    // run their tests side by side.
    int net = 12;
    if (const char* value = std::getenv("KILN_LOOPBACK_NET")) {
        const int wanted = std::atoi(value);
        if (wanted >= 2 && wanted <= 254)
            net = wanted;
    }
    return "127." + std::to_string(net) + "." + std::to_string(sizeof(void*) * 8) + "." + std::to_string(n);
}

std::string UnixPath(const std::string& windowsPath)
{
    using UnixNameFunction = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixNameFunction>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName)
        return windowsPath;
    const int length = ::MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(length));
    ::MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide.data(), length);
    char* name = unixName(wide.data());
    if (!name)
        return windowsPath;
    std::string path = name;
    ::HeapFree(::GetProcessHeap(), 0, name);
    return path;
}

bool Connects(const std::string& address, unsigned short port, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        SOCKET s = Connect(address, port);
        if (s != INVALID_SOCKET) {
            ::closesocket(s);
            return true;
        }
        if (::GetTickCount() - start >= timeoutMs)
            return false;
        ::Sleep(50);
    }
}

LoopbackServer::LoopbackServer(std::string address, const GameFolder& root, Kind kind, const std::string& ports)
    : address_(std::move(address)), root_(root.Path())
{
    std::string commandLine = "Z:\\usr\\bin\\python3 " KILN_HTTP_SERVER_SCRIPT " --address " + address_ +
                              " --root " + UnixPath(root_);
    switch (kind) {
    case Kind::Scripted:
        commandLine += " --ports " + ports;
        port_ = static_cast<unsigned short>(std::stoi(ports));
        break;
    case Kind::Tls:
        commandLine += " --tls";
        port_ = 443;
        break;
    case Kind::Nginx:
        commandLine += " --nginx";
        break;
    }
    // A host program started from Wine gets no waitable handle: the lifeline stops it.
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return;
    if (process.hThread)
        ::CloseHandle(process.hThread);
    if (process.hProcess)
        ::CloseHandle(process.hProcess);
    // A TLS server may first wait for port 443 to be free of other checkouts' servers.
    const DWORD startLimit = kind == Kind::Tls ? 170000 : 20000;
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < startLimit) {
        // Until its certificate exists the TLS server waits for the lock, and port 81 may
        // still belong to another checkout's server.
        if (kind == Kind::Tls && ::GetFileAttributesA((root_ + "cert.der").c_str()) == INVALID_FILE_ATTRIBUTES) {
            ::Sleep(50);
            continue;
        }
        const SOCKET lifeline = Connect(address_, 81);
        if (lifeline != INVALID_SOCKET) {
            lifeline_ = lifeline;
            return;
        }
        ::Sleep(50);
    }
}

LoopbackServer::~LoopbackServer()
{
    if (lifeline_ == kNoSocket)
        return;
    ::closesocket(static_cast<SOCKET>(lifeline_));
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 5000 && Connects(address_, port_, 0))
        ::Sleep(50);
}

std::string LoopbackServer::RequestLog() const
{
    return ReadFileText(root_ + "requests.log");
}

}  // namespace KilnTest
