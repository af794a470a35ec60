#pragma once
// Starts the installed main program once the installation is complete.

// Runs "\"" + main program path + "\"" and returns at once: the result is not
// examined and nothing waits for the program.
void LaunchInstalledProgram();
