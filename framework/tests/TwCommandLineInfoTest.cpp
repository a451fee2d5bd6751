#include "framework/TwCommandLineInfo.h"

#include <gtest/gtest.h>

namespace {

TEST(TwCommandLineInfo, StandardFlagsAndScreenshot)
{
    struct Case {
        QStringList args;
        bool splash;
        bool embedded;
        bool automated;
        const char* screenshot;
        TwCommandLineInfo::Shell shell;
    };
    const Case cases[] = {
        {{}, true, false, false, "", TwCommandLineInfo::FileNew},
        {{"-Embedding"}, false, true, false, "", TwCommandLineInfo::FileNew},
        {{"/EMBEDDING"}, false, true, false, "", TwCommandLineInfo::FileNew},
        {{"/Automation"}, false, false, true, "", TwCommandLineInfo::FileNew},
        {{"-automation"}, false, false, true, "", TwCommandLineInfo::FileNew},
        {{"--screenshot", "/tmp/a.png"}, true, false, false, "/tmp/a.png", TwCommandLineInfo::FileNew},
        {{"--screenshot=/tmp/b.png"}, true, false, false, "/tmp/b.png", TwCommandLineInfo::FileNew},
        {{"/p", "night.qvp"}, true, false, false, "", TwCommandLineInfo::FilePrint},
        {{"-Unregserver"}, true, false, false, "", TwCommandLineInfo::AppUnregister},
        {{"/nologo"}, false, false, false, "", TwCommandLineInfo::FileNew},
        {{"palette.qvp"}, true, false, false, "", TwCommandLineInfo::FileOpen},
    };
    for (const Case& k : cases) {
        TwCommandLineInfo info;
        info.Parse(k.args);
        const std::string what = k.args.join(' ').toStdString();
        EXPECT_EQ(info.m_bShowSplash, k.splash) << what;
        EXPECT_EQ(info.m_bRunEmbedded, k.embedded) << what;
        EXPECT_EQ(info.m_bRunAutomated, k.automated) << what;
        EXPECT_EQ(info.IsEmbeddedOrAutomated(), k.embedded || k.automated) << what;
        EXPECT_EQ(info.m_screenshotPath, k.screenshot) << what;
        EXPECT_EQ(info.m_nShellCommand, k.shell) << what;
    }
}

TEST(TwCommandLineInfo, OddArgumentsAreKeptAsUnknown)
{
    TwCommandLineInfo info;
    info.Parse({"--screenshot"});
    EXPECT_TRUE(info.m_screenshotPath.isEmpty());
    EXPECT_EQ(info.m_unknown, QStringList{"--screenshot"});

    TwCommandLineInfo other;
    other.Parse({"/bogus", "-", "a", "b"});
    EXPECT_EQ(other.m_unknown, QStringList{"/bogus"});
    EXPECT_EQ(other.m_strFileName, "-"); // a lone dash is a name, as the platform reads it
}

TEST(TwCommandLineInfo, HelpVersionAndDemoPalette)
{
    TwCommandLineInfo help;
    help.Parse({"--help"});
    EXPECT_TRUE(help.m_showHelp);
    EXPECT_FALSE(help.m_showVersion);
    EXPECT_TRUE(help.m_unknown.isEmpty());

    TwCommandLineInfo version;
    version.Parse({"-nologo", "--version"});
    EXPECT_TRUE(version.m_showVersion);
    EXPECT_FALSE(version.m_showHelp);

    TwCommandLineInfo demo;
    demo.Parse({"--write-demo-palette", "/tmp/d.qvp", "-nologo"});
    EXPECT_TRUE(demo.m_writeDemoPalette);
    EXPECT_EQ(demo.m_demoPalettePath, "/tmp/d.qvp");
    EXPECT_FALSE(demo.m_bShowSplash);
    EXPECT_TRUE(demo.m_strFileName.isEmpty());

    // Without a file the documents folder's Demo.qvp is meant.
    TwCommandLineInfo bare;
    bare.Parse({"--write-demo-palette", "-nologo"});
    EXPECT_TRUE(bare.m_writeDemoPalette);
    EXPECT_TRUE(bare.m_demoPalettePath.isEmpty());
}

} // namespace
