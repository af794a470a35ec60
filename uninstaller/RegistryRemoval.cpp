#include "RegistryRemoval.h"

#include <windows.h>

#include <vector>

#include "ZeRizIva/CallResult.h"
#include "ZeRizIva/Codepage.h"
#include "ZeRizIva/Exceptions.h"
#include "ZeRizIva/RegKey.h"

namespace {

constexpr char kClasses[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes";

// Deletes one value; a value or key already gone counts as deleted. Returns
// the failure text, empty on success.
std::string DeleteValue(const std::string& keyPath, const std::string& valueName)
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

// Deletes the key when it holds neither values nor subkeys. Returns the
// failure text, empty on success or when the key stays.
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

} // namespace

ItemOutcome DeleteListedKey(const std::string& keyPath)
{
    try {
        std::vector<std::string> subkeys;
        RegKey(keyPath).EnumSubkeyNames(subkeys);
        RegKey(keyPath).DeleteKey();
        if (!subkeys.empty())
            return {ItemOutcome::Kept, "Registry key " + keyPath +
                                           " has subkeys that were not installed with it; only its values were deleted"};
        return RemovedOutcome();
    } catch (const RegException& error) {
        if (error.Code() == ERROR_FILE_NOT_FOUND)
            return RemovedOutcome();
        return {ItemOutcome::Failed, "Deleting registry key " + keyPath + " failed: " + error.what()};
    }
}

ItemOutcome DeleteListedValue(const std::string& keyPath, const std::string& valueName)
{
    const std::string failure = DeleteValue(keyPath, valueName);
    if (failure.empty())
        return RemovedOutcome();
    return {ItemOutcome::Failed, "Deleting registry value '" + valueName + "' of " + keyPath + " failed: " + failure};
}

std::string ExtensionKeyPath(const std::string& extension) { return std::string(kClasses) + "\\" + extension; }

ItemOutcome GiveBackFileAssociation(const std::string& extension, const std::string& progId)
{
    const std::string keyPath = ExtensionKeyPath(extension);
    const std::string failed = "Removing the file association of " + extension + " failed: ";
    RegKey reader(keyPath);
    std::string current;
    reader.TryReadString("", current, false);
    if (reader.failed() && reader.Code() == ERROR_FILE_NOT_FOUND)
        return RemovedOutcome();  // nothing left to give back
    if (reader.failed() && reader.Code() != ERROR_INVALID_DATATYPE && reader.Code() != ERROR_INVALID_DATA)
        return {ItemOutcome::Failed, failed + reader.NarrowFailureText()};
    if (reader.failed() || CompareNoCaseMultibyte(current, progId) != 0)
        return {ItemOutcome::Kept, "Extension " + extension + " is no longer associated with " + progId +
                                       "; its association was left as it is"};
    std::string failure = DeleteValue(keyPath, "");
    if (failure.empty())
        failure = DeleteKeyIfEmpty(keyPath);
    if (!failure.empty())
        return {ItemOutcome::Failed, failed + failure};
    return RemovedOutcome();
}
