#pragma once
// The caller's result channel: a 4-byte section and a manual-reset event that
// it created with inheritable handles and named on the command line
// (" -result=", " -done="). The result goes into the section, then the event
// is signalled. The handles are the caller's: they are neither duplicated nor
// closed here.
#include <windows.h>

#include <cstdint>
#include <string>

#include "ZeRizIva/Exceptions.h"
#include "ZeRizIva/UniqueHandle.h"

class ResultChannel {
public:
    class Err : public AException {
    public:
        using AException::AException;
    };

    // Raises Err when a value is not a handle of this process of the right
    // kind: the section must map for writing, the event must take a reset
    // (which changes nothing: nobody signals it before the result is there).
    ResultChannel(const std::wstring& section, const std::wstring& event);

    // False when the event could not be signalled: nobody learns the result.
    bool Report(std::int32_t result);

private:
    UniqueMappedView view_;
    HANDLE event_ = nullptr;
};
