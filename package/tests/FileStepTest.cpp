// The uninstaller file: inflating a resource to a file, and the install step
// that writes uninst.exe.
#include "package/FileStep.h"

#include <optional>
#include <stdexcept>

#include "ScratchFolder.h"
#include "ZeRizIva/Exceptions.h"
#include "package/ExtractResourceToFile.h"
#include "ZeRizIva/Resource.h"
#include "package/ZlibInflate.h"

namespace {

constexpr int kUninstaller = 149;
constexpr int kDamagedUninstaller = 901;  // the same stream with a wrong checksum
constexpr int kMissing = 902;

std::string Inflated(int resourceId)
{
    const ResourceBytes stream = LoadOwnResource(resourceId, "BINARY");
    std::string out;
    try {
        InflateZlib(stream.data, stream.size,
                    [&out](const unsigned char* bytes, std::size_t count) { out.append(bytes, bytes + count); });
    } catch (const std::runtime_error&) {
    }
    return out;
}

class UninstallerFile : public ScratchFolder {
protected:
    std::optional<FileStep> step;

    // A step still alive is kept: its rollback must not outlive the folder.
    void TearDown() override
    {
        if (step)
            step->Keep();
        step.reset();
        ScratchFolder::TearDown();
    }

    // The text of what the step raised, "" when nothing.
    template <typename Exception>
    std::string ErrorOf(int resourceId)
    {
        try {
            step.emplace(resourceId, "");
        } catch (const Exception& e) {
            if constexpr (std::is_same_v<Exception, SilentExit>)
                return "exit " + std::to_string(e.ExitCode());
            else
                return e.what();
        }
        return "";
    }
};

TEST_F(UninstallerFile, WritesRecordsAndRollsBack)
{
    step.emplace(kUninstaller, "");
    EXPECT_EQ(step->Path(), In("uninst.exe"));
    EXPECT_EQ(Contents(In("uninst.exe")), Inflated(kUninstaller));
    EXPECT_EQ(Contents(In("uninst.exe")).substr(0, 2), "MZ");
    EXPECT_EQ(Params().uninstallParams, " \"-delFile=" + In("uninst.exe") + "\"");
    step.reset();
    EXPECT_FALSE(Exists(In("uninst.exe")));
}

TEST_F(UninstallerFile, ExistingFileIsReplacedAndKept)
{
    Write(In("uninst.exe"), "an earlier uninstaller, longer than nothing");
    Params().force = true;
    step.emplace(kUninstaller, "");
    EXPECT_EQ(Contents(In("uninst.exe")), Inflated(kUninstaller));
    EXPECT_EQ(Params().uninstallParams, " \"-delFile=" + In("uninst.exe") + "\"");
    step.reset();
    EXPECT_TRUE(Exists(In("uninst.exe"))) << "the rollback leaves what was there before";
}

TEST_F(UninstallerFile, RefusedOverwrite)
{
    Write(In("uninst.exe"), "earlier");
    EXPECT_EQ(ErrorOf<SilentExit>(kUninstaller), "exit 104");
    EXPECT_EQ(Contents(In("uninst.exe")), "earlier");
}

// A step that fails while writing never finishes, so no destructor undoes it:
// it removes the half-written file itself.
TEST_F(UninstallerFile, DamagedResourceLeavesNoPartialFile)
{
    EXPECT_EQ(ErrorOf<std::runtime_error>(kDamagedUninstaller), "ZlibDecompressor: ADLER32 check error");
    EXPECT_FALSE(Exists(In("uninst.exe")));

    Params().noRollback = true;
    EXPECT_EQ(ErrorOf<std::runtime_error>(kDamagedUninstaller), "ZlibDecompressor: ADLER32 check error");
    EXPECT_EQ(Contents(In("uninst.exe")), Inflated(kUninstaller)) << "every byte before the checksum is written";
}

TEST_F(UninstallerFile, DamagedResourceOverAnExistingFile)
{
    Write(In("uninst.exe"), "earlier");
    Params().force = true;
    EXPECT_EQ(ErrorOf<std::runtime_error>(kDamagedUninstaller), "ZlibDecompressor: ADLER32 check error");
    EXPECT_TRUE(Exists(In("uninst.exe"))) << "what was there before is never deleted";
}

TEST_F(UninstallerFile, MissingResource)
{
    const std::string error = ErrorOf<InstallError>(kMissing);
    EXPECT_EQ(error.rfind("FindResourceA() failed: Windows error 1814", 0), 0u) << error;
    EXPECT_FALSE(Exists(In("uninst.exe")));
}

TEST_F(UninstallerFile, FileThatCannotBeOpened)
{
    try {
        ExtractResourceToFile(dir, kUninstaller);  // a folder
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "FileSink: error opening file for writing: " + dir);
    }
}

TEST_F(UninstallerFile, ExplicitPath)
{
    step.emplace(kUninstaller, In("copy.exe"));
    EXPECT_EQ(Contents(In("copy.exe")), Inflated(kUninstaller));
    EXPECT_FALSE(Exists(In("uninst.exe")));
}

} // namespace
