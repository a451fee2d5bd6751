// Queries and DML of the compiler: FROM resolution with privileges, outer
// joins, ROWNUM limits, grouping rules, ORDER BY, set operations.
#include "ociw32/server/SqlCompiler.h"

#include "ociw32/server/CatalogSchema.h"
#include "ociw32/server/OraStackGuard.h"
#include "ociw32/server/SqlParser.h"
#include "ociw32/server/SqliteUtil.h"
#include "platform/VkNumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace VkOracle {
namespace {

void Conjuncts(const SqlExprPtr& e, std::vector<SqlExprPtr>* out)
{
    // Left to right without recursion: AND chains can be thousands long.
    std::vector<SqlExprPtr> pending;
    if (e)
        pending.push_back(e);
    while (!pending.empty()) {
        SqlExprPtr x = pending.back();
        pending.pop_back();
        if (x->kind == SqlExpr::Kind::And) {
            pending.push_back(x->args[1]);
            pending.push_back(x->args[0]);
        } else {
            out->push_back(x);
        }
    }
}

bool IsRownum(const SqlExpr& e)
{
    return e.kind == SqlExpr::Kind::Pseudo && e.text == "ROWNUM";
}

} // namespace

OraObjectRef SqlCompiler::ResolveChecked(const std::vector<std::string>& name, const std::string& privilege, int pos)
{
    OraObjectRef ref = m_catalog.Resolve(name);
    if (!ref.found || !m_catalog.CanSee(ref))
        Fail(942, pos);
    if (ref.type != "TABLE" && ref.type != "VIEW")
        Fail(942, pos);
    if (ref.type == "VIEW") {
        // An invalid view works again once what it reads exists again.
        SqliteStmt status(m_catalog.Db(), "SELECT status FROM cat_objects WHERE object_id = ?");
        status.Bind(1, ref.id);
        if (status.Step() && status.Text(0) == "INVALID") {
            SqliteStmt probe(m_catalog.Db(),
                             "SELECT * FROM " + SqlQuoteIdent(OraCatalog::StorageName(ref.owner, ref.name)) + " LIMIT 0");
            if (!probe.Ok())
                Fail(4063, pos, {"view \"" + ref.owner + "\".\"" + ref.name + "\""});
        }
    }
    // Visible through some other privilege: Oracle says what is missing.
    if (!m_catalog.HasObjectPriv(ref, privilege))
        Fail(1031, pos);
    return ref;
}

SqlCompiler::Source SqlCompiler::TableSource(const SqlFromItem& item, const std::string& privilege,
                                             const std::string& sqlAlias)
{
    OraObjectRef ref = ResolveChecked(item.name, privilege, item.pos);
    Source s;
    s.alias = item.alias.empty() ? item.name.back() : item.alias;
    s.owner = item.name.size() == 2 ? item.name[0] : m_catalog.Schema();
    s.table = item.alias.empty() ? item.name.back() : std::string();
    s.sqlAlias = sqlAlias;
    s.columns = m_catalog.Columns(ref.owner, ref.name);
    s.storage = OraCatalog::StorageName(ref.owner, ref.name);
    if (ref.owner == "SYS" && ref.type == "VIEW")
        s.viewQuery = DictionaryViewQuery(ref.name, m_catalog.Major());
    return s;
}

