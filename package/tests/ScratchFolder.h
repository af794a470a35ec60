#pragma once
// A fresh folder under the temporary path for each test, set as the
// installation directory of an unattended run; removed with what is left in it.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "ZeRizIva/Text.h"
#include "install/InstallParams.h"

class ScratchFolder : public testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(sizeof temp, temp);
        const char* test = testing::UnitTest::GetInstance()->current_test_info()->name();
        dir = PathJoin(temp, std::string("velantrix-package-") + test);
        RemoveAll();
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
        InstallParams& params = Params();
        params.interactive = false;
        params.force = false;
        params.noRollback = false;
        params.installDir = dir;
        params.mainProgramPath = PathJoin(dir, "velantrix.exe");
        params.uninstallerPath = PathJoin(dir, "uninst.exe");
        params.uninstallParams.clear();
    }
    void TearDown() override { RemoveAll(); }

    std::string In(const std::string& name) const { return PathJoin(dir, name); }

    static bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    static std::string Contents(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    static void Write(const std::string& path, const std::string& contents)
    {
        std::ofstream(path, std::ios::binary) << contents;
    }

    std::string dir;

private:
    void RemoveAll()
    {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(In("*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileA(In(found.cFileName).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(dir.c_str());
    }
};
