#include "didur/DllLoader.h"

#include <gtest/gtest.h>

#include "AssertCapture.h"

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

TEST(DllLoader, LoadsFromTheSystemDirectoryAndFindsFunctions)
{
    DllLoader loader;
    ASSERT_NE(loader.Load(true, "shell32.dll"), nullptr);
    EXPECT_NE(loader.Function<FARPROC>("SHGetSpecialFolderPathA"), nullptr);
    loader.Free();
    EXPECT_EQ(loader.Handle(), nullptr);
    EXPECT_NE(loader.Load("kernel32.dll"), nullptr) << "Free makes the loader reusable";
}

TEST(DllLoader, AMissingFunctionNamesTheCallAndError127)
{
    DllLoader loader;
    loader.Load("kernel32.dll");
    try {
        loader.Function<FARPROC>("NoSuchFunctionHere");
        FAIL();
    } catch (const DllLoader::Err& e) {
        EXPECT_TRUE(StartsWith(e.what(), "GetProcAddress(NoSuchFunctionHere) failed. Windows error 127")) << e.what();
    }
}

TEST(DllLoader, AMissingLibraryFailsOrIsAllowedTo)
{
    DllLoader loader;
    EXPECT_EQ(loader.Load("no-such-library.dll", true), nullptr);
    try {
        loader.Load(true, "no-such-library.dll");
        FAIL();
    } catch (const DllLoader::Err& e) {
        EXPECT_TRUE(StartsWith(e.what(), "LoadLibrary(no-such-library.dll) failed. Windows error 126")) << e.what();
    }
}

TEST(DllLoader, ASecondLoadWithoutFreeAsserts)
{
    DllLoader loader;
    loader.Load("kernel32.dll");
    AssertCapture capture;
    try {
        loader.Load("user32.dll");
        FAIL();
    } catch (const AssertionFired& fired) {
        EXPECT_EQ(fired.expression, "!m_hDll");
        EXPECT_EQ(fired.sourceFile, "didur/DllLoader");
        EXPECT_EQ(fired.line, 7u);
    }
    try {
        loader.Load(true, "user32.dll");
        FAIL();
    } catch (const AssertionFired& fired) {
        EXPECT_EQ(fired.line, 14u);
    }
}

} // namespace
