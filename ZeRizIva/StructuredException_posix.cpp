#include "StructuredException.h"

// Native builds have no structured exceptions.
void InstallStructuredExceptionTranslator() {}
