#include "platform/VkSqliteSetup.h"
#include "testsupport/TestRoot.h"

#include <QApplication>

#include <cstdlib>

// GUI tests: offscreen platform, one QApplication, a fresh data root.
int main(int argc, char** argv)
{
    VkSetUpSqlite();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    qvtest::TempRoot root;
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
