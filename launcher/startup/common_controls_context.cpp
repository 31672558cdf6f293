#include "launcher/startup/common_controls_context.h"

#include "resources/resource.h"

namespace Launcher {

CommonControlsContext::CommonControlsContext(HINSTANCE instance)
{
    ACTCTXW request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.hModule = instance;
    request.lpResourceName = MAKEINTRESOURCEW(IDR_COMMON_CONTROLS);
    context_ = ::CreateActCtxW(&request);
    // Without it the window still opens, in the older controls.
    if (context_ != INVALID_HANDLE_VALUE)
        active_ = ::ActivateActCtx(context_, &cookie_) != FALSE;
}

CommonControlsContext::~CommonControlsContext()
{
    if (active_)
        ::DeactivateActCtx(0, cookie_);
    if (context_ != INVALID_HANDLE_VALUE)
        ::ReleaseActCtx(context_);
}

}  // namespace Launcher