std::string SqlCompiler::QueryBlock(const SqlSelect& select, Scope* parent, std::vector<CompiledColumn>* columns,
                                    bool positionalNames, std::vector<std::string>* selectSql, Scope* scopeOut,
                                    BlockLimit* limitOut, const std::vector<std::string>* extraItems)
{
    Scope scope;
    scope.parent = parent;
    std::vector<std::string> fromSql;
    for (const SqlFromItem& item : select.from) {
        const std::string alias = "t" + std::to_string(m_aliasCounter++);
        if (item.sub) {
            std::vector<CompiledColumn> cols;
            const size_t countersBefore = m_rownumCounters.size();
            struct ViewLevel {
                int& depth;
                ~ViewLevel() { --depth; }
            } viewLevel{++m_viewDepth};
            std::string sub = Query(*item.sub, nullptr, &cols, false);
            // SQLite may merge a sub-query into the outer one or push outer
            // conditions into it; its row order and ROWNUM counting must stay
            // its own, and a LIMIT keeps it whole.
            if (!item.sub->orderBy.empty() || m_rownumCounters.size() != countersBefore)
                sub = "SELECT * FROM (" + sub + ") LIMIT -1";
            Source s;
            s.alias = item.alias;
            s.sqlAlias = alias;
            for (const CompiledColumn& c : cols)
                s.columns.push_back(OraColumnInfo{c.name, c.type, std::string()});
            // Inline views nested deeper than SQLite's parser follows become
            // named queries of the statement (an inline view cannot see the
            // query around it, so a WITH clause means the same).
            s.storage = "(" + (m_viewDepth % kViewsPerLevel == 0 ? "SELECT * FROM " + NamedQuery(sub) : sub) + ")";
            scope.sources.push_back(s);
        } else {
            Source s = TableSource(item, "SELECT", alias);
            s.storage = s.viewQuery.empty() ? SqlQuoteIdent(s.storage) : "(" + s.viewQuery + ")";
            scope.sources.push_back(s);
        }
    }
    // WHERE: ROWNUM limits, outer-join predicates, plain filters.
    std::vector<SqlExprPtr> conjuncts;
    Conjuncts(select.where, &conjuncts);
    std::vector<std::string> where;
    std::vector<std::vector<std::string>> onConds(scope.sources.size());
    std::vector<std::set<int>> onRefs(scope.sources.size());
    std::string limit;
    std::vector<std::string> rownumConds;
    // LIMIT stands in for ROWNUM only where rows leave the block as they pass WHERE.
    bool simpleBlock = select.groupBy.empty() && !select.having && !select.distinct;
    {
        std::function<bool(const SqlExpr&)> hasAggregate = [&](const SqlExpr& x) {
            if (x.kind == SqlExpr::Kind::Func && IsAggregateName(x.text))
                return true;
            for (const auto& a : x.args)
                if (hasAggregate(*a))
                    return true;
            return false;
        };
        for (const SqlSelectItem& item : select.items)
            simpleBlock = simpleBlock && !hasAggregate(*item.expr);
    }
    // A grouped query over one table takes its first rows in a sub-query.
    // (a dictionary view counts as the view it stands for)
    const bool singleTable = scope.sources.size() == 1 &&
                             (scope.sources[0].storage[0] != '(' || !scope.sources[0].viewQuery.empty());
    for (const SqlExprPtr& c : conjuncts) {
        if ((simpleBlock || singleTable) && c->kind == SqlExpr::Kind::Compare && c->args.size() == 2 &&
            c->quantifier.empty() && (IsRownum(*c->args[0]) || IsRownum(*c->args[1]))) {
            const bool left = IsRownum(*c->args[0]);
            const SqlExpr& other = *c->args[left ? 1 : 0];
            std::string op = c->text;
            if (!left) { // N op ROWNUM -> ROWNUM op' N
                if (op == "<") op = ">";
                else if (op == ">") op = "<";
                else if (op == "<=") op = ">=";
                else if (op == ">=") op = "<=";
            }
            if (other.kind == SqlExpr::Kind::Number || other.kind == SqlExpr::Kind::Bind) {
                std::string n;
                if (other.kind == SqlExpr::Kind::Number) {
                    const double v = VkStrtod(other.text.c_str());
                    long long count = -1; // -1 = no limit
                    if (op == "<=") count = static_cast<long long>(std::floor(v));
                    else if (op == "<") count = static_cast<long long>(std::ceil(v)) - 1;
                    else if (op == "=") count = v == 1 ? 1 : 0;
                    else if (op == ">") count = v < 1 ? -1 : 0;
                    else if (op == ">=") count = v <= 1 ? -1 : 0;
                    else if (op == "<>") count = v < 1 ? -1 : static_cast<long long>(std::ceil(v)) - 1;
                    if (count >= 0)
                        n = std::to_string(std::max(0LL, count));
                } else {
                    CExpr b = Expr(other, scope);
                    if (op == "<=") n = "ora_trunc_num(ora_to_num(" + b.sql + "))";
                    else if (op == "<") n = "ora_ceil(ora_to_num(" + b.sql + ")) - 1";
                    else Fail(976, c->pos);
                }
                if (!n.empty())
                    limit = limit.empty() ? n : "min(" + limit + ", " + n + ")";
                continue;
            }
        }
        scope.outerUsed.clear();
        scope.refs.clear();
        scope.sawRownum = false;
        scope.inWhere = true;
        CExpr e = Expr(*c, scope);
        scope.inWhere = false;
        if (scope.sawRownum) {
            if (!scope.outerUsed.empty())
                Fail(976, c->pos);
            rownumConds.push_back(e.sql);
            continue;
        }
        if (scope.outerUsed.size() > 1)
            Fail(1468, c->pos);
        if (scope.outerUsed.size() == 1) {
            const int target = *scope.outerUsed.begin();
            scope.sources[static_cast<size_t>(target)].outer = true;
            onConds[static_cast<size_t>(target)].push_back(e.sql);
            for (int r : scope.refs)
                if (r != target)
                    onRefs[static_cast<size_t>(target)].insert(r);
        } else {
            where.push_back(e.sql);
        }
    }
    scope.outerUsed.clear();
    if (where.size() > 64)
        where = {JoinBalanced(where, " AND ")};
    if (!simpleBlock && !limit.empty()) {
        Source& only = scope.sources[0];
        std::string inner = "SELECT * FROM " + only.storage + " AS " + only.sqlAlias;
        for (size_t i = 0; i < where.size(); ++i)
            inner += (i ? " AND " : " WHERE ") + where[i];
        inner += " ORDER BY " + only.sqlAlias + ".rowid LIMIT " + limit;
        only.storage = "(" + inner + ")";
        where.clear();
        limit.clear();
    }
    // FROM in an order where each outer-joined table follows what it joins to.
    std::string from;
    std::vector<bool> placed(scope.sources.size(), false);
    size_t placedCount = 0;
    for (size_t i = 0; i < scope.sources.size(); ++i) {
        if (scope.sources[i].outer)
            continue;
        from += (from.empty() ? "" : ", ") + scope.sources[i].storage + " AS " + scope.sources[i].sqlAlias;
        placed[i] = true;
        ++placedCount;
    }
    while (placedCount < scope.sources.size()) {
        bool progress = false;
        for (size_t i = 0; i < scope.sources.size(); ++i) {
            if (placed[i])
                continue;
            bool ready = true;
            for (int r : onRefs[i])
                ready = ready && placed[static_cast<size_t>(r)];
            if (!ready)
                continue;
            if (from.empty()) {
                // Every table is outer-joined: nothing anchors the join.
                Fail(1416, select.pos);
            }
            std::string on;
            for (const std::string& c : onConds[i])
                on += (on.empty() ? "" : " AND ") + c;
            from += " LEFT JOIN " + scope.sources[i].storage + " AS " + scope.sources[i].sqlAlias + " ON " + on;
            placed[i] = true;
            ++placedCount;
            progress = true;
        }
        if (!progress)
            Fail(1416, select.pos);
    }
    // Select list.
    scope.allowAggregates = true;
    scope.sawAggregate = false;
    std::vector<std::string> items;
    std::vector<const SqlExpr*> itemExprs;
    columns->clear();
    std::vector<std::string> itemSql;
    auto addColumn = [&](const std::string& sql, const std::string& name, const SqlType& type, const SqlExpr* expr) {
        const std::string alias = positionalNames ? "_" + std::to_string(columns->size() + 1) : name;
        items.push_back(sql + " AS " + SqlQuoteIdent(alias));
        itemSql.push_back(sql);
        if (selectSql)
            selectSql->push_back(sql);
        columns->push_back(CompiledColumn{name, type});
        itemExprs.push_back(expr);
    };
    for (const SqlSelectItem& item : select.items) {
        if (item.expr->kind == SqlExpr::Kind::Star) {
            const std::vector<std::string>& q = item.expr->names;
            bool any = false;
            for (const Source& s : scope.sources) {
                if (q.size() == 1 && s.alias != q[0])
                    continue;
                if (q.size() == 2 && !(s.owner == q[0] && s.alias == q[1] && !s.table.empty()))
                    continue;
                any = true;
                for (const OraColumnInfo& c : s.columns) {
                    SqlType t = c.type;
                    if (s.outer)
                        t.nullable = true;
                    addColumn(s.sqlAlias + "." + SqlQuoteIdent(c.name), c.name, t, nullptr);
                }
            }
            if (!any)
                Fail(q.empty() ? 936 : 904, item.expr->pos, {q.empty() ? std::string() : "\"" + q.back() + "\""});
            continue;
        }
        CExpr e = Expr(*item.expr, scope);
        SqlType t = e.type;
        if (t.IsUnknown())
            t = TextType(0);
        if (t.base == SqlBaseType::Char && item.expr->kind != SqlExpr::Kind::Column)
            t.base = SqlBaseType::Char;
        addColumn(e.sql, item.hasAlias ? item.alias : Heading(*item.expr), t, item.expr.get());
    }
    if (columns->size() > 1000)
        Fail(1792, select.pos);
    const bool selectAggregates = scope.sawAggregate;
    if (scope.rownumId) {
        // Count a row once it passed every other condition and the ROWNUM ones.
        std::string cond;
        for (const std::string& w : where)
            cond += (cond.empty() ? "" : " AND ") + w;
        for (const std::string& r : rownumConds)
            cond += (cond.empty() ? "" : " AND ") + r;
        // A term that names no table runs in a join's outermost loop, counting
        // its rows only: a column of every source keeps it in the innermost.
        // SQLite tests a view's own conditions that hold a correlated
        // sub-query after all others; a correlated sub-query of its own puts
        // the count after them too, so rows the view leaves out are not counted.
        const bool viaView = std::any_of(scope.sources.begin(), scope.sources.end(),
                                         [](const Source& s) { return s.storage[0] == '('; });
        std::string take = "ora_rownum_take(" + std::to_string(scope.rownumId);
        if (scope.sources.size() > 1 || viaView)
            for (const Source& s : scope.sources)
                if (!s.columns.empty())
                    take += ", " + (s.sqlAlias.empty() ? "" : s.sqlAlias + ".") + SqlQuoteIdent(s.columns.front().name);
        take += ")";
        if (viaView)
            take = "(SELECT " + take + ")";
        where.push_back(cond.empty() ? take : "CASE WHEN " + cond + " THEN " + take + " ELSE 0 END");
    }
    // GROUP BY / HAVING.
    std::set<std::string> groupKeys;
    std::vector<std::string> group;
    scope.allowAggregates = false;
    for (const SqlExprPtr& g : select.groupBy) {
        CExpr e = Expr(*g, scope);
        groupKeys.insert(e.sql);
        // Oracle groups by a number literal as by any constant; SQLite would
        // take it for a column position.
        group.push_back(g->kind == SqlExpr::Kind::Number ? "CAST(" + e.sql + " AS NUMERIC)" : e.sql);
    }
    std::string having;
    scope.allowAggregates = true;
    scope.sawAggregate = false;
    if (select.having)
        having = Expr(*select.having, scope).sql;
    const bool aggregateQuery = !group.empty() || selectAggregates || scope.sawAggregate;
    if (aggregateQuery) {
        for (size_t i = 0; i < itemExprs.size(); ++i) {
            const SqlExpr* x = itemExprs[i];
            if (!x) {
                // t.* in a grouped query: each column must be grouped.
                const std::string& sql = items[i].substr(0, items[i].rfind(" AS "));
                if (!groupKeys.count(sql))
                    Fail(group.empty() ? 937 : 979, select.pos);
                continue;
            }
            if (!IsGroupValid(*x, scope, groupKeys))
                Fail(group.empty() ? 937 : 979, x->pos);
        }
    }
    if (scopeOut) {
        scopeOut->sources = scope.sources;
        scopeOut->parent = parent;
        scopeOut->allowAggregates = aggregateQuery;
        scopeOut->groupKeys = groupKeys;
    }
    std::string sql = std::string("SELECT ") + (select.distinct ? "DISTINCT " : "");
    for (size_t i = 0; i < items.size(); ++i)
        sql += (i ? ", " : "") + items[i];
    if (extraItems)
        for (size_t i = 0; i < extraItems->size(); ++i)
            sql += ", " + (*extraItems)[i] + " AS \"_o" + std::to_string(i + 1) + "\"";
    const size_t tailStart = sql.size();
    if (!from.empty())
        sql += " FROM " + from;
    for (size_t i = 0; i < where.size(); ++i)
        sql += (i ? " AND " : " WHERE ") + where[i];
    for (size_t i = 0; i < group.size(); ++i)
        sql += (i ? ", " : " GROUP BY ") + group[i];
    if (!having.empty() && group.empty() && !selectAggregates) {
        // HAVING without GROUP BY makes the query one group even when the
        // select list has no aggregate; SQLite wants one there, so the
        // condition rides along as a hidden aggregate column.
        std::string inner = "SELECT ";
        for (size_t i = 0; i < itemSql.size(); ++i)
            inner += itemSql[i] + " AS " + SqlQuoteIdent("_" + std::to_string(i + 1)) + ", ";
        inner += "(" + having + ") AS \"_h\"" + sql.substr(tailStart);
        std::string outer = "SELECT ";
        for (size_t i = 0; i < itemSql.size(); ++i)
            outer += (i ? ", " : "") + SqlQuoteIdent("_" + std::to_string(i + 1)) + " AS " +
                     SqlQuoteIdent(positionalNames ? "_" + std::to_string(i + 1) : (*columns)[i].name);
        sql = outer + " FROM (" + inner + ") WHERE \"_h\"";
        if (scopeOut)
            scopeOut->singleRow = true;
    } else if (!having.empty()) {
        sql += " HAVING " + having;
    }
    if (limitOut) {
        limitOut->count = limit;
        // ROWNUM numbers rows in the order the table holds them.
        if (!limit.empty() && scope.sources.size() == 1 &&
            (scope.sources[0].storage[0] != '(' || !scope.sources[0].viewQuery.empty()))
            limitOut->tableOrder = scope.sources[0].sqlAlias + ".rowid";
    }
    return sql;
}

