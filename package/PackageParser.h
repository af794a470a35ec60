#pragma once
// The reader of the unpacked package (PackageFormat.h): takes the decoded bytes
// in whatever pieces the decoder hands out, a message split at any byte, and
// drives the files through PackageFiles. It buffers header payloads only (at
// most 4,096 bytes); file data passes straight through.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// The file side, kept apart so that the parser needs no Windows.
class PackageFiles {
public:
    // The platform identifier (2: the NT family); asked once per package.
    virtual unsigned long Platform() = 0;
    // Everything due before an entry's first byte, then the file is opened.
    virtual void Open(const std::string& path) = 0;
    virtual void Write(const unsigned char* bytes, std::size_t count) = 0;
    // Closes the open file, if any.
    virtual void Close() = 0;

protected:
    ~PackageFiles() = default;
};

class PackageParser {
public:
    // Names are joined with the target directory; an uninstaller entry goes to
    // uninstallerPath.
    PackageParser(PackageFiles& files, std::string targetDirectory, std::string uninstallerPath);

    // The next piece of the unpacked package.
    void ProcessOutBytes(const unsigned char* bytes, std::size_t count);
    // One complete header message.
    void ProcessHeader(unsigned char type, const unsigned char* payload, std::uint32_t length);
    // Bytes of the current data message, as they arrive (none for an empty one).
    void ProcessData(const unsigned char* bytes, std::size_t count);

    // After the last byte: a package that stops inside a message, or after
    // header messages that no data followed, lost the end of a file.
    void Finish();

private:
    enum class State { Type, Length, HeaderPayload, DataPayload };
    enum class Entry { None, Headers, Data };

    void LengthComplete();
    bool InstalledHere();

    PackageFiles& files_;
    std::string targetDirectory_;
    std::string uninstallerPath_;

    State state_ = State::Type;
    unsigned char type_ = 0;
    int lengthBytesLeft_ = 0;
    std::uint32_t length_ = 0;
    std::uint32_t remaining_ = 0;
    std::unique_ptr<unsigned char[]> header_;
    std::uint32_t collected_ = 0;

    std::optional<unsigned long> platform_;
    Entry entry_ = Entry::None;
    bool fileOpen_ = false;
    std::string name_;
    bool uninstaller_ = false;
    unsigned char platformMask_;
};
