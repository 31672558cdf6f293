#include "kiln/support/debug_log.h"

#include <cstdarg>
#include <cstdio>

namespace Kiln {
namespace {

// The lock and the text outlive every CGDebug: lines may still be logged during teardown.
// Function statics are created thread-safely on first use.
const std::shared_ptr<CCriticalSection>& LogLock()
{
    static const std::shared_ptr<CCriticalSection> lock = std::make_shared<CCriticalSection>();
    return lock;
}

std::string& LogText()
{
    static std::string text;
    return text;
}

}  // namespace

CGDebug::CGDebug() : entryIndex_(8), logLock_(LogLock())
{
    entries_.reserve(10);
    entryIndex_.max_load_factor(4.0f);
}

CGDebug::~CGDebug() = default;

void Print(const char* format, ...)
{
    char line[4096];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (length < 0)
        return;
    CKilnAutoLock lock(LogLock().get());
    LogText() += line;
}

std::string GetLogText()
{
    CKilnAutoLock lock(LogLock().get());
    return LogText();
}

}  // namespace Kiln
