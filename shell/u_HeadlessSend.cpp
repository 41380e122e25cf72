#include "u_Headless.h"

#include <cstdio>

// Sending arrives with the Kermit sender.
int RunSend(const QStringList &)
{
    std::fputs("--send is not available in this build\n", stderr);
    return 2;
}
