// The server keeps salted verifiers, not passwords: logons, password
// changes and the dictionary work from them, and a file written before
// verifiers existed still lets its users in and loses its plain passwords.

#include "EngineFixture.h"

#include "ociw32/server/OraPasswordVerifier.h"
#include "ociw32/server/OraSha256.h"

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace oraenginetest {
namespace {

using VkOracle::OraPasswordVerifier;

// 1: the digest is SHA-256 (FIPS 180-4 examples, and a message that needs a
// second padding block).
TEST(OraSha256, KnownDigests)
{
    EXPECT_EQ(VkOracle::OraSha256Hex(""), "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855");
    EXPECT_EQ(VkOracle::OraSha256Hex("abc"), "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
    EXPECT_EQ(VkOracle::OraSha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1");
    EXPECT_EQ(VkOracle::OraSha256Hex(std::string(1000000, 'a')),
              "CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0");
}

// 2: verifiers are salted, match case-insensitively, and refuse anything else.
TEST(OraPasswordVerifier, SaltedAndCaseInsensitive)
{
    const std::string a = OraPasswordVerifier::Make("tiger");
    const std::string b = OraPasswordVerifier::Make("tiger");
    EXPECT_NE(a, b); // a fresh salt each time
    EXPECT_EQ(a.size(), 98u);
    EXPECT_EQ(a.substr(0, 2), "S:");
    EXPECT_TRUE(OraPasswordVerifier::IsVerifier(a));
    EXPECT_EQ(a.find("TIGER"), std::string::npos);
    EXPECT_TRUE(OraPasswordVerifier::Matches(a, "tiger"));
    EXPECT_TRUE(OraPasswordVerifier::Matches(a, "TIGER"));
    EXPECT_TRUE(OraPasswordVerifier::Matches(b, "Tiger"));
    EXPECT_FALSE(OraPasswordVerifier::Matches(a, "tigers"));
    EXPECT_FALSE(OraPasswordVerifier::Matches(a, ""));
    EXPECT_EQ(OraPasswordVerifier::WithSalt("tiger", a.substr(66)), a);
    // An old plain value still verifies; damaged values never do.
    EXPECT_FALSE(OraPasswordVerifier::IsVerifier("TIGER"));
    EXPECT_TRUE(OraPasswordVerifier::Matches("TIGER", "tiger"));
    EXPECT_FALSE(OraPasswordVerifier::Matches("", ""));
    EXPECT_FALSE(OraPasswordVerifier::Matches(a.substr(0, 97), "tiger"));
    EXPECT_FALSE(OraPasswordVerifier::Matches("S:" + std::string(96, 'G'), "tiger"));
    EXPECT_FALSE(OraPasswordVerifier::Matches("S:TIGER", "S:TIGER"));
}

class PasswordTest : public DemoEngineTest {
protected:
    std::string LogonError(const std::string& user, const std::string& password)
    {
        std::unique_ptr<VkOracle::OraSession> s;
        return Server().Logon(m_db, user, password, &s).message;
    }
    std::string DatabaseFile() const { return m_db.directory + "/" + m_db.sid + ".db"; }
    std::string FilesText()
    {
        std::string all;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_db.directory))
            if (entry.is_regular_file()) {
                std::ifstream in(entry.path(), std::ios::binary);
                all.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            }
        return all;
    }
};

// 3: no password of a demo user is anywhere in the database's files, and the
// dictionary shows 16 hex digits of the verifier.
TEST_F(PasswordTest, FilesHoldNoPasswords)
{
    EXPECT_EQ(Run("ALTER USER APPUSER IDENTIFIED BY SECRETWORD"), "ok");
    const std::string files = FilesText();
    ASSERT_GT(files.size(), 0u);
    // (MANAGER is also a job title in EMP.)
    for (const char* word : {"TIGER", "CHANGE_ON_INSTALL", "SECRETWORD"})
        EXPECT_EQ(files.find(word), std::string::npos) << word;
    const std::string shown = Run("SELECT PASSWORD FROM DBA_USERS WHERE USERNAME = 'SCOTT'");
    EXPECT_EQ(shown.size(), 16u) << shown;
    EXPECT_EQ(shown.find_first_not_of("0123456789ABCDEF"), std::string::npos) << shown;
}

// 4: logons and password changes work from verifiers.
TEST_F(PasswordTest, LogonAndPasswordChanges)
{
    EXPECT_EQ(LogonError("scott", "tiger"), "");
    EXPECT_EQ(LogonError("SCOTT", "TiGeR"), "");
    EXPECT_EQ(LogonError("scott", "lion").substr(0, 9), "ORA-01017");
    EXPECT_EQ(Run("CREATE USER NEWBIE IDENTIFIED BY FIRST"), "ok");
    EXPECT_EQ(Run("GRANT CREATE SESSION TO NEWBIE"), "ok");
    EXPECT_EQ(LogonError("newbie", "first"), "");
    VkOracle::OraSession& newbie = Logon("NEWBIE", "FIRST");
    EXPECT_EQ(Run(newbie, "ALTER USER NEWBIE IDENTIFIED BY SECOND"), "ok");
    EXPECT_EQ(LogonError("newbie", "first").substr(0, 9), "ORA-01017");
    EXPECT_EQ(LogonError("newbie", "second"), "");
}

// 5: a file from before verifiers keeps a plain password; its user still
// logs on, and the logon replaces the password with a verifier.
TEST_F(PasswordTest, AnOldFileIsMendedAtTheNextLogon)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(DatabaseFile().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "UPDATE cat_users SET password = 'TIGER' WHERE username = 'SCOTT'", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_changes(db), 1);
    sqlite3_close(db);
    EXPECT_EQ(LogonError("scott", "lion").substr(0, 9), "ORA-01017");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM DBA_USERS WHERE USERNAME = 'SCOTT' AND PASSWORD IS NULL"), "1");
    EXPECT_EQ(LogonError("scott", "tiger"), "");
    EXPECT_EQ(Run("SELECT LENGTH(PASSWORD) FROM DBA_USERS WHERE USERNAME = 'SCOTT'"), "16");
    EXPECT_EQ(LogonError("scott", "TIGER"), "");
}

} // namespace
} // namespace oraenginetest
