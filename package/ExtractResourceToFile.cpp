#include "ExtractResourceToFile.h"

#include <windows.h>

#include <stdexcept>

#include "ZeRizIva/Resource.h"
#include "ZlibInflate.h"
#include "ZeRizIva/FaultInjection.h"
#include "ZeRizIva/UniqueHandle.h"

void ExtractResourceToFile(const std::string& path, int resourceId, ExistingFile existing)
{
    const ResourceBytes stream = LoadOwnResource(resourceId, "BINARY");
    InflateToFile(path, stream.data, stream.size, existing);
}

void InflateToFile(const std::string& path, const unsigned char* stream, std::size_t size, ExistingFile existing)
{
    UniqueFile file(InjectedFailure("CreateFileA")
                        ? INVALID_HANDLE_VALUE
                        : CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      existing == ExistingFile::Refuse ? CREATE_NEW : CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        throw std::runtime_error("FileSink: error opening file for writing: " + path);
    InflateZlib(stream, size, [&file](const unsigned char* bytes, std::size_t count) {
        DWORD written = 0;
        if (InjectedFailure("WriteFile") || !WriteFile(file.get(), bytes, static_cast<DWORD>(count), &written, nullptr) ||
            written != count)
            throw std::runtime_error("FileSink: error writing file");
    });
}
