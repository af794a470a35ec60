#pragma once
// Install step: the program files, decoded from the package resource straight
// into the installation directory (PackageFormat.h). It records every file it
// created and deletes them again on rollback, the last created first; files
// that existed before and were overwritten are left alone. A file of the
// earlier installation that its removal left to the next restart is replaced,
// at that restart when it is still in use.
#include <string>
#include <vector>

#include "PackageParser.h"
#include "ZeRizIva/UniqueHandle.h"
#include "install/InstallStep.h"

// Its file side is the parser's interface, public so that single files can be
// driven through the real step without a package.
class WriteFilesFromLzmaStream : public InstallStep, public PackageFiles {
public:
    WriteFilesFromLzmaStream() = default;
    ~WriteFilesFromLzmaStream();

    // Decodes the resource (type "BINARY") and writes its files. Raises
    // InstallError, or SilentExit 104 when an overwrite is refused; what was
    // created until then stays recorded for the rollback.
    void Extract(int resourceId, const std::string& targetDirectory);
    // The same for a stream already in memory.
    void ExtractStream(const unsigned char* stream, std::size_t size, const std::string& targetDirectory);

    const std::vector<std::string>& CreatedFiles() const { return created_; }
    // Every byte written, into new and overwritten files alike.
    unsigned long long WrittenBytes() const { return writtenBytes_; }
    // Some file replaces one still in use only when Windows restarts.
    bool RestartNeeded() const { return !replacements_.empty(); }

private:
    unsigned long Platform() override;
    void Open(const std::string& path) override;
    void Write(const unsigned char* bytes, std::size_t count) override;
    void Close() override;

    // A new file waiting beside the one it replaces at the next restart.
    struct Replacement {
        std::string waiting;
        std::string target;
    };

    std::vector<std::string> created_;
    std::vector<Replacement> replacements_;
    UniqueFile file_;
    std::string path_;
    unsigned long long writtenBytes_ = 0;
};
