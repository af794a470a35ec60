// Benchmark tool: runs one piece of the installer's own code on its own and
// prints how long it took (seconds, one line "seconds=..."). Built natively
// (the limit the installer is held against) and for Windows (the same code as
// compiled into the installer, run under Wine).
//
//   bench_tool sdk STREAM          the LZMA SDK decoder alone, 128 KiB pieces, output dropped
//   bench_tool package STREAM DIR  the installer's decoder and parser, writing the files into DIR
//   bench_tool selfcheck FILE      the installer's integrity self-check of FILE
//   bench_tool idle                nothing: the memory a program of this build needs at all
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "package/FileConsistency.h"
#include "package/LzmaPackageDecoder.h"
#include "package/PackageParser.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes ReadWholeFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error(std::string("cannot read ") + path);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The installer's decoding loop without the parser behind it.
void DecodeWithSdkOnly(const Bytes& stream)
{
    DecodeLzmaStream(stream.data(), stream.size(), [](const unsigned char*, std::size_t) {});
}

struct StdioFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The installer's file side (WriteFilesFromLzmaStream) over stdio: each piece
// written as it comes.
class FolderFiles : public PackageFiles {
public:
    unsigned long Platform() override { return 2; }  // the NT family
    void Open(const std::string& path) override
    {
        std::string native = path;
#ifndef _WIN32
        std::replace(native.begin(), native.end(), '\\', '/');  // the parser joins names the Windows way
#endif
        file_.reset(std::fopen(native.c_str(), "wb"));
        if (!file_)
            throw std::runtime_error("cannot create " + path);
    }
    void Write(const unsigned char* bytes, std::size_t count) override
    {
        if (std::fwrite(bytes, 1, count, file_.get()) != count)
            throw std::runtime_error("write failed");
    }
    void Close() override { file_.reset(); }

private:
    std::unique_ptr<std::FILE, StdioFileCloser> file_;
};

template <typename Work>
void Timed(Work work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("seconds=%.6f\n", elapsed.count());
}

int Run(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "sdk" && argc == 3) {
        const Bytes stream = ReadWholeFile(argv[2]);
        Timed([&] { DecodeWithSdkOnly(stream); });
    } else if (mode == "package" && argc == 4) {
        const Bytes stream = ReadWholeFile(argv[2]);
        FolderFiles files;
        PackageParser parser(files, argv[3], std::string(argv[3]) + "/uninst.exe");
        Timed([&] {
            DecodeLzmaPackage(stream.data(), stream.size(), parser);
            files.Close();
        });
    } else if (mode == "selfcheck" && argc == 3) {
        bool verified = false;
        Timed([&] { verified = VerifyFileConsistency(argv[2]); });
        if (!verified)
            throw std::runtime_error(std::string(argv[2]) + " does not verify");
    } else if (mode == "idle" && argc == 2) {
        Timed([] {});
    } else {
        std::fprintf(stderr, "usage: bench_tool sdk STREAM | package STREAM DIR | selfcheck FILE | idle\n");
        return 2;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_tool: %s\n", e.what());
        return 1;
    }
}
