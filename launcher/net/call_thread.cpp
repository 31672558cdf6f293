#include "launcher/net/call_thread.h"

#include <utility>

#include "kiln/base/scoped_win.h"

namespace Launcher::HTTPConnection {

void WinINetSession::Close()
{
    for (HINTERNET* handle : {&request, &connect, &internet}) {
        if (*handle)
            ::InternetCloseHandle(std::exchange(*handle, nullptr));
    }
    std::vector<char>().swap(buffer);
    std::string().swap(body);
}

struct CallThread::Shared {
    Kiln::UniqueHandle callReady{::CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    Kiln::UniqueHandle callDone{::CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    Call call;
    bool succeeded = false;
    WinINetSession session;
};

std::unique_ptr<CallThread> CallThread::Start()
{
    auto shared = std::make_shared<Shared>();
    if (!shared->callReady || !shared->callDone)
        return nullptr;
    // The thread owns one reference of its own, so the session outlives an abandoned call.
    auto* threadReference = new std::shared_ptr<Shared>(shared);
    Kiln::UniqueHandle thread(::CreateThread(nullptr, 0, Main, threadReference, 0, nullptr));
    if (!thread) {
        delete threadReference;
        return nullptr;
    }
    return std::unique_ptr<CallThread>(new CallThread(std::move(shared)));
}

CallThread::CallThread(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

CallThread::~CallThread()
{
    shared_->session.abandoned = true;
    ::SetEvent(shared_->callReady.Get());
}

DWORD WINAPI CallThread::Main(void* parameter)
{
    std::shared_ptr<Shared> shared = std::move(*static_cast<std::shared_ptr<Shared>*>(parameter));
    delete static_cast<std::shared_ptr<Shared>*>(parameter);
    for (;;) {
        ::WaitForSingleObject(shared->callReady.Get(), INFINITE);
        if (shared->session.abandoned)
            break;
        try {
            shared->succeeded = shared->call(shared->session);
        } catch (...) {
            shared->succeeded = false;
        }
        shared->call = nullptr;
        ::SetEvent(shared->callDone.Get());
    }
    shared->session.Close();
    return 0;
}

CallThread::Outcome CallThread::Run(Call call, HANDLE cancel, const std::function<bool()>& whileWaiting)
{
    constexpr DWORD kPollMs = 10;
    if (cancelled_)
        return Outcome::Cancelled;
    shared_->call = std::move(call);
    ::SetEvent(shared_->callReady.Get());
    const HANDLE waits[] = {shared_->callDone.Get(), cancel};
    const DWORD count = cancel ? 2 : 1;
    DWORD woken;
    while ((woken = ::WaitForMultipleObjects(count, waits, FALSE, whileWaiting ? kPollMs : INFINITE)) == WAIT_TIMEOUT) {
        if (!whileWaiting()) {
            cancelled_ = true;
            return Outcome::GivenUp;
        }
    }
    if (woken == WAIT_OBJECT_0)
        return shared_->succeeded ? Outcome::Succeeded : Outcome::Failed;
    // Cancelled (or the wait itself failed): the call goes on alone and ends the thread.
    cancelled_ = true;
    return Outcome::Cancelled;
}

WinINetSession& CallThread::Session()
{
    return shared_->session;
}

}  // namespace Launcher::HTTPConnection
