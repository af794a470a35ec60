#include "ZeRizIva/RegKey.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include "install/InstallerRegistry.h"
#include "ZeRizIva/Exceptions.h"

namespace {

// Every test works in a scratch key that the fixture removes.
class RegKeyTest : public testing::Test {
protected:
    static constexpr char kScratch[] = "Software\\VelantrixTests";
    static std::string Path(const std::string& sub = "") { return std::string("HKEY_CURRENT_USER\\") + kScratch + sub; }

    void SetUp() override
    {
        SHDeleteKeyA(HKEY_CURRENT_USER, kScratch);  // left by an aborted run, if at all
        ASSERT_FALSE(KeyExists("")) << "the scratch key could not be cleared";
    }
    void TearDown() override { SHDeleteKeyA(HKEY_CURRENT_USER, kScratch); }

    void SetRaw(const std::string& sub, const char* name, DWORD type, const void* data, DWORD size)
    {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kScratch) + sub).c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const LONG set = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
        ASSERT_EQ(set, ERROR_SUCCESS);
    }

    static bool KeyExists(const std::string& sub)
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kScratch) + sub).c_str(), 0, KEY_READ, &key) != 0)
            return false;
        RegCloseKey(key);
        return true;
    }

    template <typename Fn>
    static RegException Raised(Fn fn)
    {
        try {
            fn();
        } catch (const RegException& e) {
            return e;
        }
        ADD_FAILURE() << "no RegException";
        SystemCallResult none;
        return RegException(none);
    }
};

TEST_F(RegKeyTest, RootNames)
{
    EXPECT_EQ(RegKey::RootFromName("hkey_local_machine"), HKEY_LOCAL_MACHINE) << "any letter case";
    EXPECT_EQ(RegKey::RootFromName("HKLM"), nullptr) << "no abbreviations";
    RegKey root("HKEY_LOCAL_MACHINE");
    EXPECT_EQ(root.Root(), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(root.Subkey(), "") << "a root name alone names the root itself";
    root.OpenKey(KEY_QUERY_VALUE);
    const RegException e = Raised([] { RegKey("HKLM\\Software").OpenKey(KEY_QUERY_VALUE); });
    EXPECT_EQ(e.FunctionName(), L"RegOpenKeyExA()") << "a null root fails at the first call";
}

TEST_F(RegKeyTest, StringsRoundTripWithAndWithoutExpansion)
{
    RegKey(Path()).WriteString("plain", "text", false);
    RegKey(Path()).WriteString("", "default", false);
    RegKey(Path()).WriteString("expand", "%SystemRoot%\\x", true);
    EXPECT_EQ(RegKey(Path()).ReadString("plain", true), "text");
    EXPECT_EQ(RegKey(Path()).ReadString("", true), "default") << "an empty name is the default value";
    const std::string raw = RegKey(Path()).ReadString("expand", false);
    EXPECT_EQ(raw, "%SystemRoot%\\x");
    const std::string expanded = RegKey(Path()).ReadString("expand", true);
    EXPECT_EQ(expanded.find('%'), std::string::npos) << expanded;
    EXPECT_EQ(expanded.substr(expanded.size() - 2), "\\x");
}

TEST_F(RegKeyTest, BadValuesFailWithTheLayersOwnCodes)
{
    const DWORD number = 5;
    ASSERT_NO_FATAL_FAILURE(SetRaw("", "dword", REG_DWORD, &number, sizeof number));
    ASSERT_NO_FATAL_FAILURE(SetRaw("", "empty", REG_SZ, "", 0));
    // Table: value, expected code, why.
    const struct {
        const char* name;
        unsigned long code;
        const char* why;
    } cases[] = {
        {"dword", 1804, "a REG_DWORD read as a string"},
        {"missing", 2, "no such value"},
    };
    for (const auto& c : cases) {
        const RegException e = Raised([&] { RegKey(Path()).ReadString(c.name, true); });
        EXPECT_EQ(e.Code(), c.code) << c.why;
        EXPECT_EQ(e.FunctionName(), L"RegQueryValueExA()") << c.why;
        EXPECT_EQ(std::string(e.what()).rfind("RegQueryValueExA() failed: Windows error: " + std::to_string(c.code), 0),
                  0u)
            << e.what();
    }
    EXPECT_EQ(RegKey(Path()).ReadString("empty", true), "") << "size 0 is the empty string";

    std::string kept = "unchanged";
    RegKey key(Path());
    key.TryReadString("dword", kept, true);
    EXPECT_TRUE(key.failed());
    EXPECT_EQ(key.Code(), 1804u);
    EXPECT_EQ(kept, "unchanged") << "a failed read leaves the result alone";
    RegKey missing(Path("\\nope"));
    missing.TryReadString("x", kept, true);
    EXPECT_EQ(missing.Code(), 2u);
    EXPECT_EQ(missing.FunctionName(), L"RegOpenKeyExA()");
}

TEST_F(RegKeyTest, MultiStrings)
{
    RegKey(Path()).WriteMultiString("list", {"a", "b"});
    EXPECT_EQ(RegKey(Path()).ReadMultiString("list"), (std::vector<std::string>{"a", "b"}));
    RegKey(Path()).WriteMultiString("emptied", {});
    EXPECT_EQ(RegKey(Path()).ReadMultiString("emptied"), (std::vector<std::string>{""}))
        << "an empty list is stored as two zero bytes, which read as one empty string";
    ASSERT_NO_FATAL_FAILURE(SetRaw("", "single", REG_MULTI_SZ, "", 1));
    EXPECT_TRUE(RegKey(Path()).ReadMultiString("single").empty());
    RegKey(Path()).WriteString("text", "x", false);
    EXPECT_EQ(Raised([&] { RegKey(Path()).ReadMultiString("text"); }).Code(), 1804u);
}

TEST_F(RegKeyTest, Enumeration)
{
    RegKey(Path("\\one")).WriteString("", "1", false);
    RegKey(Path("\\two")).WriteString("", "2", false);
    RegKey(Path()).WriteString("v", "x", false);
    std::vector<std::string> names;
    RegKey(Path()).EnumSubkeyNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"one", "two"}));
    RegKey(Path()).EnumValueNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"v"}));
}

