// Build tool: writes the package resource (148) from a manifest.
//
//   make_package [--search DIR]... MANIFEST OUTPUT
//
// Manifest: one entry per line, in package order; '#' starts a comment line.
//   NAME SOURCE [platform=MASK] [uninstaller]
// NAME is the file name as installed (double quotes allow spaces), SOURCE the
// file whose bytes it carries: an absolute path, or a relative one looked up in
// the --search folders in order, then beside the manifest. platform=1 installs
// the entry on the NT family only, platform=2 on Windows 98/Me only.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "PackageWriter.h"

namespace fs = std::filesystem;

namespace {

struct Options {
    std::vector<fs::path> search;
    fs::path manifest;
    fs::path output;
};

Options ParseArguments(int argc, char** argv)
{
    Options options;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--search" && i + 1 < argc)
            options.search.emplace_back(argv[++i]);
        else if (arg.rfind("--", 0) == 0)
            throw std::runtime_error("unknown option " + arg);
        else
            positional.push_back(arg);
    }
    if (positional.size() != 2)
        throw std::runtime_error("usage: make_package [--search DIR]... MANIFEST OUTPUT");
    options.manifest = positional[0];
    options.output = positional[1];
    return options;
}

// Splits a line at blanks; a token that begins with a double quote runs to the
// next double quote.
std::vector<std::string> Tokens(const std::string& line, const std::string& where)
{
    std::vector<std::string> tokens;
    std::size_t pos = 0;
    while (true) {
        pos = line.find_first_not_of(" \t\r", pos);
        if (pos == std::string::npos)
            return tokens;
        if (line[pos] == '"') {
            const std::size_t end = line.find('"', pos + 1);
            if (end == std::string::npos)
                throw std::runtime_error(where + ": unterminated quote");
            tokens.push_back(line.substr(pos + 1, end - pos - 1));
            pos = end + 1;
        } else {
            const std::size_t end = line.find_first_of(" \t\r", pos);
            tokens.push_back(line.substr(pos, end - pos));
            pos = end;
        }
    }
}

fs::path FindSource(const std::string& source, const Options& options, const std::string& where)
{
    const fs::path path(source);
    if (path.is_absolute())
        return path;
    std::vector<fs::path> folders = options.search;
    folders.push_back(options.manifest.parent_path());
    for (const fs::path& folder : folders) {
        if (fs::is_regular_file(folder / path))
            return folder / path;
    }
    throw std::runtime_error(where + ": source file not found: " + source);
}

Bytes ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

PackageEntry ParseEntry(const std::vector<std::string>& tokens, const Options& options, const std::string& where)
{
    if (tokens.size() < 2)
        throw std::runtime_error(where + ": expected NAME SOURCE [platform=MASK] [uninstaller]");
    PackageEntry entry;
    entry.name = tokens[0];
    if (entry.name.empty())
        throw std::runtime_error(where + ": empty file name");
    entry.data = ReadFile(FindSource(tokens[1], options, where));
    for (std::size_t i = 2; i < tokens.size(); ++i) {
        const std::string& option = tokens[i];
        if (option == "uninstaller") {
            entry.uninstaller = true;
        } else if (option.rfind("platform=", 0) == 0) {
            const std::string value = option.substr(9);
            if (value != "1" && value != "2" && value != "3")
                throw std::runtime_error(where + ": platform must be 1 (NT), 2 (98/Me) or 3 (both)");
            entry.platformMask = std::stoi(value);
        } else {
            throw std::runtime_error(where + ": unknown option " + option);
        }
    }
    return entry;
}

void WriteFile(const fs::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const Options options = ParseArguments(argc, argv);
        std::ifstream manifest(options.manifest);
        if (!manifest)
            throw std::runtime_error("cannot read " + options.manifest.string());
        Bytes package;
        int entries = 0, lineNumber = 0;
        for (std::string line; std::getline(manifest, line);) {
            const std::string where = options.manifest.string() + ":" + std::to_string(++lineNumber);
            const std::vector<std::string> tokens = Tokens(line, where);
            if (tokens.empty() || tokens[0][0] == '#')
                continue;
            AppendEntry(package, ParseEntry(tokens, options, where));
            ++entries;
        }
        if (entries == 0)
            throw std::runtime_error(options.manifest.string() + ": no entries");
        const Bytes compressed = CompressLzmaAlone(package);
        WriteFile(options.output, compressed);
        std::cout << options.output.string() << ": " << entries << " entries, " << package.size()
                  << " bytes unpacked, " << compressed.size() << " bytes compressed\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "make_package: " << e.what() << "\n";
        return 1;
    }
}
