#pragma once

#include <cstddef>
#include <functional>

// Heap bytes this process holds, counted at every allocation and release (operator new and
// every malloc of the libraries alike), and the most it held while a piece of work ran.
namespace KilnTest::PeakAllocation {

// False where this build cannot count (Windows): the caller skips its measurement.
bool Available();

// The most heap the work held at once beyond what was held when it started.
size_t During(const std::function<void()>& work);

}  // namespace KilnTest::PeakAllocation
