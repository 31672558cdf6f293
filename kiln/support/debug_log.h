#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "kiln/base/singleton.h"
#include "kiln/support/critical_section.h"

namespace Kiln {

// The debug log: formatted lines collected in memory for the life of the process.
class CGDebug : public singleton<CGDebug> {
public:
    CGDebug();
    ~CGDebug() override;

private:
    // Room for named timing entries; this program logs only text, so they stay empty.
    std::vector<uint64_t> entries_;
    std::unordered_map<std::string, uint32_t> entryIndex_;
    uint32_t entryCount_ = 0;
    uint32_t frameCount_ = 0;
    std::shared_ptr<CCriticalSection> logLock_;
};

// Appends printf-style text to the log, at most 4095 characters per call.
void Print(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

// A copy of everything logged so far (for diagnostics and tests).
std::string GetLogText();

}  // namespace Kiln
