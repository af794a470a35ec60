// The package step on the real file system: what it writes, records for the
// uninstaller and removes again on rollback.
#include "package/WriteFilesFromLzmaStream.h"

#include <optional>

#include "ScratchFolder.h"
#include "ZeRizIva/Exceptions.h"
#include "tools/PackageWriter.h"

namespace {

Bytes Of(const std::string& text) { return Bytes(text.begin(), text.end()); }

// The main program first, a file per platform family, an empty file last.
Bytes SampleStream()
{
    Bytes package;
    AppendEntry(package, {"Velantrix.exe", Of("main program"), -1, false});
    AppendEntry(package, {"readme.txt", Of("new readme"), -1, false});
    AppendEntry(package, {"dravcfg.exe", Of("NT build"), 1, false});
    AppendEntry(package, {"dravcfg.exe", Of("98/Me build"), 2, false});
    AppendEntry(package, {"empty.txt", {}, -1, false});
    return CompressLzmaAlone(package, 1u << 16);
}

class PackageStep : public ScratchFolder {
protected:
    std::optional<WriteFilesFromLzmaStream> step{std::in_place};

    // A step still alive is kept: its rollback must not outlive the folder.
    void TearDown() override
    {
        if (step)
            step->Keep();
        step.reset();
        ScratchFolder::TearDown();
    }

    void Extract(const Bytes& stream) { step->ExtractStream(stream.data(), stream.size(), dir); }

