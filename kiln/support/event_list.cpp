#include "kiln/support/event_list.h"

namespace Kiln {

CEventList::CEventList()
{
    for (UniqueHandle& event : events_) {
        event.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        if (!event)
            return;
    }
    ready_ = true;
}

HANDLE CEventList::GetEvent(int index) const
{
    return index >= 0 && index < kCount ? events_[index].Get() : nullptr;
}

}  // namespace Kiln
