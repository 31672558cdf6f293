// Puts back the system files a test moved aside, whatever became of that test: ctest runs it
// before and after the Windows tests.
#include <cstdio>

#include "tests/support/system_files.h"

int main()
{
    if (KilnTest::RestoreFilesSetAside())
        return 0;
    std::fprintf(stderr, "a system file set aside by a test could not be put back\n");
    return 1;
}
