#pragma once
#include <new>

// The allocation failure every part of the installer reports.
class BadAllocation : public std::bad_alloc {
public:
    const char* what() const noexcept override { return "bad allocation"; }
};

// Makes a failed operator new raise BadAllocation.
void InstallAllocationFailureHandler();
