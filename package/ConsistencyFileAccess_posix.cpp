// Native stand-in over stdio: used by the build's stamping tool and the native
// tests. The error codes are errno values.
#include "ConsistencyFileAccess.h"

#include <sys/types.h>

#include <cerrno>

namespace {

// A failure that left errno at 0 must still not read as success.
unsigned long CurrentError() { return errno != 0 ? static_cast<unsigned long>(errno) : EIO; }

} // namespace

OwnedConsistencyFile OpenConsistencyFile(const char* path, bool writable, unsigned long& error)
{
    errno = 0;
    OwnedConsistencyFile file(std::fopen(path, writable ? "r+b" : "rb"));
    if (!file)
        error = CurrentError();
    return file;
}

bool SizeOfConsistencyFile(ConsistencyFileHandle file, std::uint64_t& size, unsigned long& error)
{
    errno = 0;
    off_t end = -1;
    if (fseeko(file, 0, SEEK_END) != 0 || (end = ftello(file)) < 0) {
        error = CurrentError();
        return false;
    }
    size = static_cast<std::uint64_t>(end);
    return true;
}

bool SeekConsistencyFile(ConsistencyFileHandle file, std::uint64_t offset, unsigned long& error)
{
    errno = 0;
    if (fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0) {
        error = CurrentError();
        return false;
    }
    return true;
}

bool ReadConsistencyFile(ConsistencyFileHandle file, unsigned char* buffer, size_t size, size_t& bytesRead,
                         unsigned long& error)
{
    errno = 0;
    bytesRead = std::fread(buffer, 1, size, file);
    if (std::ferror(file)) {
        error = CurrentError();
        std::clearerr(file);
        return false;
    }
    return true;
}

bool WriteConsistencyFile(ConsistencyFileHandle file, const unsigned char* bytes, size_t size,
                          unsigned long& error)
{
    errno = 0;
    if (std::fwrite(bytes, 1, size, file) != size || std::fflush(file) != 0) {
        error = CurrentError();
        return false;
    }
    return true;
}
