#pragma once

// The main sequence of an installation run; returns the exit code or raises.
int RunInstaller();
