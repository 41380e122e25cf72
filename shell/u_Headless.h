#pragma once
// The command line's headless modes. Each takes the whole argument list (program name first), parses
// its own options, reports on standard output/error and returns the exit status: 0 success, 1 failure
// (the program's own message on standard error), 2 usage error.
#include <QStringList>

int RunConvert(const QStringList &Arguments);
int RunRender(const QStringList &Arguments);
int RunSend(const QStringList &Arguments);
