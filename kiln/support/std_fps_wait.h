#pragma once

#include <cstdint>

#include "kiln/base/kiln_interface.h"

namespace Kiln {

// Frame pacer: tells the caller how long to wait before the next frame.
class IStdFPSWait : public IKilnInterface {
public:
    // Set when the last frame ended so late that the caller may skip drawing one.
    virtual bool IsSkipFrame() = 0;
    // Does nothing when already started or for 0 frames per second.
    virtual void Start(uint32_t framesPerSecond) = 0;
    virtual void Stop() = 0;
    // Milliseconds still to wait before the next frame; 0 means go on at once.
    virtual uint32_t Wait() = 0;
};

class CStdFPSWait : public RefCounted<IStdFPSWait> {
public:
    // A millisecond clock; the standard service passes timeGetTime.
    using Clock = uint32_t (*)();

    explicit CStdFPSWait(Clock clock);

    bool IsSkipFrame() override { return skipFrame_; }
    void Start(uint32_t framesPerSecond) override;
    void Stop() override;
    uint32_t Wait() override;

private:
    Clock clock_;
    bool started_ = false;
    uint32_t frameStep_ = 0;  // milliseconds per frame, 16.16 fixed point
    uint32_t accumulator_ = 0;  // the low 16 bits carry the fraction over to the next frame
    uint32_t lastFrameTime_ = 0;
    uint32_t frameRate_ = 0;
    bool skipFrame_ = false;
};

}  // namespace Kiln
