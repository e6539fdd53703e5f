// UTF-8 text to std::filesystem paths and back, the same on every system: through char8_t,
// which the standard library converts as UTF-8 where a plain char would be the code page.
#include <filesystem>
#include <string>

#include "host/os/os.h"

namespace plexaro {

std::filesystem::path PathOf(const std::string& text) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

std::string TextOf(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

}  // namespace plexaro
