// Entry of the end-to-end test executables: gtest's own flags, then the path
// of Leitungsfuchs.exe.
#include <gtest/gtest.h>

#include <cstdio>

#include "E2eEnvironment.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s [gtest flags] <Leitungsfuchs.exe>\n", argv[0]);
        return 2;
    }
    SetProgramPath(argv[1]);
    return RUN_ALL_TESTS();
}
