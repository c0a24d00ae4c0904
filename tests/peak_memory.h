#pragma once
// The peak resident memory of the test process around an action, from the kernel's
// accounting, for tests that check that reading a huge file needs bounded memory.

#include <cstddef>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

namespace trophex::memory {

// A value of /proc/self/status, in bytes.
inline std::size_t statusBytes(const std::string& key)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key + ":", 0) == 0)
            return std::stoull(line.substr(key.size() + 1)) * 1024;
    return 0;
}

// How far the peak resident memory of this process rose above its size before the action,
// from the kernel's high-water mark, which is reset first; nullopt where it cannot be reset
// (the action runs all the same).
inline std::optional<std::size_t> peakMemoryGrowth(const std::function<void()>& action)
{
    const bool reset = static_cast<bool>(std::ofstream("/proc/self/clear_refs") << "5" << std::flush);
    const std::size_t before = statusBytes("VmRSS");
    action();
    if (!reset)
        return std::nullopt;
    const std::size_t peak = statusBytes("VmHWM");
    return peak > before ? peak - before : 0;
}

}  // namespace trophex::memory
