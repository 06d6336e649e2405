// What a recordset's open fixed: the connection, the table and the columns
// bound to it, and the filter and order its rows were last read with; and
// the text of every statement the recordset runs on them. The SQL is spelled
// here alone, so that the key column, the new row's key and the forms that
// differ between SQLite and a database server (the hidden rowid or the
// schema's key, LIMIT -1, WHERE 0) stand in one place.
#pragma once

#include <memory>
#include <string>
#include <vector>
#include "CFieldExchange.h"
#include "CFilterValue.h"
#include "PooledStatement.h"

class OdbcConnection;
class ParameterBinder;

class RecordsetQuery
{
public:
    // Fixes the connection, the table and its bound columns, its key column
    // and whether one of them is the key itself. Throws CDBException when a
    // table on a server has no key of one column.
    void Open(std::shared_ptr<OdbcConnection> conn, std::string table, std::vector<CFieldExchange::Field> fields);
    void Close() { m_conn.reset(); }
    // Fixes the rows: those the table holds now (up to its largest key) that
    // `filter` with `values` lets through, ordered by `sort` and then by key.
    void Requery(const CString& filter, const CString& sort, std::vector<CFilterValue> values);

    OdbcConnection& Connection() const { return *m_conn; }
    PooledStatement Prepared(const std::string& sql) const { return PooledStatement(m_conn, sql); }
    const std::string& Table() const { return m_table; }
    const std::vector<CFieldExchange::Field>& Fields() const { return m_fields; }
    // The field bound to the key column, or -1: the rows' statements then
    // select the key first, as a column of its own.
    int KeyField() const { return m_keyField; }
    // SQLite's rowid, or the column of the table's primary key in brackets.
    const std::string& KeyColumn() const { return m_keyColumn; }
    // Rows added after the open have larger keys.
    long long MaxKey() const { return m_maxKey; }
    // No filter and no order: the rows come in key order, and an update moves none.
    bool InKeyOrder() const { return m_inKeyOrder; }
    // Whether a filter or filter values were given.
    bool Filtered() const { return m_filtered; }
    // Binds the filter's values, for the statements over the rows.
    void BindFilter(ParameterBinder& binder) const;
    // The number the first row of `sql` starts with (a count); with
    // `filtered` the filter's values are bound to its "?" marks.
    long long Number(const std::string& sql, bool filtered = false) const;
    // How many of the rows, as the table holds them now, come before the row
    // with `key` in the rows' order: one statement, which an index on the
    // filter or the sort answers. -1 when the order is not one this can spell
    // (a sort term other than a column or an expression with ASC or DESC).
    long long RowsBefore(long long key) const;

    // The rows in their order: the key (unless a field is bound to it) and
    // the bound columns.
    std::string SelectRows() const;
    // The same, as many as the first "?" says after skipping the second "?".
    std::string SelectRowsAt() const;
    // In key order: the rows from the key "?" on (past it, with `after`),
    // then as SelectRowsAt with two more "?".
    std::string SelectRowsFromKey(bool after) const;
    // The table's rows with one of `marks` keys, in no order.
    std::string SelectRowsByKeys(size_t marks) const;
    // The value of one column of the row with the key "?".
    std::string SelectColumnOfRow(const CFieldExchange::Field& field) const;
    // Runs as SelectRows would but gives no row.
    std::string SelectNoRows() const;
    // The keys of the rows that `narrowing` also selects.
    std::string SelectKeysWhere(const std::string& narrowing) const;
    // The keys of the rows from position `offset` on.
    std::string SelectKeysFrom(size_t offset) const;
    // Counts of the rows, with the filter's "?"; of the whole table; of the
    // table's rows added since the rows were fixed.
    std::string CountRows() const;
    std::string CountTable() const;
    std::string CountAddedSinceOpen() const;

    // Sets the `changed` fields (by the exchange's order), a "?" each, of the
    // row whose key is the last "?".
    std::string UpdateRow(const std::vector<size_t>& changed) const;
    // Sets the row whose key is the last "?" by `assignments`, only where
    // `condition` holds for it (both SQL of the program's own).
    std::string UpdateRowWhere(const std::string& assignments, const std::string& condition) const;
    // A row with the `columns` fields set, a "?" each, or none set.
    std::string InsertRow(const std::vector<size_t>& columns) const;
    std::string InsertDefaults() const;
    // The key of the row this connection inserted last.
    std::string SelectNewKey() const;
    // Removes the row with the key "?".
    std::string DeleteRow() const;

    // The rows of `table` that `filter` keeps, counted without a recordset.
    static std::string CountOf(const std::string& table, const CString& filter);

private:
    struct SortTerm
    {
        std::string expression;
        bool descending;
    };
    std::string WhereKeyIs() const;
    void SpellSort(const std::string& sort);
    // The condition that a row comes before the row whose sort values `q`
    // holds (as q0, q1, ...) and whose key is the "?".
    std::string ComesBefore() const;
    std::string KeyOutsideIndexes() const;

    std::shared_ptr<OdbcConnection> m_conn;
    std::string m_table;
    std::vector<CFieldExchange::Field> m_fields;
    int m_keyField = -1;
    std::string m_keyColumn;
    std::string m_columns;       // "rowid, [a], [b], ..." or "[ID], [a], ..."
    std::string m_whereClauses;  // " FROM t WHERE ...", with the filter's values below
    std::string m_orderClause;   // " ORDER BY ...": a total order, so that every statement gives the rows alike
    std::string m_keyInWhere;  // the key as the conditions over the rows name it
    std::vector<SortTerm> m_sortTerms;
    bool m_sortSpelled = false;  // m_sortTerms hold the whole sort
    std::vector<CFilterValue> m_filterValues;
    bool m_inKeyOrder = false;
    bool m_filtered = false;
    long long m_maxKey = 0;
};
