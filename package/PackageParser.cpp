#include "PackageParser.h"

#include <algorithm>
#include <cstring>

#include "PackageFormat.h"
#include "ZeRizIva/Exceptions.h"
#include "ZeRizIva/Text.h"

namespace {

constexpr unsigned long kPlatformNt = 2;  // VER_PLATFORM_WIN32_NT

} // namespace

PackageParser::PackageParser(PackageFiles& files, std::string targetDirectory, std::string uninstallerPath)
    : files_(files),
      targetDirectory_(std::move(targetDirectory)),
      uninstallerPath_(std::move(uninstallerPath)),
      header_(new unsigned char[package::kMaxHeaderSize]),
      platformMask_(package::kAllPlatforms)
{
}

void PackageParser::ProcessOutBytes(const unsigned char* bytes, std::size_t count)
{
    std::size_t pos = 0;
    while (pos < count) {
        switch (state_) {
        case State::Type:
            type_ = bytes[pos++];
            length_ = 0;
            lengthBytesLeft_ = 4;
            state_ = State::Length;
            break;
        case State::Length:
            length_ = (length_ << 8) | bytes[pos++];
            if (--lengthBytesLeft_ == 0)
                LengthComplete();
            break;
        case State::HeaderPayload: {
            const auto piece = static_cast<std::uint32_t>(std::min<std::size_t>(count - pos, remaining_));
            std::memcpy(header_.get() + collected_, bytes + pos, piece);
            collected_ += piece;
            remaining_ -= piece;
            pos += piece;
            if (remaining_ == 0) {
                state_ = State::Type;
                ProcessHeader(type_, header_.get(), collected_);
            }
            break;
        }
        case State::DataPayload: {
            const auto piece = static_cast<std::uint32_t>(std::min<std::size_t>(count - pos, remaining_));
            remaining_ -= piece;
            if (remaining_ == 0)
                state_ = State::Type;
            ProcessData(bytes + pos, piece);
            pos += piece;
            break;
        }
        default:
            throw InstallError("WriteFilesFromLzmaStream::ProcessOutBytes() - invalid state");
        }
    }
}

// A message of length 0 is complete here already, so that it counts even as the
// package's last bytes.
void PackageParser::LengthComplete()
{
    remaining_ = length_;
    if (type_ == package::kDataMessage) {
        state_ = length_ == 0 ? State::Type : State::DataPayload;
        if (length_ == 0)
            ProcessData(nullptr, 0);
        return;
    }
    if (length_ > package::kMaxHeaderSize)
        throw InstallError("WriteFilesFromLzmaStream::ProcessOutBytes(): unsupported header message size " +
                           std::to_string(length_) + ", maximum: " + std::to_string(package::kMaxHeaderSize));
    collected_ = 0;
    state_ = length_ == 0 ? State::Type : State::HeaderPayload;
    if (length_ == 0)
        ProcessHeader(type_, header_.get(), 0);
}

void PackageParser::ProcessHeader(unsigned char type, const unsigned char* payload, std::uint32_t length)
{
    if (entry_ != Entry::Headers) {
        // The first header message of an entry ends the file before it.
        if (fileOpen_) {
            fileOpen_ = false;
            files_.Close();
        }
        entry_ = Entry::Headers;
        uninstaller_ = false;
        platformMask_ = package::kAllPlatforms;
    }
    switch (type) {
    case package::kNameMessage:
        name_.assign(reinterpret_cast<const char*>(payload), length);
        break;
    case package::kUninstallerMessage:
        uninstaller_ = true;
        break;
    case package::kPlatformMessage:
        if (length > 0)
            platformMask_ = payload[0];
        break;
    default:
        throw InstallError("WriteFilesFromLzmaStream::ProcessHeader() - unsupported header message type " +
                           std::to_string(type));
    }
}

bool PackageParser::InstalledHere()
{
    if (!platform_)
        platform_ = files_.Platform();
    const unsigned char family = *platform_ == kPlatformNt ? package::kNtFamily : package::kWin9xFamily;
    return (platformMask_ & family) != 0;
}

void PackageParser::ProcessData(const unsigned char* bytes, std::size_t count)
{
    if (entry_ != Entry::Data) {
        if (InstalledHere()) {
            std::string path;
            if (uninstaller_)
                path = uninstallerPath_;
            else if (name_.empty())
                throw InstallError("WriteFilesFromLzmaStream::ProcessData() - file to write has no name");
            else
                path = PathJoin(targetDirectory_, name_);
            files_.Open(path);
            fileOpen_ = true;
        }
        entry_ = Entry::Data;
    }
    if (fileOpen_ && count > 0)
        files_.Write(bytes, count);
}

void PackageParser::Finish()
{
    if (state_ != State::Type)
        throw InstallError("WriteFilesFromLzmaStream: incomplete package: its unpacked size ends inside a message");
    if (entry_ == Entry::Headers)
        throw InstallError("WriteFilesFromLzmaStream: incomplete package: its last entry has no data");
    if (fileOpen_) {
        fileOpen_ = false;
        files_.Close();
    }
}
