// The reference-counted std::string of the library's old ABI, which its
// exception classes (std::runtime_error, std::logic_error and the rest) keep
// their message in: only the members their code calls (cow-stdexcept.o,
// stdexcept.o), so that the library's instantiation of the whole class
// (cow-string-inst.o, about 32 KB) stays out, and with it random.o, which that
// object needs and which needs string-inst.o. See RuntimeParts_win.cpp, which
// takes this file into every program.
#define _GLIBCXX_USE_CXX11_ABI 0
#include <string>

extern "C" const char velantrix_runtime_cow_string = 0;

template char* std::string::_S_construct(size_type, char, const std::allocator<char>&);
template void std::string::_Rep::_M_destroy(const std::allocator<char>&) throw();
template void std::string::_Rep::_M_dispose(const std::allocator<char>&);
template char* std::string::_Rep::_M_clone(const std::allocator<char>&, size_type);
template std::string::_Rep* std::string::_Rep::_S_create(size_type, size_type, const std::allocator<char>&);
template void std::string::swap(std::string&);
template std::string& std::string::assign(const std::string&);
