#pragma once
// Registry access by full key path ("HKEY_LOCAL_MACHINE\SOFTWARE\..."). Every
// failed system call is recorded (code and function name) in the key object;
// the throwing operations then raise RegException, the Try... operations leave
// the failure in the object for the caller to test. After a failure nothing
// further is tried on that object. Handles are closed when the object ends.
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "CallResult.h"
#include "UniqueHandle.h"

class RegKey : public SystemCallResult {
public:
    // The text before the first backslash names the root (any letter case);
    // an unknown name gives a null root, which fails at the first call.
    explicit RegKey(const std::string& fullPath);
    RegKey(HKEY root, std::string subkey);
    // Reopens an open key's handle, e.g. with other access rights.
    explicit RegKey(HKEY openHandle);

    HKEY Root() const { return root_; }
    const std::string& Subkey() const { return subkey_; }
    HKEY Handle() const { return handle_.get(); }

    // Throwing family.
    void OpenKey(REGSAM access);
    void CreateKey(REGSAM access, SECURITY_ATTRIBUTES* security = nullptr);
    std::string ReadString(const std::string& valueName, bool expand);
    std::vector<std::string> ReadMultiString(const std::string& valueName);
    void WriteString(const std::string& valueName, const std::string& text, bool expand);
    void WriteMultiString(const std::string& valueName, const std::vector<std::string>& list);
    void WriteValue(const std::string& valueName, DWORD type, const void* bytes, DWORD size);
    void DeleteValue(const std::string& valueName);
    void EnumSubkeyNames(std::vector<std::string>& result);
    void EnumValueNames(std::vector<std::string>& result);
    // Deletes the key; when it has subkeys (others may have added them) only
    // its own values go.
    void DeleteKey();

    // Recording family: the result string is left as it was on any failure.
    void TryReadString(const std::string& valueName, std::string& result, bool expand);
    void TryWriteString(const std::string& valueName, const std::string& text, bool expand);


    static HKEY RootFromName(const std::string& name);

private:
    enum EnumFlags { kSubkeys = 1, kValues = 2 };

    bool Record(const wchar_t* function, LONG code);
    bool Open(REGSAM access);
    bool Create(REGSAM access, SECURITY_ATTRIBUTES* security);
    bool QueryValue(const std::string& valueName, std::initializer_list<DWORD> types);
    bool ReadStringValue(const std::string& valueName, std::string& result, bool expand);
    bool WriteStringValue(const std::string& valueName, const std::string& text, bool expand);
    bool SetValue(const std::string& valueName, DWORD type, const void* bytes, DWORD size);
    bool Enumerate(unsigned flags, std::vector<std::string>& result);
    void ThrowIfFailed() const;

    HKEY root_ = nullptr;
    std::string subkey_;
    UniqueRegKey handle_;
    DWORD type_ = 0;
    std::vector<unsigned char> data_;
};
