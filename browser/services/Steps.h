#pragma once

#include <exception>
#include <utility>

namespace velmora::services {

// Runs one step of a handler whose failing steps are skipped: a failure of
// the step ends that step only. Returns whether the step completed.
template<typename F>
bool step(F &&f) noexcept
{
    try {
        std::forward<F>(f)();
        return true;
    } catch (const std::exception &) {
        return false;
    } catch (...) {
        return false;
    }
}

} // namespace velmora::services
