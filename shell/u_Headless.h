#pragma once
// The command line's headless modes. Each takes the parsed command line, reports on standard
// output/error and returns the exit status: 0 success, 1 failure (the program's own message on
// standard error), 2 usage error.
#include "u_CommandLine.h"

int RunConvert(const TCommandLine &Line);
int RunRender(const TCommandLine &Line);
int RunSend(const TCommandLine &Line);
int RunGet(const TCommandLine &Line);
int RunGrob(const TCommandLine &Line);

// Prints a usage error with the usage lines under it and returns the usage exit status.
int UsageError(const QString &Reason);
