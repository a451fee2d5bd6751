#include "testsupport/TestRoot.h"

// Every test process runs on its own data root, never the user's.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    qvtest::TempRoot root;
    return RUN_ALL_TESTS();
}
