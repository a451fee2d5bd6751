// The explorer's saved connection as the settings keep it, and encrypted
// values in the memory settings the shell's tests use.

#include "framework/TwExplorerConnection.h"
#include "framework/TwSettings.h"

#include <gtest/gtest.h>

namespace {

TEST(TwExplorerConnection, ReadsUserPasswordAndDatabase)
{
    struct Case {
        const char* text;
        bool read;
        const char* user;
        const char* password;
        const char* database;
    };
    const Case cases[] = {
        {"scott|tiger|DEMO", true, "scott", "tiger", "DEMO"},
        {"||", true, "", "", ""},
        {"system||LEGACY", true, "system", "", "LEGACY"},
        // A password may hold the separator; user and database cannot.
        {"scott|ti|ger|DEMO", true, "scott", "ti|ger", "DEMO"},
        {"", false, "", "", ""},
        {"scott", false, "", "", ""},
        {"scott|DEMO", false, "", "", ""},
    };
    for (const Case& c : cases) {
        TwExplorerConnection connection{"old", "old", "OLD"};
        EXPECT_EQ(TwExplorerConnection::Parse(c.text, &connection), c.read) << c.text;
        if (c.read) {
            EXPECT_EQ(connection.user, c.user) << c.text;
            EXPECT_EQ(connection.password, c.password) << c.text;
            EXPECT_EQ(connection.database, c.database) << c.text;
            EXPECT_EQ(connection.Text(), c.text);
        } else {
            EXPECT_EQ(connection.database, "OLD") << c.text;
        }
    }
    EXPECT_FALSE(TwExplorerConnection::Parse("a|b|c", nullptr));
    const TwExplorerConnection noDatabase{"scott", "tiger", ""};
    EXPECT_FALSE(noDatabase.HasDatabase());
}

TEST(TwMemorySettings, EncryptedTextsComeBackAndNeverLieInClear)
{
    TwMemorySettings settings;
    settings.SetEncryptedString("OrExp", "Connect", "scott|tiger|DEMO");
    std::string raw;
    ASSERT_TRUE(settings.Raw("OrExp", "Connect", &raw));
    EXPECT_EQ(raw.find("tiger"), std::string::npos);
    EXPECT_EQ(settings.GetEncryptedString("orexp", "connect", "x"), "scott|tiger|DEMO");
    EXPECT_EQ(settings.GetEncryptedString("OrExp", "Missing", "x"), "x");
    // What is not a record answers the default.
    for (const char* damaged : {"scott|tiger|DEMO", "zz", "1", ""}) {
        settings.SetString("OrExp", "Connect", damaged);
        EXPECT_EQ(settings.GetEncryptedString("OrExp", "Connect", "x"), "x") << damaged;
    }
}

} // namespace
