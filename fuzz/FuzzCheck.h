#pragma once
// A property that the fuzzed code broke: reported through the assertion (which
// aborts natively), so libFuzzer records it as a finding and keeps the input.
#include "ZeRizIva/Assert.h"

#define FUZZ_CHECK(condition) AssertThat(static_cast<bool>(condition), #condition, __FILE__, __LINE__)
