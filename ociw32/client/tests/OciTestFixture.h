#pragma once
// A data root with an Oracle home (DEMO, DOWN and REMOTE aliases) and the
// fake server installed, plus helpers for calling the entry points.

#include "FakeOraServer.h"

#include "ociw32/include/oci7.h"
#include "ociw32/names/OraHome.h"
#include "platform/Registry.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

namespace fake {

inline text* T(const char* s)
{
    return reinterpret_cast<text*>(const_cast<char*>(s));
}

class OciTest : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        qvtest::FreshRootTest::SetUp();
        const std::filesystem::path home = root() / "oracle";
        for (const char* sid : {"DEMO", "DOWN"})
            std::filesystem::create_directories(home / "database" / sid);
        std::filesystem::create_directories(home / "network" / "ADMIN");
        std::ofstream(home / "network" / "ADMIN" / "tnsnames.ora")
            << "DEMO = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = localhost)(PORT = 1521))\n"
               "  (CONNECT_DATA = (SID = DEMO)))\n"
               "DOWN = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = localhost)(PORT = 1521))\n"
               "  (CONNECT_DATA = (SID = DOWN)))\n"
               "REMOTE = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = db.invalid.example)(PORT = 1521))\n"
               "  (CONNECT_DATA = (SID = DEMO)))\n";
        ASSERT_TRUE(VkOracle::OraRegisterHome(home, "DEMO"));
        VkOracle::InstallOraServer(&m_server);
        opinit(OCI_EV_TSF);
    }
    void TearDown() override
    {
        VkOracle::InstallOraServer(nullptr);
        qvtest::FreshRootTest::TearDown();
    }

    // Logs lda on as scott/tiger@DEMO; fails the test otherwise.
    void Logon(Lda_Def* lda)
    {
        std::memset(lda, 0, sizeof *lda);
        ASSERT_EQ(olog(lda, m_hda, T("scott/tiger@DEMO"), -1, nullptr, -1, nullptr, -1, OCI_LM_DEF), 0)
            << lda->rc;
    }
    void Open(Cda_Def* cda, Lda_Def* lda)
    {
        std::memset(cda, 0, sizeof *cda);
        ASSERT_EQ(oopen(cda, lda, nullptr, -1, -1, nullptr, -1), 0) << cda->rc;
    }
    // Logon, open, parse.
    void Prepare(const char* sql)
    {
        Logon(&m_lda);
        Open(&m_cda, &m_lda);
        ASSERT_EQ(oparse(&m_cda, T(sql), -1, 0, 1), 0) << m_cda.rc;
    }
    std::string Message(cda_def* area, int code)
    {
        char buf[512];
        oerhms(area, static_cast<sb2>(code), reinterpret_cast<text*>(buf), sizeof buf);
        return buf;
    }

    FakeOraServer m_server;
    ub1 m_hda[HDA_SIZE] = {};
    Lda_Def m_lda{};
    Cda_Def m_cda{};
};

} // namespace fake
