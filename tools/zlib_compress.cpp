// Build tool: compresses a file as one zlib stream at the maximum level (header
// bytes 0x78 0xDA), the form of the uninstaller resource (149).
//
//   zlib_compress INPUT OUTPUT
#include <zlib.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: zlib_compress INPUT OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "zlib_compress: cannot read " << argv[1] << "\n";
        return 1;
    }
    const std::vector<unsigned char> data(std::istreambuf_iterator<char>(in), {});
    uLongf size = compressBound(data.size());
    std::vector<unsigned char> out(size);
    const int result = compress2(out.data(), &size, data.data(), data.size(), Z_BEST_COMPRESSION);
    if (result != Z_OK) {
        std::cerr << "zlib_compress: compress2() failed: " << result << "\n";
        return 1;
    }
    out.resize(size);
    std::ofstream file(argv[2], std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    file.close();
    if (!file) {
        std::cerr << "zlib_compress: cannot write " << argv[2] << "\n";
        return 1;
    }
    std::cout << argv[2] << ": " << data.size() << " bytes, " << out.size() << " compressed\n";
    return 0;
}
