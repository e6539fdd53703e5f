// Builds a mapper cartridge from an assembled first page: that page (filled out with 0xFF to
// 16 KB), then pages 1 to N-1, each of whose bytes is its own page number, so that a program
// can tell from any byte it reads which page a slot shows.
//
//     plexaro-pages OUT.sg PAGES FIRST_PAGE.bin
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    constexpr size_t PageSize = 0x4000;
    if (argc != 4) {
        std::fprintf(stderr, "usage: plexaro-pages OUT PAGES FIRST_PAGE\n");
        return 2;
    }
    const long pages = std::strtol(argv[2], nullptr, 10);
    std::vector<unsigned char> image(PageSize * static_cast<size_t>(pages > 1 ? pages : 1), 0xFF);
    std::FILE* in = std::fopen(argv[3], "rb");
    if (in == nullptr) return 1;
    const size_t read = std::fread(image.data(), 1, PageSize + 1, in);
    std::fclose(in);
    if (read == 0 || read > PageSize) {
        std::fprintf(stderr, "plexaro-pages: the first page must hold 1 to 16384 bytes\n");
        return 1;
    }
    for (size_t at = PageSize; at < image.size(); ++at) {
        image[at] = static_cast<unsigned char>(at / PageSize);
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) return 1;
    const bool written = std::fwrite(image.data(), image.size(), 1, out) == 1;
    return std::fclose(out) == 0 && written ? 0 : 1;
}
