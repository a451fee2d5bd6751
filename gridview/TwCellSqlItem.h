#pragma once
// One grid cell that carries a SQL or PL/SQL text of its own; its first
// result value is shown in the cell after every run.

#include <string>

struct TwCellSqlItem {
    int row = 0;
    int column = 0;
    std::string cellText;
    std::string description;
    std::string sql;
};
