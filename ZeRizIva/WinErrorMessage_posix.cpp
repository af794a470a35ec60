#include <string>

// The native build has no system texts: the built-in table answers.
bool SystemErrorText(unsigned long, std::string&) { return false; }
