#pragma once
// A demo database with SCOTT logged on, and helpers that run PL/SQL blocks
// and give back their results as text for table-driven checks.

#include "EngineFixture.h"

#include <string>
#include <utility>
#include <vector>

namespace oraenginetest {

class PlsqlEngineTest : public ScottEngineTest {
protected:

    // Runs a block as SCOTT; "ok" or the whole error. Binds are text or NULL
    // going in; their values afterwards come back in *out as "NAME=value" lines.
    std::string Block(VkOracle::OraSession& s, const std::string& sql, const std::vector<std::string>& binds = {},
                      std::string* out = nullptr)
    {
        std::unique_ptr<VkOracle::OraStatement> st;
        VkOracle::OraResult r = s.Parse(sql, &st);
        if (!r.Ok())
            return r.message;
        for (const std::string& name : binds)
            EXPECT_TRUE(st->Bind(name, VkOracle::OraValue{}).Ok()) << name;
        uint64_t rows = 0;
        r = st->Execute(&rows);
        if (out) {
            out->clear();
            for (const std::string& name : binds) {
                VkOracle::OraValue v;
                EXPECT_TRUE(st->BoundValue(name, &v).Ok());
                *out += (out->empty() ? "" : "\n") + name + "=" + ValueText(v);
            }
        }
        return r.Ok() ? "ok" : r.message;
    }
    std::string Block(const std::string& sql, const std::vector<std::string>& binds = {}, std::string* out = nullptr)
    {
        return Block(Scott(), sql, binds, out);
    }
    // The value of a PL/SQL expression (declarations may come first), or the error.
    std::string Value(const std::string& expr, const std::string& decls = "")
    {
        std::string out;
        const std::string r = Block("DECLARE " + decls + " v VARCHAR2(4000); BEGIN :R := " + expr + "; END;", {"R"}, &out);
        return r == "ok" ? out.substr(2) : r;
    }
    // TRUE, FALSE or NULL for a PL/SQL condition, or the error.
    std::string Condition(const std::string& cond, const std::string& decls = "")
    {
        std::string out;
        const std::string r = Block("DECLARE " + decls + " v VARCHAR2(1); BEGIN IF " + cond + " THEN :R := 'TRUE'; ELSIF NOT (" +
                                        cond + ") THEN :R := 'FALSE'; ELSE :R := 'NULL'; END IF; END;",
                                    {"R"}, &out);
        return r == "ok" ? out.substr(2) : r;
    }
};

} // namespace oraenginetest
