#include "InstallParams.h"

InstallParams& Params()
{
    static InstallParams params;
    return params;
}
