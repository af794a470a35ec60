#pragma once

// Makes every library loaded by name from now on come from the system
// directory, never from the program's folder or the current directory: an
// installer runs from a downloads folder, often elevated, where anyone may
// have planted a DLL. Uses what the system offers (looked up at run time, so
// older systems still start); on systems without it, nothing changes.
void RestrictLibraryLoadingToSystemDirectory();
