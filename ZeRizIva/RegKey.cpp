#include "RegKey.h"

#include <algorithm>

#include "Codepage.h"
#include "Exceptions.h"
#include "FaultInjection.h"
#include "MultiString.h"

namespace {

struct RootName {
    const char* name;
    HKEY root;
};

const RootName kRoots[] = {
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},         {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},       {"HKEY_USERS", HKEY_USERS},
    {"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA}, {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
    {"HKEY_DYN_DATA", HKEY_DYN_DATA},
};

// An empty value name addresses the key's default value.
const char* ValueNameOrNull(const std::string& name) { return name.empty() ? nullptr : name.c_str(); }

} // namespace

HKEY RegKey::RootFromName(const std::string& name)
{
    for (const RootName& entry : kRoots)
        if (CompareNoCaseMultibyte(name, entry.name) == 0)
            return entry.root;
    return nullptr;
}

RegKey::RegKey(const std::string& fullPath)
{
    const size_t slash = fullPath.find('\\');
    root_ = RootFromName(fullPath.substr(0, slash));
    if (slash != std::string::npos)
        subkey_ = fullPath.substr(slash + 1);
}

RegKey::RegKey(HKEY root, std::string subkey) : root_(root), subkey_(std::move(subkey)) {}

RegKey::RegKey(HKEY openHandle) : root_(openHandle) {}

bool RegKey::Record(const wchar_t* function, LONG code)
{
    Set(function, static_cast<unsigned long>(code));
    return code == ERROR_SUCCESS;
}

void RegKey::ThrowIfFailed() const
{
    if (failed())
        throw RegException(*this);
}

bool RegKey::Open(REGSAM access)
{
    if (failed())
        return false;
    return Record(L"RegOpenKeyExA()",
                  RegOpenKeyExA(root_, subkey_.empty() ? nullptr : subkey_.c_str(), 0, access, handle_.put()));
}

bool RegKey::Create(REGSAM access, SECURITY_ATTRIBUTES* security)
{
    if (failed())
        return false;
    return Record(L"RegCreateKeyExA()", RegCreateKeyExA(root_, subkey_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                         access, security, handle_.put(), nullptr));
}

// Learns the value's type and size, refuses other types than those given
// (1804), then reads the data into the object.
bool RegKey::QueryValue(const std::string& valueName, std::initializer_list<DWORD> types)
{
    DWORD size = 0;
    if (!Record(L"RegQueryValueExA()",
                RegQueryValueExA(handle_.get(), ValueNameOrNull(valueName), nullptr, &type_, nullptr, &size)))
        return false;
    if (std::find(types.begin(), types.end(), type_) == types.end())
        return Record(L"RegQueryValueExA()", ERROR_INVALID_DATATYPE);
    data_.assign(size, 0);
    if (!Record(L"RegQueryValueExA()", RegQueryValueExA(handle_.get(), ValueNameOrNull(valueName), nullptr, &type_,
                                                        data_.data(), &size)))
        return false;
    data_.resize(size);
    return true;
}

bool RegKey::ReadStringValue(const std::string& valueName, std::string& result, bool expand)
{
    if (!Open(KEY_QUERY_VALUE) || !QueryValue(valueName, {REG_SZ, REG_EXPAND_SZ}))
        return false;
    if (data_.empty()) {
        result.clear();
        return true;
    }
    if (data_.back() != 0)
        return Record(L"RegQueryValueExA()", ERROR_INVALID_DATA);
    const char* text = reinterpret_cast<const char*>(data_.data());
    if (type_ != REG_EXPAND_SZ || !expand) {
        result = text;
        return true;
    }
    const DWORD needed = ExpandEnvironmentStringsA(text, nullptr, 0);
    if (needed == 0)
        return Record(L"ExpandEnvironmentStringsA()", static_cast<LONG>(GetLastError()));
    std::vector<char> expanded(needed + 2, '\0');
    if (ExpandEnvironmentStringsA(text, expanded.data(), needed + 1) == 0)
        return Record(L"ExpandEnvironmentStringsA()", static_cast<LONG>(GetLastError()));
    expanded[needed + 1] = '\0';
    result = expanded.data();
    return true;
}

bool RegKey::SetValue(const std::string& valueName, DWORD type, const void* bytes, DWORD size)
{
    if (failed())
        return false;
    if (InjectedFailure("RegSetValueExA"))
        return Record(L"RegSetValueExA()", ERROR_ACCESS_DENIED);
    return Record(L"RegSetValueExA()", RegSetValueExA(handle_.get(), ValueNameOrNull(valueName), 0, type,
                                                      static_cast<const BYTE*>(bytes), size));
}

