// The package parser on crafted message streams, fed whole, split at every
// byte, and byte by byte.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "FakePackageFiles.h"
#include "ZeRizIva/Exceptions.h"
#include "package/PackageFormat.h"
#include "tools/PackageWriter.h"

namespace {

constexpr unsigned long kNt = 2, kWin98 = 1;
const std::string kDir = "C:\\Target";
const std::string kUninstaller = "C:\\Target\\uninst.exe";

Bytes Message(unsigned char type, const std::string& payload)
{
    Bytes bytes;
    AppendMessage(bytes, type, payload);
    return bytes;
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Name(const std::string& name) { return Message(package::kNameMessage, name); }
Bytes Data(const std::string& data) { return Message(package::kDataMessage, data); }
Bytes Mask(unsigned char mask) { return Message(package::kPlatformMessage, std::string(1, char(mask))); }
Bytes Uninstaller() { return Message(package::kUninstallerMessage, ""); }

// Feeds the package in the given pieces and finishes it.
void Feed(PackageParser& parser, const Bytes& package, const std::vector<std::size_t>& cuts)
{
    std::size_t start = 0;
    for (std::size_t cut : cuts) {
        parser.ProcessOutBytes(package.data() + start, cut - start);
        start = cut;
    }
    parser.ProcessOutBytes(package.data() + start, package.size() - start);
    parser.Finish();
}

struct Outcome {
    std::vector<std::string> events;
    std::map<std::string, std::string> contents;

    bool operator==(const Outcome& other) const { return events == other.events && contents == other.contents; }
};

Outcome Parse(const Bytes& package, const std::vector<std::size_t>& cuts = {}, unsigned long platform = kNt)
{
    FakePackageFiles files(platform);
    PackageParser parser(files, kDir, kUninstaller);
    Feed(parser, package, cuts);
    EXPECT_LE(files.platformQueries, 1);
    return {files.events, files.contents};
}

std::string ErrorOf(const Bytes& package, unsigned long platform = kNt)
{
    try {
        Parse(package, {}, platform);
    } catch (const InstallError& e) {
        return e.what();
    }
    return "no error";
}

// Every split into two pieces, and one byte at a time, gives what one piece gives.
void ExpectSameAtEverySplit(const Bytes& package, const Outcome& expected)
{
    for (std::size_t cut = 0; cut <= package.size(); ++cut)
        ASSERT_EQ(Parse(package, {cut}), expected) << "split at byte " << cut;
    std::vector<std::size_t> everyByte;
    for (std::size_t cut = 1; cut < package.size(); ++cut)
        everyByte.push_back(cut);
    EXPECT_EQ(Parse(package, everyByte), expected);
}

TEST(PackageParser, WritesEntriesSplitAnywhere)
{
    const Bytes package = Name("Velantrix.exe") + Data("MZ main program") + Name("readme.txt") + Data("read me") +
                          Data(", continued");
    const Outcome expected{
        {"open C:\\Target\\Velantrix.exe", "close C:\\Target\\Velantrix.exe", "open C:\\Target\\readme.txt",
         "close C:\\Target\\readme.txt"},
        {{"C:\\Target\\Velantrix.exe", "MZ main program"}, {"C:\\Target\\readme.txt", "read me, continued"}}};
    EXPECT_EQ(Parse(package), expected);
    ExpectSameAtEverySplit(package, expected);
}

TEST(PackageParser, EmptyDataMessageCreatesAnEmptyFileAlsoAtTheEnd)
{
    const Bytes package = Name("empty.txt") + Data("") + Name("last.txt") + Data("");
    const Outcome expected{{"open C:\\Target\\empty.txt", "close C:\\Target\\empty.txt", "open C:\\Target\\last.txt",
                            "close C:\\Target\\last.txt"},
                           {{"C:\\Target\\empty.txt", ""}, {"C:\\Target\\last.txt", ""}}};
    ExpectSameAtEverySplit(package, expected);
}

TEST(PackageParser, HeaderPayloadOfAtMost4096Bytes)
{
    const std::string longest(4096, 'n');
    EXPECT_EQ(Parse(Name(longest) + Data("x")).contents.count(kDir + "\\" + longest), 1u);
    EXPECT_EQ(ErrorOf(Name(longest + "n") + Data("x")),
              "WriteFilesFromLzmaStream::ProcessOutBytes(): unsupported header message size 4097, maximum: 4096");
    // Refused from its length alone, before any payload arrives.
    Bytes lengthOnly = Name(longest + "n");
    lengthOnly.resize(5);
    FakePackageFiles files;
    PackageParser parser(files, kDir, kUninstaller);
    EXPECT_THROW(parser.ProcessOutBytes(lengthOnly.data(), lengthOnly.size()), InstallError);
}

TEST(PackageParser, UnknownHeaderTypes)
{
    const struct {
        unsigned char type;
        const char* error;
    } cases[] = {
        {4, "WriteFilesFromLzmaStream::ProcessHeader() - unsupported header message type 4"},
        {0, "WriteFilesFromLzmaStream::ProcessHeader() - unsupported header message type 0"},
        {0x64, "WriteFilesFromLzmaStream::ProcessHeader() - unsupported header message type 100"},
        {0xFF, "WriteFilesFromLzmaStream::ProcessHeader() - unsupported header message type 255"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorOf(Name("a.exe") + Message(c.type, "") + Data("x")), c.error) << int(c.type);
}

TEST(PackageParser, NamesAndTheUninstaller)
{
    const struct {
        const char* why;
        Bytes package;
        std::vector<std::string> events;  // none: "has no name"
    } cases[] = {
        {"data before any header has no name", Data("x"), {}},
        {"platform message alone gives no name", Mask(3) + Data("x"), {}},
        {"an empty name is no name", Name("") + Data("x"), {}},
        {"a later entry without a name reuses the earlier name",
         Name("dravcfg.exe") + Data("one") + Mask(3) + Data("two"),
         {"open C:\\Target\\dravcfg.exe", "close C:\\Target\\dravcfg.exe", "open C:\\Target\\dravcfg.exe",
          "close C:\\Target\\dravcfg.exe"}},
        {"the uninstaller needs no name", Uninstaller() + Data("x"), {"open " + kUninstaller, "close " + kUninstaller}},
        {"the uninstaller flag outranks a name", Name("a.exe") + Uninstaller() + Data("x"),
         {"open " + kUninstaller, "close " + kUninstaller}},
        {"the flag holds for one entry only", Uninstaller() + Data("x") + Name("a.exe") + Data("y"),
         {"open " + kUninstaller, "close " + kUninstaller, "open C:\\Target\\a.exe", "close C:\\Target\\a.exe"}},
        {"headers in any order", Mask(1) + Name("b.exe") + Data("y"),
         {"open C:\\Target\\b.exe", "close C:\\Target\\b.exe"}},
    };
    for (const auto& c : cases) {
        if (c.events.empty())
            EXPECT_EQ(ErrorOf(c.package), "WriteFilesFromLzmaStream::ProcessData() - file to write has no name")
                << c.why;
        else
            EXPECT_EQ(Parse(c.package).events, c.events) << c.why;
    }
}

TEST(PackageParser, PlatformMasks)
{
    // Two builds of one file, NT's first, then one for both families.
    const Bytes package = Name("dravcfg.exe") + Mask(1) + Data("nt build") + Name("dravcfg.exe") + Mask(2) +
                          Data("98 build") + Name("common.dll") + Data("both");
    const struct {
        const char* why;
        unsigned long platform;
        std::map<std::string, std::string> contents;
    } cases[] = {
        {"NT family", kNt, {{"C:\\Target\\dravcfg.exe", "nt build"}, {"C:\\Target\\common.dll", "both"}}},
        {"98/Me family", kWin98, {{"C:\\Target\\dravcfg.exe", "98 build"}, {"C:\\Target\\common.dll", "both"}}},
        {"unknown platform counts as 98/Me", 0,
         {{"C:\\Target\\dravcfg.exe", "98 build"}, {"C:\\Target\\common.dll", "both"}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Parse(package, {}, c.platform).contents, c.contents) << c.why;
        for (std::size_t cut = 0; cut <= package.size(); ++cut)
            ASSERT_EQ(Parse(package, {cut}, c.platform).contents, c.contents) << c.why << ", split at " << cut;
    }
    // The NT build is closed when the next entry's header arrives; the 98 build
    // opens nothing.
    EXPECT_EQ(Parse(package).events,
              (std::vector<std::string>{"open C:\\Target\\dravcfg.exe", "close C:\\Target\\dravcfg.exe",
                                        "open C:\\Target\\common.dll", "close C:\\Target\\common.dll"}));
    // An empty platform payload leaves the mask as it was; the mask does not
    // outlive its entry.
    EXPECT_EQ(Parse(Name("a") + Message(package::kPlatformMessage, "") + Data("x"), {}, kWin98).contents.size(), 1u);
    EXPECT_EQ(Parse(Name("a") + Mask(1) + Data("x") + Name("b") + Data("y"), {}, kWin98).contents,
              (std::map<std::string, std::string>{{"C:\\Target\\b", "y"}}));
    EXPECT_EQ(Parse(Name("a") + Mask(0) + Data("x")).contents.size(), 0u);
}

TEST(PackageParser, PackageThatStopsShort)
{
    const Bytes whole = Name("Velantrix.exe") + Data("MZ main program");
    const std::size_t dataStart = Name("Velantrix.exe").size();
    const struct {
        const char* why;
        std::size_t length;
        const char* error;
    } cases[] = {
        {"inside the first length", 3, "ends inside a message"},
        {"inside the name", 7, "ends inside a message"},
        {"after the headers, before any data", dataStart, "its last entry has no data"},
        {"after the data message's type byte", dataStart + 1, "ends inside a message"},
        {"inside the data length", dataStart + 4, "ends inside a message"},
        {"inside the data", whole.size() - 1, "ends inside a message"},
    };
    for (const auto& c : cases) {
        const Bytes cut(whole.begin(), whole.begin() + c.length);
        const std::string expected =
            std::string("WriteFilesFromLzmaStream: incomplete package: ") +
            (c.error == std::string("ends inside a message") ? "its unpacked size ends inside a message"
                                                              : "its last entry has no data");
        EXPECT_EQ(ErrorOf(cut), expected) << c.why;
    }
    EXPECT_EQ(ErrorOf(whole), "no error");
    EXPECT_EQ(ErrorOf(Bytes{}), "no error");
}

} // namespace
