#pragma once
// Turns a fatal assertion into an exception the test can inspect.
#include <string>

#include "ZeRizIva/Assert.h"

struct AssertionFired {
    std::string expression;
    std::string sourceFile;
    unsigned line;
};

class AssertCapture {
public:
    AssertCapture() : previous_(SetAssertHandler(&Throw)) {}
    ~AssertCapture() { SetAssertHandler(previous_); }

private:
    static void Throw(const char* expression, const char* sourceFile, unsigned line)
    {
        throw AssertionFired{expression, sourceFile, line};
    }
    AssertHandler previous_;
};