bool SqlCompiler::IsGroupValid(const SqlExpr& e, Scope& scope, const std::set<std::string>& groupKeys)
{
    using K = SqlExpr::Kind;
    if (OraStackLow())
        Fail(3095, e.pos, {std::to_string(SqlParser::kMaxExprDepth)});
    if (e.kind == K::Func && IsAggregateName(e.text))
        return true;
    if (e.kind == K::Number || e.kind == K::String || e.kind == K::Null || e.kind == K::Bind || e.kind == K::Pseudo ||
        e.kind == K::Subquery || e.kind == K::Exists)
        return true;
    {
        Scope probe = scope;
        probe.allowAggregates = true;
        try {
            if (groupKeys.count(Expr(e, probe).sql))
                return true;
        } catch (const Failure&) {
        }
    }
    if (e.kind == K::Column)
        return false;
    for (const auto& a : e.args)
        if (!IsGroupValid(*a, scope, groupKeys))
            return false;
    return true;
}

std::string SqlCompiler::Query(const SqlSelect& select, Scope* parent, std::vector<CompiledColumn>* columns,
                               bool positionalNames)
{
    Scope blockScope;
    std::vector<std::string> selectSql;
    BlockLimit blockLimit;
    const int firstAlias = m_aliasCounter;
    std::string sql = QueryBlock(select, parent, columns, positionalNames, &selectSql, &blockScope, &blockLimit);
    const bool hasLimit = !blockLimit.count.empty();
    // A block's first rows in table order, as ROWNUM takes them.
    auto limited = [](const std::string& block, const BlockLimit& l) {
        return block + (l.tableOrder.empty() ? "" : " ORDER BY " + l.tableOrder) + " LIMIT " + l.count;
    };
    if (hasLimit && !select.setOps.empty())
        sql = "SELECT * FROM (" + limited(sql, blockLimit) + ")";
    constexpr size_t kCompoundTerms = 100;
    size_t terms = 0;
    for (const auto& op : select.setOps) {
        std::vector<CompiledColumn> cols;
        BlockLimit nextLimit;
        std::string next = QueryBlock(*op.second, parent, &cols, positionalNames, nullptr, nullptr, &nextLimit);
        if (cols.size() != columns->size())
            Fail(1789, op.second->pos);
        for (size_t i = 0; i < cols.size(); ++i) {
            const SqlType& a = (*columns)[i].type;
            const SqlType& b = cols[i].type;
            if (!a.IsUnknown() && !b.IsUnknown() && a.size != 0 && b.size != 0 &&
                (a.IsNumber() != b.IsNumber() || a.IsDate() != b.IsDate()))
                Fail(1790, op.second->pos);
            if ((*columns)[i].type.IsText() && b.IsText())
                (*columns)[i].type.size = std::max((*columns)[i].type.size, b.size);
        }
        // SQLite applies LIMIT to the whole compound: keep each block's own.
        if (!nextLimit.count.empty())
            next = "SELECT * FROM (" + limited(next, nextLimit) + ")";
        // SQLite takes 500 terms a compound at most (and recurses per term):
        // every kCompoundTerms terms, what came so far becomes one operand.
        if (++terms % kCompoundTerms == 0)
            sql = "SELECT * FROM (" + sql + ")";
        sql += " " + (op.first == "MINUS" ? std::string("EXCEPT") : op.first) + " " + next;
    }
    if (select.orderBy.empty())
        return hasLimit && select.setOps.empty() ? limited(sql, blockLimit) : sql;
    if (blockScope.singleRow && select.setOps.empty())
        return sql; // one group at most: nothing to sort
    const bool grouped = blockScope.allowAggregates; // ORDER BY keys must then be grouped too
    std::string order;
    bool positionalOnly = true;
    std::vector<std::string> hiddenKeys;  // non-positional keys, for a limited block
    std::string hiddenOrder;             // the same ORDER BY over "_N" and "_oN" columns
    for (const SqlOrderItem& item : select.orderBy) {
        std::string key;
        std::string hiddenKey;
        const SqlExpr& x = *item.expr;
        if (x.kind == SqlExpr::Kind::Number) {
            const int n = std::atoi(x.text.c_str());
            if (n < 1 || n > static_cast<int>(columns->size()) || x.text.find('.') != std::string::npos)
                Fail(1785, x.pos);
            key = std::to_string(n);
        } else {
            if (x.kind == SqlExpr::Kind::Column && x.names.size() == 1) {
                int match = 0;
                for (size_t i = 0; i < select.items.size() && i < columns->size(); ++i) {
                    if (select.items[i].hasAlias && select.items[i].alias == x.names[0]) {
                        if (match)
                            Fail(960, x.pos);
                        match = static_cast<int>(i) + 1;
                    }
                }
                if (!match && !select.setOps.empty()) {
                    for (size_t i = 0; i < columns->size() && !match; ++i)
                        if ((*columns)[i].name == x.names[0])
                            match = static_cast<int>(i) + 1;
                }
                if (match)
                    key = std::to_string(match);
            }
            if (key.empty()) {
                if (!select.setOps.empty())
                    Fail(1785, x.pos);
                blockScope.allowAggregates = true;
                CExpr e = Expr(x, blockScope);
                if (grouped && !IsGroupValid(x, blockScope, blockScope.groupKeys))
                    Fail(979, x.pos);
                for (size_t i = 0; i < selectSql.size() && key.empty(); ++i)
                    if (selectSql[i] == e.sql)
                        key = std::to_string(i + 1);
                if (key.empty()) {
                    if (select.distinct)
                        Fail(1791, x.pos);
                    key = e.sql;
                    positionalOnly = false;
                    hiddenKeys.push_back(e.sql);
                    hiddenKey = "\"_o" + std::to_string(hiddenKeys.size()) + "\"";
                }
            }
        }
        const bool nullsFirst = item.nulls == 1 || (item.nulls == 0 && item.desc);
        const std::string direction =
            std::string(item.desc ? " DESC" : " ASC") + (nullsFirst ? " NULLS FIRST" : " NULLS LAST");
        order += (order.empty() ? "" : ", ") + key + direction;
        if (hiddenKey.empty())
            hiddenKey = key.find_first_not_of("0123456789") == std::string::npos ? "\"_" + key + "\"" : key;
        hiddenOrder += (hiddenOrder.empty() ? "" : ", ") + hiddenKey + direction;
    }
    if (hasLimit && select.setOps.empty()) {
        if (positionalOnly)
            return "SELECT * FROM (" + limited(sql, blockLimit) + ") ORDER BY " + order;
        // The sort needs expressions the select list lacks: the limited block
        // carries them as hidden columns, sorted on outside.
        const int aliasesAfter = m_aliasCounter;
        m_aliasCounter = firstAlias; // compile the same aliases again
        std::vector<CompiledColumn> cols;
        BlockLimit limit;
        const std::string inner = QueryBlock(select, parent, &cols, true, nullptr, nullptr, &limit, &hiddenKeys);
        m_aliasCounter = std::max(m_aliasCounter, aliasesAfter);
        std::string outer = "SELECT ";
        for (size_t i = 0; i < cols.size(); ++i)
            outer += (i ? ", " : "") + SqlQuoteIdent("_" + std::to_string(i + 1)) + " AS " +
                     SqlQuoteIdent(positionalNames ? "_" + std::to_string(i + 1) : cols[i].name);
        return outer + " FROM (" + limited(inner, limit) + ") ORDER BY " + hiddenOrder;
    }
    return sql + " ORDER BY " + order;
}

