#include "uninstall_contract/ResultProtocol.h"

#include <gtest/gtest.h>

#include "ZeRizIva/CmdLine.h"

namespace {

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// What the caller appends is what the uninstaller's command line finds: the
// switch, and both handle values back as they were.
TEST(ResultProtocol, TheCallersArgumentsReadBackAsTheUninstallerReadsThem)
{
    for (const auto& [section, event] : {std::pair<unsigned long long, unsigned long long>{0x1c, 0x20},
                                         {0xfffffffffffffff0ull, 0x1}}) {
        const std::string arguments = result_protocol::CallerArguments(section, event);
        CmdLine cmdLine(L"uninst.exe Velantrix" + Widen(arguments), 0);
        EXPECT_TRUE(cmdLine.HasSwitch(result_protocol::kUnattended)) << arguments;
        std::wstring sectionText, eventText;
        ASSERT_TRUE(cmdLine.GetOptionValue(result_protocol::kSection, sectionText)) << arguments;
        ASSERT_TRUE(cmdLine.GetOptionValue(result_protocol::kEvent, eventText)) << arguments;
        unsigned long long value = 0;
        EXPECT_TRUE(result_protocol::ParseHandleValue(sectionText, value));
        EXPECT_EQ(value, section);
        EXPECT_TRUE(result_protocol::ParseHandleValue(eventText, value));
        EXPECT_EQ(value, event);
    }
    EXPECT_EQ(result_protocol::CallerArguments(0x1c, 0x20), " -unat -result=1c -done=20");
}

TEST(ResultProtocol, HandleValuesAreOneToSixteenHexadecimalDigitsAndNeverZero)
{
    unsigned long long value = 0;
    EXPECT_TRUE(result_protocol::ParseHandleValue(L"aBc", value));
    EXPECT_EQ(value, 0xabcu);
    for (const wchar_t* bad : {L"", L"0", L"00", L"x1", L"-1", L"1g", L"12345678901234567"})
        EXPECT_FALSE(result_protocol::ParseHandleValue(bad, value)) << bad;
}

} // namespace
