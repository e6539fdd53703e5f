// Cartridge loading: a raw ROM dump, no header, from a file or from bytes a host already holds,
// copied into the image that the machine maps from CPU address 0.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "machine/board.h"
#include "machine/machine_internal.h"
#include "machine/sc3000.h"

namespace plexaro {
namespace {

struct CartridgeState {
    uint8_t image[MapperImageLimit];
    // A load reads here first, so that a failed read leaves the running cartridge's image
    // whole and a reset after it still restarts that cartridge.
    uint8_t staging[MapperImageLimit];
    size_t length, stagingLength;        // bytes in use beyond RomImageSize: whole 16 KB pages
    uint64_t fileSize, stagingFileSize;  // of the file the image holds, at most 1 MB
    uint64_t loadedFileSize;
    uint64_t generation;
};

CartridgeState cartridge = {};  // all zeros: kept out of the program file

// Up to 40960 bytes an image is that much, zeros after the file as it has always been;
// a larger one is whole 16 KB pages, its last one filled out with 0xFF like an empty ROM.
size_t ImageLength(uint64_t fileSize) {
    if (fileSize <= RomImageSize) return RomImageSize;
    return static_cast<size_t>((fileSize + MapperPageSize - 1) / MapperPageSize * MapperPageSize);
}

// Paths are UTF-8. Made through char8_t, a path is that on every system; from plain char
// Windows would read it in the ANSI code page and miss any name outside it.
std::filesystem::path FilePath(const char* path) {
    return std::filesystem::path(std::u8string_view(reinterpret_cast<const char8_t*>(path)));
}

}  // namespace

const uint8_t* RomImage() {
    return cartridge.image;
}

size_t RomImageLength() {
    return std::max(cartridge.length, RomImageSize);
}

uint64_t ImageFileSize() {
    return cartridge.fileSize;
}

void ClearRomImage() {
    std::memset(cartridge.image, 0, RomImageLength());
    cartridge.length = 0;
    cartridge.fileSize = 0;
    ++cartridge.generation;
}

uint64_t RomImageGeneration() {
    return cartridge.generation;
}

uint64_t LoadedFileSize() {
    return cartridge.loadedFileSize;
}

const char* TruncatedLoadWarning(char* buffer, size_t size) {
    const uint64_t file = cartridge.loadedFileSize;
    if (size == 0) return nullptr;
    if (file > MapperImageLimit) {
        std::snprintf(buffer, size,
                      "is %" PRIu64 " bytes long; only its first %zu bytes are loaded.", file,
                      MapperImageLimit);
    } else if (file > Rom48ImageLimit && file % MapperPageSize != 0) {
        std::snprintf(buffer, size,
                      "is %" PRIu64 " bytes long, not whole 16 KB pages; the rest reads 0xFF.",
                      file);
    } else {
        return nullptr;
    }
    return buffer;
}

int ReadImageFile(const char* path, uint8_t* buffer, size_t length) {
    std::ifstream file(FilePath(path), std::ios::binary);
    if (!file || length == 0) return 1;
    file.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(length));
    return file.gcount() == static_cast<std::streamsize>(length) ? 0 : 1;
}

const char* LoadCartridgeBytes(const uint8_t* data, uint64_t size) {
    if (data == nullptr || size == 0) return "Can't find Rom !";
    const size_t read = static_cast<size_t>(std::min<uint64_t>(size, MapperImageLimit));
    const size_t length = ImageLength(read);
    std::memset(cartridge.staging, 0, std::max({length, cartridge.stagingLength, RomImageSize}));
    std::memcpy(cartridge.staging, data, read);
    if (read > RomImageSize) std::memset(cartridge.staging + read, 0xFF, length - read);
    cartridge.stagingLength = length;
    cartridge.stagingFileSize = read;

    const auto swap = [] {
        const size_t longer = std::max({cartridge.length, cartridge.stagingLength, RomImageSize});
        std::swap_ranges(cartridge.image, cartridge.image + longer, cartridge.staging);
        std::swap(cartridge.length, cartridge.stagingLength);
        std::swap(cartridge.fileSize, cartridge.stagingFileSize);
    };
    swap();
    CartridgeChanged(true);
    if (const char* failure = InitMachine(RecordedRowStride())) {
        // The machine still runs the old program: keep the image it was started from.
        swap();
        return failure;
    }
    cartridge.loadedFileSize = size;
    ++cartridge.generation;
    return nullptr;
}

const char* LoadCartridge(const char* path) {
    std::error_code error;
    const auto status = std::filesystem::status(FilePath(path), error);
    if (error || !std::filesystem::exists(status)) return "Unable to stat file.";
    // Anything but a regular file exists but is not a cartridge image, and is never opened:
    // a directory has nothing to read, a FIFO would wait for a writer forever, and a device
    // such as /dev/zero never ends.
    if (!std::filesystem::is_regular_file(status)) return "Can't find Rom !";
    const uint64_t size = std::filesystem::file_size(FilePath(path), error);
    if (error) return "Unable to stat file.";
    // Only what a board can map is read: the rest of a long file is never needed.
    std::vector<uint8_t> bytes(static_cast<size_t>(std::min<uint64_t>(size, MapperImageLimit)));
    if (ReadImageFile(path, bytes.data(), bytes.size()) != 0) return "Can't find Rom !";
    NameNextCartridge(path);
    return LoadCartridgeBytes(bytes.data(), size);
}

}  // namespace plexaro