TEST_F(RegKeyTest, DeleteKeyKeepsForeignSubkeys)
{
    RegKey(Path("\\leaf")).WriteString("", "x", false);
    RegKey(Path("\\leaf")).DeleteKey();
    EXPECT_FALSE(KeyExists("\\leaf"));

    RegKey(Path("\\shared")).WriteString("", "ours", false);
    RegKey(Path("\\shared")).WriteString("named", "ours", false);
    RegKey(Path("\\shared\\foreign")).WriteString("", "theirs", false);
    RegKey(Path("\\shared")).DeleteKey();
    EXPECT_TRUE(KeyExists("\\shared\\foreign"));
    std::vector<std::string> values;
    RegKey(Path("\\shared")).EnumValueNames(values);
    EXPECT_TRUE(values.empty()) << "every value goes, the default one included";

    RegKey missing(Path("\\missing"));
    const RegException e = Raised([&] { missing.DeleteKey(); });
    EXPECT_EQ(e.Code(), 2u);
    EXPECT_EQ(e.FunctionName(), L"RegOpenKeyExA()");
    EXPECT_EQ(missing.Code(), 2u) << "the code is copied into the key";
}

TEST_F(RegKeyTest, InstallerWrappersRaiseInstallErrorsWithTheSameText)
{
    WriteRegistryString(HKEY_CURRENT_USER, kScratch, "v", "value");
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kScratch, "v"), "value");
    WriteRegistryMultiString(HKEY_CURRENT_USER, kScratch, "m", {"a"});
    EXPECT_EQ(ReadRegistryMultiString(HKEY_CURRENT_USER, kScratch, "m"), (std::vector<std::string>{"a"}));
    try {
        ReadRegistryString(HKEY_CURRENT_USER, kScratch, "nope");
        FAIL();
    } catch (const InstallError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("RegQueryValueExA() failed: Windows error: 2", 0), 0u) << e.what();
    }
}

TEST_F(RegKeyTest, DeleteValueTakesOnlyThatValue)
{
    RegKey(Path()).WriteString("gone", "x", false);
    RegKey(Path()).WriteString("kept", "y", false);
    RegKey(Path()).DeleteValue("gone");
    std::vector<std::string> names;
    RegKey(Path()).EnumValueNames(names);
    EXPECT_EQ(names, std::vector<std::string>{"kept"});
    EXPECT_EQ(Raised([] { RegKey(Path()).DeleteValue("gone"); }).Code(), static_cast<unsigned long>(ERROR_FILE_NOT_FOUND))
        << "a value that is not there is an error";
}

} // namespace
