#include "u_Headless.h"

#include <cstdio>

// Document conversion and rendering arrive with the document file formats.
int RunConvert(const QStringList &)
{
    std::fputs("--convert is not available in this build\n", stderr);
    return 2;
}

int RunRender(const QStringList &)
{
    std::fputs("--render is not available in this build\n", stderr);
    return 2;
}
