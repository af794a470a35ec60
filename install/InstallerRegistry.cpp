#include "InstallerRegistry.h"

#include "ZeRizIva/Exceptions.h"
#include "ZeRizIva/RegKey.h"
#include "ZeRizIva/UniqueHandle.h"

namespace {

template <typename Operation>
auto AsInstallError(Operation operation)
{
    try {
        return operation();
    } catch (const RegException& error) {
        throw InstallError(error.what());
    }
}

} // namespace

std::string ReadRegistryString(HKEY root, const std::string& subkey, const std::string& valueName)
{
    return AsInstallError([&] { return RegKey(root, subkey).ReadString(valueName, true); });
}

void WriteRegistryString(HKEY root, const std::string& subkey, const std::string& valueName, const std::string& text)
{
    AsInstallError([&] { RegKey(root, subkey).WriteString(valueName, text, false); });
}

void WriteRegistryDword(HKEY root, const std::string& subkey, const std::string& valueName, DWORD value)
{
    AsInstallError([&] {
        RegKey key(root, subkey);
        key.CreateKey(KEY_SET_VALUE);
        key.WriteValue(valueName, REG_DWORD, &value, sizeof value);
    });
}

std::vector<std::string> ReadRegistryMultiString(HKEY root, const std::string& subkey, const std::string& valueName)
{
    return AsInstallError([&] { return RegKey(root, subkey).ReadMultiString(valueName); });
}

void WriteRegistryMultiString(HKEY root, const std::string& subkey, const std::string& valueName,
                              const std::vector<std::string>& list)
{
    AsInstallError([&] { RegKey(root, subkey).WriteMultiString(valueName, list); });
}

void DeleteRegistryValue(HKEY root, const std::string& subkey, const std::string& valueName)
{
    AsInstallError([&] { RegKey(root, subkey).DeleteValue(valueName); });
}

bool RegistryKeyExists(HKEY root, const std::string& subkey)
{
    UniqueRegKey key;
    return RegOpenKeyExA(root, subkey.c_str(), 0, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS;
}
