#pragma once
// The top of the driver: every way out of the run is an exception caught here,
// reported by its class, and turned into the process exit code.
#include <functional>

int RunWithTopLevelHandler(const std::function<int()>& body);

// Exit 200 and 201 are followed by the usage text.
void WriteUsageIfAsked(int exitCode);
