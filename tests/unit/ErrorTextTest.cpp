#include <gtest/gtest.h>

#include <cstdint>

#include "ZeRizIva/CallResult.h"
#include "ZeRizIva/Exceptions.h"
#include "ZeRizIva/StructuredException.h"
#include "ZeRizIva/WinErrorMessage.h"

namespace {

TEST(WindowsError, DecimalUpTo99999ThenHexadecimal)
{
    EXPECT_EQ(std::string(WindowsError(99999).what()).rfind("Windows error 99999", 0), 0u);
    EXPECT_EQ(std::string(WindowsError(100000).what()).rfind("Windows error 0x000186a0", 0), 0u);
    EXPECT_EQ(std::string(WindowsError(0xC0000005).what()).rfind("Windows error 0xc0000005", 0), 0u);
}

TEST(WindowsError, AddsTheSystemTextAfterAColon)
{
    const std::string text = WindowsError(5).what();
    EXPECT_EQ(text.rfind("Windows error 5: ", 0), 0u) << text;
    EXPECT_GT(text.size(), std::string("Windows error 5: ").size());
    EXPECT_NE(text.back(), '\n');
}

TEST(WinErrorMessage, UnknownCodesGetTheFallbackText)
{
    // A code in a range no system assigns.
    EXPECT_EQ(WinErrorMessage(0x2FFFFFFF), "Error errorCode 805306367 received.");
    EXPECT_EQ(std::string(WindowsError(0x2FFFFFFF).what()),
              "Windows error 0x2fffffff: Error errorCode 805306367 received.");
}

class NamedResult : public SystemCallResult {
public:
    explicit NamedResult(std::wstring category) : category_(std::move(category)) {}
    std::wstring CategoryName() const override { return category_; }

private:
    std::wstring category_;
};

TEST(CallResults, SayTheirOutcome)
{
    SystemCallResult ok;
    ok.Set(L"RegOpenKeyExA()", 0);
    EXPECT_TRUE(ok.succeeded());

    ComCallResult com;
    com.Set(L"CoCreateInstance()", static_cast<std::int32_t>(0x80004005));
    EXPECT_TRUE(com.failed());
    EXPECT_EQ(com.FailureText(), L"CoCreateInstance() failed: COM error: -2147467259: Unspecified error.");

    com.Set(L"Save()", static_cast<std::int32_t>(0x80030070));
    EXPECT_EQ(com.FailureText(), L"Save() failed: COM error: -2147286928.") << "no description: a full stop";

    com.Set(L"QueryInterface()", 1);
    EXPECT_TRUE(com.succeeded()) << "S_FALSE is a success";
    EXPECT_EQ(com.Description(), L"Partial success.");

    NamedResult plain(L"");
    plain.Set(L"X()", 0x2FFFFFFF);
    EXPECT_EQ(plain.FailureText(), L"X() failed: error code: 805306367: Error errorCode 805306367 received.");
}

TEST(CallResults, SayAFailureAsANarrowLineInEitherForm)
{
    const SystemCallResult result(L"CopyFile()", 0x2FFFFFFF);
    EXPECT_EQ(result.WindowsFailureText(),
              "CopyFile() failed: Windows error 0x2fffffff: Error errorCode 805306367 received.");
    EXPECT_EQ(result.NarrowFailureText(),
              "CopyFile() failed: Windows error: 805306367: Error errorCode 805306367 received.");
}

TEST(CallResults, ExceptionsCarryTheirParts)
{
    SystemCallResult result;
    result.Set(L"RegOpenKeyExA()", 2);
    const RegException e(result);
    EXPECT_EQ(e.FunctionName(), L"RegOpenKeyExA()");
    EXPECT_EQ(e.Code(), 2u);
    const std::string text = e.what();
    EXPECT_EQ(text.rfind("RegOpenKeyExA() failed: Windows error: 2: ", 0), 0u) << text;
}

TEST(Exceptions, NarrowAndWideTexts)
{
    EXPECT_STREQ(AException("narrow").what(), "narrow");
    EXPECT_EQ(AException("narrow").WideText(), L"narrow");
    EXPECT_STREQ(TException(L"wide").what(), "wide");
    EXPECT_STREQ(InstallError("complete text").what(), "complete text");
    EXPECT_EQ(SilentExit(104).ExitCode(), 104);
}

TEST(StructuredExceptions, EachCodeRaisesItsClass)
{
    EXPECT_THROW(ThrowStructuredException(0xC0000005), SE_AccessViolation);
    EXPECT_THROW(ThrowStructuredException(0xC0000094), SE_IntDivideByZero);
    EXPECT_THROW(ThrowStructuredException(0x80000003), SE_Breakpoint);
    try {
        ThrowStructuredException(0xC0000096);
        FAIL() << "nothing thrown";
    } catch (const StructuredException& e) {
        EXPECT_STREQ(e.what(), "EXCEPTION_PRIV_INSTRUCTION");
    }
    try {
        ThrowStructuredException(0xE0000001);
        FAIL() << "nothing thrown";
    } catch (const SE_AccessViolation&) {
        FAIL() << "an unknown code is no access violation";
    } catch (const StructuredException& e) {
        EXPECT_STREQ(e.what(), "unrecognized structured exception");
    }
}

} // namespace
