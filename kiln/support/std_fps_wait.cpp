#include "kiln/support/std_fps_wait.h"

namespace Kiln {
namespace {

// A frame lasts 1001 / fps milliseconds (the NTSC-style rate), in 16.16 fixed point.
constexpr uint32_t kFrameStepNumerator = 0x3E90000;

}  // namespace

CStdFPSWait::CStdFPSWait(Clock clock) : clock_(clock) {}

void CStdFPSWait::Start(uint32_t framesPerSecond)
{
    if (started_ || framesPerSecond == 0)
        return;
    frameRate_ = framesPerSecond;
    frameStep_ = kFrameStepNumerator / framesPerSecond;
    lastFrameTime_ = clock_();
    started_ = true;
}

void CStdFPSWait::Stop()
{
    if (!started_)
        return;
    frameStep_ = 0;
    accumulator_ = 0;
    lastFrameTime_ = 0;
    started_ = false;
}

uint32_t CStdFPSWait::Wait()
{
    if (!started_)
        return 0;
    const uint32_t now = clock_();
    accumulator_ = (accumulator_ & 0xFFFF) + frameStep_;
    const uint32_t period = accumulator_ >> 16;
    const uint32_t elapsed = now - lastFrameTime_;  // wraps with the clock
    if (elapsed < period) {
        lastFrameTime_ += period;
        skipFrame_ = false;
        return period - elapsed;
    }
    uint32_t late = elapsed - period;
    // Far behind (a stall, a dragged window): start afresh instead of racing to catch up.
    if (late >= uint64_t{4} * frameRate_)
        late = 0;
    skipFrame_ = late >= 3 * period;
    lastFrameTime_ = now - late;
    return 0;
}

}  // namespace Kiln
