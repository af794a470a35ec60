#include "RegistryCleanup.h"

#include <windows.h>

#include "ZeRizIva/CallResult.h"
#include "ZeRizIva/Codepage.h"
#include "ZeRizIva/Exceptions.h"
#include "ZeRizIva/RegKey.h"

std::string DeleteValueOf(const std::string& keyPath, const std::string& valueName)
{
    RegKey key(keyPath);
    try {
        key.OpenKey(KEY_SET_VALUE);
    } catch (const RegException& error) {
        return error.Code() == ERROR_FILE_NOT_FOUND ? std::string() : error.what();
    }
    const LONG code = RegDeleteValueA(key.Handle(), valueName.empty() ? nullptr : valueName.c_str());
    if (code == ERROR_SUCCESS || code == ERROR_FILE_NOT_FOUND)
        return {};
    return SystemCallResult(L"RegDeleteValueA()", code).NarrowFailureText();
}

std::string DeleteKeyIfEmpty(const std::string& keyPath)
{
    RegKey key(keyPath);
    try {
        key.OpenKey(KEY_QUERY_VALUE);
    } catch (const RegException& error) {
        return error.Code() == ERROR_FILE_NOT_FOUND ? std::string() : error.what();
    }
    DWORD subkeys = 0;
    DWORD values = 0;
    const LONG query = RegQueryInfoKeyA(key.Handle(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                        nullptr, nullptr, nullptr, nullptr);
    if (query != ERROR_SUCCESS)
        return SystemCallResult(L"RegQueryInfoKeyA()", query).NarrowFailureText();
    if (subkeys != 0 || values != 0)
        return {};
    const LONG code = RegDeleteKeyA(key.Root(), key.Subkey().c_str());
    if (code == ERROR_SUCCESS || code == ERROR_FILE_NOT_FOUND)
        return {};
    return SystemCallResult(L"RegDeleteKeyA()", code).NarrowFailureText();
}

ExtensionGiveBack GiveBackExtension(const std::string& extensionKey, const std::string& progId,
                                    const std::string& previousProgId)
{
    RegKey reader(extensionKey);
    std::string current;
    reader.TryReadString("", current, false);
    if (reader.failed() && reader.Code() == ERROR_FILE_NOT_FOUND)
        return {ExtensionGiveBack::GivenBack, {}};  // nothing left to give back
    if (reader.failed() && reader.Code() != ERROR_INVALID_DATATYPE && reader.Code() != ERROR_INVALID_DATA)
        return {ExtensionGiveBack::Failed, reader.NarrowFailureText()};
    if (reader.failed() || CompareNoCaseMultibyte(current, progId) != 0)
        return {ExtensionGiveBack::TakenByOthers, {}};
    std::string failure;
    if (!previousProgId.empty()) {
        try {
            RegKey(extensionKey).WriteString("", previousProgId, false);
        } catch (const RegException& error) {
            failure = error.what();
        }
    } else {
        failure = DeleteValueOf(extensionKey, "");
        if (failure.empty())
            failure = DeleteKeyIfEmpty(extensionKey);
    }
    if (!failure.empty())
        return {ExtensionGiveBack::Failed, failure};
    return {ExtensionGiveBack::GivenBack, {}};
}
