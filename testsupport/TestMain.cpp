#include "platform/VkSqliteSetup.h"
#include "testsupport/TestRoot.h"

#include <clocale>

// Every test process runs on its own data root, never the user's, and in the
// locale of its environment, as the program does (QApplication sets it), so
// that a run with LC_ALL=tr_TR.UTF-8 tests what a Turkish user gets.
int main(int argc, char** argv)
{
    VkSetUpSqlite();
    std::setlocale(LC_ALL, "");
    ::testing::InitGoogleTest(&argc, argv);
    qvtest::TempRoot root;
    return RUN_ALL_TESTS();
}