std::string SqlCompiler::NamedQuery(const std::string& sql)
{
    std::vector<std::pair<std::string, std::string>>& named = m_frames.empty() ? m_named : m_frames.back().named;
    for (const auto& n : named)
        if (n.second == sql)
            return n.first;
    const std::string name = "\"_w" + std::to_string(m_namedCounter++) + "\"";
    named.emplace_back(name, sql);
    return name;
}

std::string SqlCompiler::WithClause(const std::vector<std::pair<std::string, std::string>>& named)
{
    std::string out;
    for (const auto& n : named)
        out += (out.empty() ? "WITH " : ", ") + n.first + " AS (" + n.second + ")";
    return out.empty() ? out : out + " ";
}

bool SqlCompiler::CompileQuery(const SqlSelect& select, CompiledStatement* out, SqlCompileError* error)
{
    try {
        out->sql = Query(select, nullptr, &out->columns, false);
        out->sql = WithClause(m_named) + out->sql;
        FinishStatement(out);
        return true;
    } catch (const Failure& f) {
        *error = SqlCompileError{f.code, f.pos, f.args};
        return false;
    }
}

bool SqlCompiler::CompileInsert(const SqlStatement& st, CompiledStatement* out, SqlCompileError* error)
{
    try {
        SqlFromItem item;
        item.name = st.target;
        item.pos = 0;
        OraObjectRef ref = ResolveChecked(st.target, "INSERT", 12);
        if (ref.type != "TABLE")
            Fail(1732, 12);
        const std::vector<OraColumnInfo> all = m_catalog.Columns(ref.owner, ref.name);
        std::vector<const OraColumnInfo*> targets;
        if (st.columns.empty()) {
            for (const OraColumnInfo& c : all)
                targets.push_back(&c);
        } else {
            for (const std::string& name : st.columns) {
                const OraColumnInfo* found = nullptr;
                for (const OraColumnInfo& c : all)
                    if (c.name == name)
                        found = &c;
                if (!found)
                    Fail(904, 0, {"\"" + name + "\""});
                if (std::find(targets.begin(), targets.end(), found) != targets.end())
                    Fail(957, 0);
                targets.push_back(found);
            }
        }
        // Columns left out take their defaults.
        std::vector<std::string> defaults;
        std::vector<const OraColumnInfo*> defaulted;
        Scope empty;
        for (const OraColumnInfo& c : all) {
            if (c.defaultText.empty() || std::find(targets.begin(), targets.end(), &c) != targets.end())
                continue;
            SqlParser p(c.defaultText);
            SqlParseError pe;
            SqlExprPtr d = p.ParseStandaloneExpr(&pe);
            if (!d)
                continue;
            SqlCompiler sub(m_catalog, c.defaultText, m_binds);
            CExpr e = sub.Expr(*d, empty);
            defaults.push_back(StoreInto(e.sql, e.type, c.type, ref.owner, ref.name, c.name));
            defaulted.push_back(&c);
        }
        // Writes name the table itself: the name alone may be its committed-image view.
        std::string sql = "INSERT INTO main." + SqlQuoteIdent(OraCatalog::StorageName(ref.owner, ref.name)) + "(";
        for (size_t i = 0; i < targets.size(); ++i)
            sql += (i ? ", " : "") + SqlQuoteIdent(targets[i]->name);
        for (size_t i = 0; i < defaulted.size(); ++i)
            sql += (targets.empty() && i == 0 ? "" : ", ") + SqlQuoteIdent(defaulted[i]->name);
        sql += ") ";
        if (st.select) {
            std::vector<CompiledColumn> cols;
            const std::string sub = Query(*st.select, nullptr, &cols, true);
            if (cols.size() != targets.size())
                Fail(cols.size() < targets.size() ? 947 : 913, st.select->pos);
            sql += "SELECT ";
            for (size_t i = 0; i < cols.size(); ++i)
                sql += (i ? ", " : "") + StoreInto("\"_" + std::to_string(i + 1) + "\"", cols[i].type, targets[i]->type,
                                                        ref.owner, ref.name, targets[i]->name);
            for (size_t i = 0; i < defaults.size(); ++i)
                sql += (cols.empty() && i == 0 ? "" : ", ") + defaults[i];
            sql += " FROM (" + sub + ")";
        } else {
            if (st.values.size() != targets.size())
                Fail(st.values.size() < targets.size() ? 947 : 913,
                     st.values.empty() ? 0 : st.values.back()->pos);
            Scope scope;
            sql += "VALUES (";
            for (size_t i = 0; i < st.values.size(); ++i) {
                CExpr e = Expr(*st.values[i], scope);
                sql += (i ? ", " : "") + StoreInto(e.sql, e.type, targets[i]->type, ref.owner, ref.name, targets[i]->name);
            }
            for (size_t i = 0; i < defaults.size(); ++i)
                sql += (st.values.empty() && i == 0 ? "" : ", ") + defaults[i];
            sql += ")";
        }
        out->sql = WithClause(m_named) + sql;
        FinishStatement(out);
        return true;
    } catch (const Failure& f) {
        *error = SqlCompileError{f.code, f.pos, f.args};
        return false;
    }
}

