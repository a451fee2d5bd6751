#pragma once
// ocisql's bind variables (VARIABLE name NUMBER | VARCHAR2(n) | CHAR(n)):
// each owns a fixed buffer that statements bind by name, so a PL/SQL block
// can assign it and PRINT shows what it holds.

#include <memory>
#include <string>
#include <vector>

namespace VkOracle {

class OciSqlVariables {
public:
    struct Variable {
        std::string name; // upper case, without the ':'
        std::string type; // NUMBER, VARCHAR2 or CHAR
        int size = 0;     // characters; 0 for NUMBER
        std::vector<char> buffer;
        short indicator = -1; // -1 while NULL

        bool Numeric() const { return type == "NUMBER"; }
        std::string Value() const;
        // "NUMBER" or "VARCHAR2(20)".
        std::string TypeText() const;
    };

    // Declares or redeclares (as NULL) a variable; false with *error for a bad name or type.
    bool Declare(const std::string& name, const std::string& type, std::string* error);
    // The variable of that name (any case, with or without ':'), or null.
    Variable* Find(const std::string& name);
    const std::vector<std::unique_ptr<Variable>>& All() const { return m_variables; }

    // The :names a statement uses outside quotes and comments, upper case,
    // each once, in order of first use.
    static std::vector<std::string> Placeholders(const std::string& statement);

private:
    std::vector<std::unique_ptr<Variable>> m_variables;
};

} // namespace VkOracle
