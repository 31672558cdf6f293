#pragma once

#include <windows.h>

#include "kiln/base/scoped_win.h"

namespace Kiln {

// A fixed set of unnamed manual-reset events, created not signalled, for the media streams.
class CEventList {
public:
    static constexpr int kCount = 2;

    CEventList();
    CEventList(const CEventList&) = delete;
    CEventList& operator=(const CEventList&) = delete;

    int GetCount() const { return kCount; }
    // False when an event could not be created; those after it are then null too.
    bool IsReady() const { return ready_; }
    HANDLE GetEvent(int index) const;

private:
    bool ready_ = false;
    UniqueHandle events_[kCount];
};

}  // namespace Kiln
