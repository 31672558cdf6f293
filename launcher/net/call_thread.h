#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Under Wine a WinINet call blocked on a stalled server does not return when its handles are
// closed from another thread (synchronous or asynchronous mode alike). So a request never
// makes a WinINet call on its own thread: it hands each call to a thread of its own and waits
// for the call to end or for the cancel event, whichever comes first. A cancelled request
// leaves at once; the call thread finishes the call it is in whenever WinINet gives control
// back, then closes the handles and frees the buffers. Only that thread ever touches the
// handles, so a closed handle value is never used again by mistake.
namespace Launcher::HTTPConnection {

// What one request's WinINet calls work on. While a call runs only the call thread touches
// it (but for the atomics); the request's thread uses it between calls.
struct WinINetSession {
    HINTERNET internet = nullptr;
    HINTERNET connect = nullptr;
    HINTERNET request = nullptr;
    std::vector<char> buffer;  // one read's worth
    std::string body;          // what has arrived
    // Polled while a call runs.
    std::atomic<uint64_t> received{0};
    // Set when the request has left: a running call stops at its next chance.
    std::atomic<bool> abandoned{false};

    WinINetSession() = default;
    WinINetSession(const WinINetSession&) = delete;
    WinINetSession& operator=(const WinINetSession&) = delete;
    ~WinINetSession() { Close(); }
    // Closes the request, connection and Internet handles in that order.
    void Close();
};

class CallThread {
public:
    enum class Outcome { Succeeded, Failed, Cancelled, GivenUp };
    // A call returns whether it succeeded; it must capture nothing of the caller's stack or
    // record, only values, since a cancelled call goes on after its caller has left.
    using Call = std::function<bool(WinINetSession&)>;

    // Null when no thread can be started.
    static std::unique_ptr<CallThread> Start();
    // Lets the thread end: after its last call it closes the handles and frees the buffer.
    ~CallThread();
    CallThread(const CallThread&) = delete;
    CallThread& operator=(const CallThread&) = delete;

    // Runs `call` and waits for its end or for `cancel` (may be null: no cancelling), calling
    // `whileWaiting` (when given) every few milliseconds meanwhile; when that returns false
    // the call is given up as a cancel would. After Cancelled or GivenUp the object accepts
    // no further call.
    Outcome Run(Call call, HANDLE cancel, const std::function<bool()>& whileWaiting = {});

    // The session: its atomics at any time, the rest only between calls.
    WinINetSession& Session();

private:
    struct Shared;
    explicit CallThread(std::shared_ptr<Shared> shared);
    static DWORD WINAPI Main(void* parameter);

    std::shared_ptr<Shared> shared_;
    bool cancelled_ = false;
};

}  // namespace Launcher::HTTPConnection
