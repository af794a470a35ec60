#pragma once
// A file side that only records what the parser asked for.
#include <map>
#include <string>
#include <vector>

#include "package/PackageParser.h"

class FakePackageFiles : public PackageFiles {
public:
    explicit FakePackageFiles(unsigned long platform = 2) : platform_(platform) {}

    unsigned long Platform() override
    {
        ++platformQueries;
        return platform_;
    }
    void Open(const std::string& path) override
    {
        events.push_back("open " + path);
        current = path;
        contents[path].clear();
    }
    void Write(const unsigned char* bytes, std::size_t count) override
    {
        contents[current].append(reinterpret_cast<const char*>(bytes), count);
        writeSizes.push_back(count);
    }
    void Close() override { events.push_back("close " + current); }

    std::vector<std::string> events;
    std::map<std::string, std::string> contents;
    std::vector<std::size_t> writeSizes;
    int platformQueries = 0;

private:
    unsigned long platform_;
    std::string current;
};
