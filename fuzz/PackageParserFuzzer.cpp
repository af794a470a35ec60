// The package parser on any unpacked bytes, fed in pieces cut anywhere: what it
// opens, writes and closes, and the error it ends with, must equal a plain
// reading of the whole package by the message rules (PackageFormat.h).
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "ZeRizIva/Exceptions.h"
#include "ZeRizIva/Text.h"
#include "package/PackageFormat.h"
#include "package/PackageParser.h"

namespace {

const std::string kDirectory = "C:\\Target";
const std::string kUninstaller = "C:\\Target\\uninst.exe";
constexpr unsigned long kPlatformNt = 2;

struct Outcome {
    std::vector<std::string> events;
    std::map<std::string, std::string> contents;
    std::string error;

    bool operator==(const Outcome&) const = default;
};

// Records the calls and checks their order: one file at a time, writes only
// into an open file, the platform asked once.
class RecordingFiles : public PackageFiles {
public:
    RecordingFiles(unsigned long platform, Outcome& outcome) : platform_(platform), outcome_(outcome) {}

    unsigned long Platform() override
    {
        FUZZ_CHECK(!asked_);
        asked_ = true;
        return platform_;
    }
    void Open(const std::string& path) override
    {
        FUZZ_CHECK(!open_);
        open_ = true;
        current_ = path;
        outcome_.events.push_back("open " + path);
        outcome_.contents[path].clear();
    }
    void Write(const unsigned char* bytes, std::size_t count) override
    {
        FUZZ_CHECK(open_ && count > 0);
        outcome_.contents[current_].append(reinterpret_cast<const char*>(bytes), count);
    }
    void Close() override
    {
        FUZZ_CHECK(open_);
        open_ = false;
        outcome_.events.push_back("close " + current_);
    }

private:
    unsigned long platform_;
    Outcome& outcome_;
    bool asked_ = false;
    bool open_ = false;
    std::string current_;
};

Outcome ParseInPieces(const std::vector<unsigned char>& package, unsigned long platform, std::uint32_t seed)
{
    Outcome outcome;
    RecordingFiles files(platform, outcome);
    PackageParser parser(files, kDirectory, kUninstaller);
    try {
        for (std::size_t at = 0; at < package.size();) {
            // Pieces of 1 to 64 bytes, now and then a large one.
            seed = seed * 1103515245u + 12345u;
            const std::size_t wanted = (seed >> 16) % 8 == 0 ? 4096 : 1 + (seed >> 20) % 64;
            const std::size_t piece = std::min(wanted, package.size() - at);
            parser.ProcessOutBytes(package.data() + at, piece);
            at += piece;
        }
        parser.Finish();
    } catch (const InstallError& e) {
        outcome.error = e.what();
    }
    return outcome;
}

std::uint32_t ReadBigEndian32(const unsigned char* bytes)
{
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3];
}

// The whole package read message by message, straight from the rules.
Outcome Reference(const std::vector<unsigned char>& package, unsigned long platform)
{
    Outcome outcome;
    auto fail = [&outcome](const std::string& error) {
        outcome.error = error;
        return outcome;
    };
    const std::string incomplete = "WriteFilesFromLzmaStream: incomplete package: ";
    const unsigned char family = platform == kPlatformNt ? package::kNtFamily : package::kWin9xFamily;
    enum { None, Headers, Data } entry = None;
    std::string name, open;
    bool uninstaller = false;
    unsigned char mask = package::kAllPlatforms;

    const std::size_t size = package.size();
    std::size_t at = 0;
    while (at < size) {
        if (size - at < 5)
            return fail(incomplete + "its unpacked size ends inside a message");
        const unsigned char type = package[at];
        const std::uint32_t length = ReadBigEndian32(&package[at + 1]);
        at += 5;
        const std::size_t available = std::min<std::size_t>(length, size - at);
        if (type == package::kDataMessage) {
            // The file opens with its first byte, or at once for an empty message.
            if (entry != Data && (available > 0 || length == 0)) {
                if (mask & family) {
                    if (!uninstaller && name.empty())
                        return fail("WriteFilesFromLzmaStream::ProcessData() - file to write has no name");
                    open = uninstaller ? kUninstaller : PathJoin(kDirectory, name);
                    outcome.events.push_back("open " + open);
                    outcome.contents[open].clear();
                }
                entry = Data;
            }
            if (!open.empty())
                outcome.contents[open].append(reinterpret_cast<const char*>(&package[at]), available);
            at += available;
            if (available < length)
                return fail(incomplete + "its unpacked size ends inside a message");
            continue;
        }
        if (length > package::kMaxHeaderSize)
            return fail("WriteFilesFromLzmaStream::ProcessOutBytes(): unsupported header message size " +
                        std::to_string(length) + ", maximum: 4096");
        if (available < length)
            return fail(incomplete + "its unpacked size ends inside a message");
        if (entry != Headers) {
            if (!open.empty())
                outcome.events.push_back("close " + open);
            open.clear();
            entry = Headers;
            uninstaller = false;
            mask = package::kAllPlatforms;
        }
        if (type == package::kNameMessage)
            name.assign(reinterpret_cast<const char*>(&package[at]), length);
        else if (type == package::kUninstallerMessage)
            uninstaller = true;
        else if (type == package::kPlatformMessage) {
            if (length > 0)
                mask = package[at];
        } else
            return fail("WriteFilesFromLzmaStream::ProcessHeader() - unsupported header message type " +
                        std::to_string(type));
        at += length;
    }
    if (entry == Headers)
        return fail(incomplete + "its last entry has no data");
    if (!open.empty())
        outcome.events.push_back("close " + open);
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const unsigned long platform = input.ConsumeBool() ? kPlatformNt : 1;
    const auto seed = input.ConsumeIntegral<std::uint32_t>();
    const std::vector<unsigned char> package = input.ConsumeRemainingBytes<unsigned char>();

    FUZZ_CHECK(ParseInPieces(package, platform, seed) == Reference(package, platform));
    return 0;
}
