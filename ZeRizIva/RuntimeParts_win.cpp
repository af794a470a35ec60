// Small stand-ins for parts of the C++ runtime (libstdc++) that every Windows
// program would otherwise link whole, for code it never runs or never needs.
//
// A static link takes an object file of the library whole once anything in it
// is needed, and on Windows the linker cannot drop what is unused inside it:
// every function's unwind entry is kept and keeps its function. Defined here,
// before the library is searched, a symbol is taken from this file and the
// library's object is never linked. The link options of the Windows builds
// (cmake/mingw-common.cmake) name velantrix_runtime_parts, so the linker takes
// this file (and RuntimeCowString_win.cpp, referenced below) into every program
// that links this library. scripts/size-breakdown.py shows what each program
// links from libstdc++; should one of these objects come back, the program
// still works (the definitions are the same template code) and only grows.
#include <cstddef>
#include <string>

extern "C" const char velantrix_runtime_parts = 0;
// Takes RuntimeCowString_win.cpp along.
extern "C" const char velantrix_runtime_cow_string;
[[gnu::used]] static const char* const takeCowString = &velantrix_runtime_cow_string;

// std::terminate's default handler names the type of the exception in flight
// through the ABI's demangler: about 46 KB of code and tables, and the MinGW
// runtime's printf behind them, for a line that only a bug could print (every
// program's top level catches everything). The handler prints the type's
// mangled name instead ("terminate called after throwing an instance of
// '12InstallError'"), its what() text, and aborts, as before.
extern "C" char* __cxa_demangle(const char*, char*, std::size_t*, int* status)
{
    if (status)
        *status = -2;  // not a name the demangler knows
    return nullptr;
}

// The library's std::string members that its exception classes use
// (sso_string.o); otherwise they would bring the library's instantiation of the
// whole class (string-inst.o, about 29 KB, most of it unwind entries). With
// C++20 every program instantiates the members it uses itself.
template std::string::pointer std::string::_M_create(size_type&, size_type);
template void std::string::_M_assign(const std::string&);
