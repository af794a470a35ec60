#pragma once
// Registry access at the installer's level: a registry failure becomes an
// InstallError with the same text.
#include <windows.h>

#include <string>
#include <vector>

// REG_EXPAND_SZ values come back expanded.
std::string ReadRegistryString(HKEY root, const std::string& subkey, const std::string& valueName);
void WriteRegistryString(HKEY root, const std::string& subkey, const std::string& valueName,
                         const std::string& text);
void WriteRegistryDword(HKEY root, const std::string& subkey, const std::string& valueName, DWORD value);
std::vector<std::string> ReadRegistryMultiString(HKEY root, const std::string& subkey, const std::string& valueName);
void WriteRegistryMultiString(HKEY root, const std::string& subkey, const std::string& valueName,
                              const std::vector<std::string>& list);
void DeleteRegistryValue(HKEY root, const std::string& subkey, const std::string& valueName);
bool RegistryKeyExists(HKEY root, const std::string& subkey);