bool RegKey::WriteStringValue(const std::string& valueName, const std::string& text, bool expand)
{
    return Create(KEY_SET_VALUE, nullptr) &&
           SetValue(valueName, expand ? REG_EXPAND_SZ : REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

bool RegKey::Enumerate(unsigned flags, std::vector<std::string>& result)
{
    REGSAM access = 0;
    if (flags & kSubkeys)
        access |= KEY_ENUMERATE_SUB_KEYS;
    if (flags & kValues)
        access |= KEY_QUERY_VALUE;
    if (!Open(access))
        return false;
    result.clear();
    // Names longer than the buffer are a failure of the call, not skipped.
    const auto collect = [&](const wchar_t* function, auto enumerate) {
        char name[262];
        for (DWORD index = 0;; ++index) {
            DWORD size = 261;
            const LONG code = enumerate(index, name, &size);
            if (code == ERROR_NO_MORE_ITEMS)
                return true;
            if (!Record(function, code))
                return false;
            result.emplace_back(name, size);
        }
    };
    const HKEY key = handle_.get();
    if ((flags & kSubkeys) && !collect(L"RegEnumKeyExA()", [key](DWORD index, char* name, DWORD* size) {
            return RegEnumKeyExA(key, index, name, size, nullptr, nullptr, nullptr, nullptr);
        }))
        return false;
    if ((flags & kValues) && !collect(L"RegEnumValueA()", [key](DWORD index, char* name, DWORD* size) {
            return RegEnumValueA(key, index, name, size, nullptr, nullptr, nullptr, nullptr);
        }))
        return false;
    return true;
}

void RegKey::OpenKey(REGSAM access)
{
    Open(access);
    ThrowIfFailed();
}

void RegKey::CreateKey(REGSAM access, SECURITY_ATTRIBUTES* security)
{
    Create(access, security);
    ThrowIfFailed();
}

std::string RegKey::ReadString(const std::string& valueName, bool expand)
{
    std::string result;
    ReadStringValue(valueName, result, expand);
    ThrowIfFailed();
    return result;
}

std::vector<std::string> RegKey::ReadMultiString(const std::string& valueName)
{
    std::vector<std::string> result;
    if (Open(KEY_QUERY_VALUE) && QueryValue(valueName, {REG_MULTI_SZ}))
        Record(L"RegQueryValueExA()", static_cast<LONG>(ParseMultiString(data_.data(), data_.size(), result)));
    ThrowIfFailed();
    return result;
}

void RegKey::WriteString(const std::string& valueName, const std::string& text, bool expand)
{
    WriteStringValue(valueName, text, expand);
    ThrowIfFailed();
}

void RegKey::WriteMultiString(const std::string& valueName, const std::vector<std::string>& list)
{
    const std::string data = FormatMultiString(list);
    if (Create(KEY_SET_VALUE, nullptr))
        SetValue(valueName, REG_MULTI_SZ, data.data(), static_cast<DWORD>(data.size()));
    ThrowIfFailed();
}

void RegKey::WriteValue(const std::string& valueName, DWORD type, const void* bytes, DWORD size)
{
    SetValue(valueName, type, bytes, size);
    ThrowIfFailed();
}

void RegKey::DeleteValue(const std::string& valueName)
{
    if (Open(KEY_SET_VALUE))
        Record(L"RegDeleteValueA()", RegDeleteValueA(handle_.get(), ValueNameOrNull(valueName)));
    ThrowIfFailed();
}

void RegKey::EnumSubkeyNames(std::vector<std::string>& result)
{
    Enumerate(kSubkeys, result);
    ThrowIfFailed();
}

void RegKey::EnumValueNames(std::vector<std::string>& result)
{
    Enumerate(kValues, result);
    ThrowIfFailed();
}

void RegKey::DeleteKey()
{
    try {
        std::vector<std::string> subkeys;
        RegKey(root_, subkey_).EnumSubkeyNames(subkeys);
        if (subkeys.empty()) {
            RegKey deleter(root_, subkey_);
            deleter.Record(L"RegDeleteKeyA()", RegDeleteKeyA(root_, subkey_.c_str()));
            deleter.ThrowIfFailed();
            return;
        }
        RegKey values(root_, subkey_);
        std::vector<std::string> names;
        values.EnumValueNames(names);
        for (const std::string& name : names) {
            RegKey writable(values.Handle());
            writable.OpenKey(KEY_SET_VALUE);
            writable.Record(L"RegDeleteValueA()", RegDeleteValueA(writable.Handle(), ValueNameOrNull(name)));
            writable.ThrowIfFailed();
        }
    } catch (const RegException& error) {
        Set(error.FunctionName(), error.Code());
        throw;
    }
}

void RegKey::TryReadString(const std::string& valueName, std::string& result, bool expand)
{
    std::string read;
    if (ReadStringValue(valueName, read, expand))
        result = std::move(read);
}

void RegKey::TryWriteString(const std::string& valueName, const std::string& text, bool expand)
{
    WriteStringValue(valueName, text, expand);
}