bool SqlCompiler::CompileUpdate(const SqlStatement& st, CompiledStatement* out, SqlCompileError* error)
{
    try {
        SqlFromItem item;
        item.name = st.target;
        item.alias = st.targetAlias;
        item.pos = 7;
        const std::string alias = "t" + std::to_string(m_aliasCounter++);
        Source s = TableSource(item, "UPDATE", alias);
        OraObjectRef ref = m_catalog.Resolve(st.target);
        if (ref.type != "TABLE")
            Fail(1732, 7);
        Scope scope;
        scope.sources.push_back(s);
        std::string sql = "UPDATE main." + SqlQuoteIdent(s.storage) + " AS " + alias + " SET ";
        for (size_t i = 0; i < st.columns.size(); ++i) {
            const OraColumnInfo* col = nullptr;
            for (const OraColumnInfo& c : s.columns)
                if (c.name == st.columns[i])
                    col = &c;
            if (!col)
                Fail(904, 0, {"\"" + st.columns[i] + "\""});
            CExpr e = Expr(*st.values[i], scope);
            sql += (i ? ", " : "") + SqlQuoteIdent(col->name) + " = " +
                   StoreInto(e.sql, e.type, col->type, ref.owner, ref.name, col->name);
        }
        if (st.where)
            sql += " WHERE " + Expr(*st.where, scope).sql;
        out->sql = WithClause(m_named) + sql;
        FinishStatement(out);
        return true;
    } catch (const Failure& f) {
        *error = SqlCompileError{f.code, f.pos, f.args};
        return false;
    }
}

