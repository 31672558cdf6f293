#pragma once

#include <type_traits>
#include <utility>

namespace Kiln {

// Runs `body` and returns what it returns; anything it throws becomes `fallback`. Every
// procedure and callback handed to Windows (or to another module) runs its work through this:
// an exception must never unwind through frames that are not ours, which the i686 unwinder
// cannot cross, so the process would end. The fallback is the failure the caller already
// knows (FALSE, a missing picture, a closed page).
template <class Result, class Body>
Result CatchAll(Result fallback, Body&& body) noexcept
{
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return fallback;
    }
}

// The same for work that returns nothing: what it throws is dropped.
template <class Body, class = std::enable_if_t<std::is_invocable_v<Body>>>
void CatchAll(Body&& body) noexcept
{
    try {
        std::forward<Body>(body)();
    } catch (...) {
    }
}

}  // namespace Kiln
