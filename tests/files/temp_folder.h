#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace velmora::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
// ctest runs tests in parallel processes, so the name is random.
class TempFolder {
public:
    TempFolder()
    {
        std::random_device seed;
        std::mt19937_64 rng(seed());
        m_path =
            std::filesystem::temp_directory_path() / ("velmora-files-" + std::to_string(rng()));
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const std::filesystem::path &path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace velmora::test