bool SqlCompiler::CompileDelete(const SqlStatement& st, CompiledStatement* out, SqlCompileError* error)
{
    try {
        SqlFromItem item;
        item.name = st.target;
        item.alias = st.targetAlias;
        item.pos = 7;
        const std::string alias = "t" + std::to_string(m_aliasCounter++);
        Source s = TableSource(item, "DELETE", alias);
        OraObjectRef ref = m_catalog.Resolve(st.target);
        if (ref.type != "TABLE")
            Fail(1732, 7);
        Scope scope;
        scope.sources.push_back(s);
        std::string sql = "DELETE FROM main." + SqlQuoteIdent(s.storage) + " AS " + alias;
        if (st.where)
            sql += " WHERE " + Expr(*st.where, scope).sql;
        out->sql = WithClause(m_named) + sql;
        FinishStatement(out);
        return true;
    } catch (const Failure& f) {
        *error = SqlCompileError{f.code, f.pos, f.args};
        return false;
    }
}

bool SqlCompiler::CompileCheck(const SqlExpr& condition, const std::vector<OraColumnInfo>& columns, std::string* sql,
                               SqlCompileError* error)
{
    try {
        Scope scope;
        Source s;
        s.columns = columns;
        scope.sources.push_back(s);
        *sql = Expr(condition, scope).sql;
        return true;
    } catch (const Failure& f) {
        *error = SqlCompileError{f.code, f.pos, f.args};
        return false;
    }
}

bool SqlCompiler::CompileStandalone(const SqlExpr& expr, std::string* sql, SqlType* type, SqlCompileError* error)
{
    try {
        Scope scope;
        CExpr e = Expr(expr, scope);
        *sql = e.sql;
        *type = e.type;
        return true;
    } catch (const Failure& f) {
        *error = SqlCompileError{f.code, f.pos, f.args};
        return false;
    }
}

} // namespace VkOracle
