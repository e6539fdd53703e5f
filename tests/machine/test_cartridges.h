// Where the tests find our cartridges, and scratch files for loading tests.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace plexaro::testing {

inline std::string CartridgePath(const char* name) {
    return std::string(PLEXARO_BINARY_DIR) + "/cartridges/tests/" + name + ".sg";
}

// An empty directory of the test's own under the system's temporary folder. The test
// removes it with RemoveScratch when it is done.
inline std::filesystem::path MakeScratch(const char* name) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("plexaro-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    return path;
}

inline void RemoveScratch(const std::filesystem::path& path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

inline std::string WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace plexaro::testing
