#pragma once
// Temporary files of the tests: named with the process id, so test processes running at
// once (ctest -j, several build folders on one machine) never share one, and removed when
// the process ends.

#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <unistd.h>

// The path of name ("stem.ext") in the temporary folder as "stem_PID.ext".
inline std::string TestTempPath(std::string_view name)
{
    struct TRemoveAtExit {
        std::mutex mutex;
        std::vector<std::filesystem::path> paths;
        ~TRemoveAtExit()
        {
            std::error_code ec;
            for (const auto& path : paths)
                std::filesystem::remove(path, ec);
        }
    };
    static TRemoveAtExit removeAtExit;
    const std::filesystem::path given(name);
    std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        (given.stem().string() + "_" + std::to_string(::getpid()) + given.extension().string());
    const std::lock_guard lock(removeAtExit.mutex);
    removeAtExit.paths.push_back(path);
    return path.string();
}
