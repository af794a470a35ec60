#pragma once
// The core library's one export.
extern "C" {
typedef const char*(__stdcall* VxCoreDescriptionFunction)();
}