    template <typename Exception>
    std::string ErrorOf(const Bytes& stream)
    {
        try {
            Extract(stream);
        } catch (const Exception& e) {
            if constexpr (std::is_same_v<Exception, SilentExit>)
                return "exit " + std::to_string(e.ExitCode());
            else
                return e.what();
        }
        return "no error";
    }
};

TEST_F(PackageStep, WritesRecordsAndRollsBack)
{
    Extract(SampleStream());
    // Wine is of the NT family: the first dravcfg.exe only.
    EXPECT_EQ(Contents(In("Velantrix.exe")), "main program");
    EXPECT_EQ(Contents(In("readme.txt")), "new readme");
    EXPECT_EQ(Contents(In("dravcfg.exe")), "NT build");
    EXPECT_TRUE(Exists(In("empty.txt")));
    EXPECT_EQ(Contents(In("empty.txt")), "");
    EXPECT_EQ(step->CreatedFiles(), (std::vector<std::string>{In("Velantrix.exe"), In("readme.txt"),
                                                              In("dravcfg.exe"), In("empty.txt")}));
    EXPECT_EQ(Params().uninstallParams, " \"-delMainFile=" + In("Velantrix.exe") + "\" \"-delFile=" +
                                            In("readme.txt") + "\" \"-delFile=" + In("dravcfg.exe") +
                                            "\" \"-delFile=" + In("empty.txt") + "\"");
    step.reset();
    for (const char* name : {"Velantrix.exe", "readme.txt", "dravcfg.exe", "empty.txt"})
        EXPECT_FALSE(Exists(In(name))) << name;
}

TEST_F(PackageStep, KeptOrNoRollbackLeavesTheFiles)
{
    Extract(SampleStream());
    step->Keep();
    step.reset();
    EXPECT_TRUE(Exists(In("Velantrix.exe")));

    step.emplace();
    Params().force = true;
    Params().noRollback = true;
    Extract(SampleStream());
    step.reset();
    EXPECT_TRUE(Exists(In("empty.txt")));
}

TEST_F(PackageStep, OverwrittenFileIsNotRemoved)
{
    Write(In("readme.txt"), "old readme");
    Params().force = true;
    Extract(SampleStream());
    EXPECT_EQ(Contents(In("readme.txt")), "new readme");
    EXPECT_EQ(step->CreatedFiles().size(), 3u);
    EXPECT_EQ(Params().uninstallParams.find("\"-delFile=" + In("readme.txt") + "\"") != std::string::npos, true)
        << "recorded for the uninstaller all the same";
    step.reset();
    EXPECT_TRUE(Exists(In("readme.txt")));
    EXPECT_FALSE(Exists(In("Velantrix.exe")));
}

TEST_F(PackageStep, RefusedOverwriteStopsBeforeTheFile)
{
    Write(In("readme.txt"), "old readme");
    EXPECT_EQ(ErrorOf<SilentExit>(SampleStream()), "exit 104");
    EXPECT_EQ(Contents(In("readme.txt")), "old readme");
    EXPECT_EQ(step->CreatedFiles(), std::vector<std::string>{In("Velantrix.exe")});
    step.reset();
    EXPECT_FALSE(Exists(In("Velantrix.exe")));
    EXPECT_TRUE(Exists(In("readme.txt")));
}

TEST_F(PackageStep, SameNameTwiceIsListedOnce)
{
    Bytes package;
    AppendEntry(package, {"a.txt", Of("first"), -1, false});
    AppendEntry(package, {"a.txt", Of("second"), -1, false});
    Params().force = true;
    Extract(CompressLzmaAlone(package, 1u << 16));
    EXPECT_EQ(Contents(In("a.txt")), "second");
    EXPECT_EQ(step->CreatedFiles(), std::vector<std::string>{In("a.txt")});
}

TEST_F(PackageStep, UninstallerEntryGoesToTheUninstallerPath)
{
    Bytes package;
    AppendEntry(package, {"", Of("uninstaller"), -1, true});
    Extract(CompressLzmaAlone(package, 1u << 16));
    EXPECT_EQ(Contents(In("uninst.exe")), "uninstaller");
}

// A path that could not be created is not ours: the rollback must neither
// delete it nor schedule it for deletion at the next restart.
TEST_F(PackageStep, FileThatCannotBeCreatedIsNotRecorded)
{
    Bytes package;
    AppendEntry(package, {"bad?name.txt", Of("x"), -1, false});
    const std::string error = ErrorOf<InstallError>(CompressLzmaAlone(package, 1u << 16));
    EXPECT_EQ(error.rfind("Error creating target installation file '" + In("bad?name.txt") +
                              "' - CreateFile() failed with the following error: Windows error 123",
                          0),
              0u)
        << error;
    EXPECT_EQ(step->CreatedFiles(), std::vector<std::string>{});
}

// The file open when decoding fails is closed, so the rollback can delete it.
TEST_F(PackageStep, DamagedStreamClosesTheOpenFile)
{
    Bytes package;
    AppendEntry(package, {"big.bin", Bytes(400000, 'b'), -1, false});
    Bytes stream = CompressLzmaAlone(package, 1u << 16);
    stream.resize(stream.size() - 10);
    EXPECT_EQ(ErrorOf<InstallError>(stream), "LzmaDecode() failed: error 1");
    EXPECT_EQ(step->CreatedFiles(), std::vector<std::string>{In("big.bin")});
    step.reset();
    EXPECT_FALSE(Exists(In("big.bin")));
}

TEST_F(PackageStep, MissingResource)
{
    try {
        step->Extract(777, dir);
        FAIL() << "no error";
    } catch (const InstallError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("FindResourceA() failed: Windows error 1814", 0), 0u) << e.what();
    }
}

// The installer's own package, linked into this test program as well.
TEST_F(PackageStep, ShippedPackage)
{
    step->Extract(148, dir);
    const std::vector<std::string> names = {"Velantrix.exe", "pelmocfg.exe", "vxcore.dll",  "vxsftp.exe",
                                            "vxkeygen.exe",  "vxagent.exe",  "readme.txt",  "license.txt",
                                            "whatsnew.txt",  "Sample.vxp",   "dravcfg.exe"};
    std::vector<std::string> expected;
    for (const std::string& name : names)
        expected.push_back(In(name));
    EXPECT_EQ(step->CreatedFiles(), expected);
    EXPECT_EQ(Contents(In("Velantrix.exe")).substr(0, 2), "MZ");
}

} // namespace
