// Cartridge loading: a raw ROM dump, no header, read into the image that the machine maps
// from CPU address 0.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "machine/machine_internal.h"

namespace plexaro {
namespace {

struct CartridgeState {
    uint8_t image[RomImageSize];
    // A load reads here first, so that a failed read leaves the running cartridge's image
    // whole and a reset after it still restarts that cartridge.
    uint8_t staging[RomImageSize];
    uint64_t loadedFileSize;
    uint64_t generation;
};

CartridgeState cartridge = {};

}  // namespace

const uint8_t* RomImage() {
    return cartridge.image;
}

void ClearRomImage() {
    std::memset(cartridge.image, 0, RomImageSize);
    ++cartridge.generation;
}

uint64_t RomImageGeneration() {
    return cartridge.generation;
}

uint64_t LoadedFileSize() {
    return cartridge.loadedFileSize;
}

const char* TruncatedLoadWarning(char* buffer, size_t size) {
    if (cartridge.loadedFileSize <= RomImageSize || size == 0) return nullptr;
    std::snprintf(buffer, size, "is %" PRIu64 " bytes long; only its first %zu bytes are loaded.",
                  cartridge.loadedFileSize, RomImageSize);
    return buffer;
}

int ReadImageFile(const char* path, uint8_t* buffer, size_t offset, size_t length) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return 1;
    const bool read = length > 0 && std::fread(buffer + offset, length, 1, file) == 1;
    std::fclose(file);
    return read ? 0 : 1;
}

const char* LoadCartridge(const char* path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status)) return "Unable to stat file.";
    // Anything but a regular file exists but is not a cartridge image, and is never opened:
    // a directory has nothing to read, a FIFO would wait for a writer forever, and a device
    // such as /dev/zero never ends.
    if (!std::filesystem::is_regular_file(status)) return "Can't find Rom !";
    const uint64_t size = std::filesystem::file_size(path, error);
    if (error) return "Unable to stat file.";

    std::memset(cartridge.staging, 0, RomImageSize);
    const size_t length = static_cast<size_t>(std::min<uint64_t>(size, RomImageSize));
    if (ReadImageFile(path, cartridge.staging, 0, length) != 0) return "Can't find Rom !";

    std::swap_ranges(cartridge.image, cartridge.image + RomImageSize, cartridge.staging);
    if (const char* failure = InitMachine(RecordedRowStride())) {
        // The machine still runs the old program: keep the image it was started from.
        std::swap_ranges(cartridge.image, cartridge.image + RomImageSize, cartridge.staging);
        return failure;
    }
    cartridge.loadedFileSize = size;
    ++cartridge.generation;
    return nullptr;
}

}  // namespace plexaro
