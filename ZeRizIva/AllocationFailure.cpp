#include "AllocationFailure.h"

[[noreturn]] static void RaiseBadAllocation() { throw BadAllocation(); }

void InstallAllocationFailureHandler() { std::set_new_handler(RaiseBadAllocation); }
