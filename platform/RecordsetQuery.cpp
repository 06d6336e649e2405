#include "RecordsetQuery.h"

#include <algorithm>
#include <climits>
#include "CDBException.h"
#include "MessageBox.h"
#include "OdbcConnection.h"
#include "ParameterBinder.h"
#include "StoredValue.h"
#include "Utf8Text.h"

namespace {

CString Unbracketed(CString name)
{
    if (name.StartsWith("[") && name.EndsWith("]"))
        name = name.Mid(1, name.length() - 2);
    return name;
}

// The one column of the table's primary key, as the database names it; empty
// when the table has none, or one of more columns. SQLite's INTEGER PRIMARY
// KEY column is another name for its rowid; on a server the key is declared
// in the schema.
CString ReadPrimaryKey(const std::shared_ptr<OdbcConnection>& conn, const std::string& table)
{
    std::string name = ToUtf8(Unbracketed(CString::FromUTF8(table.c_str())));
    const char* sql = "SELECT name FROM pragma_table_info(?) WHERE pk > 0 AND upper(type) = 'INTEGER' "
                      "AND (SELECT count(*) FROM pragma_table_info(?) WHERE pk > 0) = 1";
    if (!conn->IsSqlite()) {
        name = conn->Spell(table);
        sql = "SELECT a.attname FROM pg_index i JOIN pg_attribute a ON a.attrelid = i.indrelid "
              "AND a.attnum = ANY(i.indkey) WHERE i.indrelid = to_regclass(?) AND i.indisprimary "
              "AND i.indnatts = 1";
    }
    PooledStatement stmt(conn, sql);
    SQLLEN lengths[2] = {};
    for (int n = 0; n < (conn->IsSqlite() ? 2 : 1); ++n)
        stmt->BindText(SQLUSMALLINT(n + 1), name, lengths[n]);
    stmt->ExecutePrepared();
    return CString::FromUTF8(stmt->FetchText().c_str());
}

// The same, read once per connection: every open of a recordset asks.
const CString& PrimaryKeyOf(const std::shared_ptr<OdbcConnection>& conn, const std::string& table)
{
    std::optional<CString>& key = conn->PrimaryKeyOf(table);
    if (!key)
        key = ReadPrimaryKey(conn, table);
    return *key;
}

// The field bound to the key column: the key itself, so that it need not be
// selected twice. -1 when there is none.
int KeyFieldOf(const CString& key, const std::vector<CFieldExchange::Field>& fields)
{
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].type == CFieldExchange::Long && Unbracketed(fields[i].column).CmpNoCase(key) == 0)
            return int(i);
    return -1;
}

// The parts of a sort text between the commas that stand outside brackets,
// quotes and parentheses.
std::vector<std::string> SortParts(const std::string& sort)
{
    std::vector<std::string> parts(1);
    char quote = 0;
    int depth = 0;
    for (char c : sort) {
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '[') {
            quote = ']';
        } else if (c == '"' || c == '\'' || c == '`') {
            quote = c;
        } else if (c == '(' || c == ')') {
            depth += c == '(' ? 1 : -1;
        } else if (c == ',' && depth == 0) {
            parts.emplace_back();
            continue;
        }
        parts.back() += c;
    }
    return parts;
}

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string UpperAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

// Whether `part` ends with the word `word` (ASC or DESC) after a blank; the
// word is then taken off.
bool TakeLastWord(std::string& part, const std::string& word)
{
    const size_t at = part.size() - std::min(part.size(), word.size());
    if (at == 0 || UpperAscii(part.substr(at)) != word || (part[at - 1] != ' ' && part[at - 1] != '\t'))
        return false;
    part = Trimmed(part.substr(0, at));
    return true;
}

}  // namespace

void RecordsetQuery::Open(std::shared_ptr<OdbcConnection> conn, std::string table,
                          std::vector<CFieldExchange::Field> fields)
{
    m_conn = std::move(conn);
    m_table = std::move(table);
    m_fields = std::move(fields);
    const CString key = PrimaryKeyOf(m_conn, m_table);
    m_keyField = key.empty() ? -1 : KeyFieldOf(key, m_fields);
    if (m_conn->IsSqlite()) {
        m_keyColumn = "rowid";  // SQLite's own key of every row
    } else if (key.empty()) {
        const CString sentence = UiText("表 %s 没有单列的主键：程序靠它找到每一行。",
                                        "The table %s has no primary key of one column, by which the program "
                                        "finds each row.");
        throw CDBException(wxString::Format(sentence, CString::FromUTF8(m_table.c_str())));
    } else {
        m_keyColumn = "[" + ToUtf8(key) + "]";
    }
    m_columns = m_keyField < 0 ? KeyColumn() : std::string();
    for (const auto& f : m_fields)
        m_columns += (m_columns.empty() ? "" : ", ") + ToUtf8(f.column);
}

void RecordsetQuery::Requery(const CString& filter, const CString& sort, std::vector<CFilterValue> values)
{
    m_filterValues = std::move(values);
    PooledStatement stmt = Prepared("SELECT max(" + KeyColumn() + ") FROM " + m_table);
    stmt->ExecutePrepared();
    const std::string max = stmt->FetchText();
    m_maxKey = max.empty() ? LLONG_MIN : ParseStoredInteger(max);
    // The key bound is a number of the layer's own, written into the SQL: the
    // SQLite driver reads the whole result of a statement with parameters at
    // once, and only a statement without them is read as it is fetched.
    // Under a filter the bound is "+rowid": a plain rowid range would be the
    // plan SQLite takes, walking the whole table past the index that answers
    // the filter (the running stays: 200 ms instead of 3 at 1,000,000 stays).
    const std::string& key = KeyColumn();
    m_keyInWhere = filter.empty() ? key : KeyOutsideIndexes();
    m_whereClauses = " FROM " + m_table + " WHERE " + (filter.empty() ? "" : "(" + ToUtf8(filter) + ") AND ") +
                     m_keyInWhere + " <= " + std::to_string(m_maxKey);
    // Rows of equal sort values come by key. Without a sort they come in the
    // table's own order; a filter may be answered from an index kept in another
    // order, and "+rowid" lets SQLite use it and then sort the few rows it
    // gives, where "rowid" would make it walk the whole table instead.
    m_orderClause = " ORDER BY " + (!sort.empty() ? ToUtf8(sort) + ", " + key : m_keyInWhere);
    m_inKeyOrder = filter.empty() && sort.empty();
    m_filtered = !filter.empty() || !m_filterValues.empty();
    SpellSort(ToUtf8(sort));
}

// Takes the sort apart into its terms, as far as it is made of expressions
// with ASC or DESC: what the position of a row is counted by.
void RecordsetQuery::SpellSort(const std::string& sort)
{
    m_sortTerms.clear();
    m_sortSpelled = true;
    if (Trimmed(sort).empty())
        return;
    for (std::string part : SortParts(sort)) {
        part = Trimmed(part);
        const bool descending = TakeLastWord(part, "DESC");
        if (!descending)
            TakeLastWord(part, "ASC");
        const std::string upper = " " + UpperAscii(part) + " ";
        if (part.empty() || upper.find(" COLLATE ") != std::string::npos || upper.find(" NULLS ") != std::string::npos) {
            m_sortSpelled = false;
            return;
        }
        m_sortTerms.push_back({part, descending});
    }
}

std::string RecordsetQuery::KeyOutsideIndexes() const
{
    // SQLite plans by the column a term names; "+rowid" names none. A
    // server's planner weighs the indexes itself.
    return m_conn->IsSqlite() ? "+" + KeyColumn() : KeyColumn();
}

void RecordsetQuery::BindFilter(ParameterBinder& binder) const
{
    for (const CFilterValue& value : m_filterValues)
        binder.Bind(value);
}

long long RecordsetQuery::Number(const std::string& sql, bool filtered) const
{
    PooledStatement stmt = Prepared(sql);
    ParameterBinder binder(*stmt);
    if (filtered)
        BindFilter(binder);
    stmt->ExecutePrepared();
    return ParseStoredInteger(stmt->FetchText());
}

long long RecordsetQuery::RowsBefore(long long key) const
{
    // The order of NULLs among values is SQLite's in the count below; a server
    // may order them otherwise, and then the rows are counted by the walk.
    if (!m_sortSpelled || (!m_sortTerms.empty() && !m_conn->IsSqlite()))
        return -1;
    std::string sql;
    if (m_sortTerms.empty()) {
        sql = "SELECT count(*)" + m_whereClauses + " AND " + m_keyInWhere + " < ?";
    } else {
        // The sort values of the row are read once, and each term compares with them.
        std::string values;
        for (size_t i = 0; i < m_sortTerms.size(); ++i)
            values += (i ? ", (" : "(") + m_sortTerms[i].expression + ") AS q" + std::to_string(i);
        sql = "WITH q AS (SELECT " + values + " FROM " + m_table + WhereKeyIs() + ") SELECT count(*)" +
              m_whereClauses + " AND (" + ComesBefore() + ")";
    }
    PooledStatement stmt = Prepared(sql);
    ParameterBinder binder(*stmt);
    if (!m_sortTerms.empty())
        binder.BindNumber(key);
    BindFilter(binder);
    binder.BindNumber(key);
    stmt->ExecutePrepared();
    return ParseStoredInteger(stmt->FetchText());
}

// SQLite orders NULL before every value: ascending a row comes first when its
// value is NULL and the other's is not, or when it is smaller; descending the
// other way round. Rows of equal sort values come by key.
std::string RecordsetQuery::ComesBefore() const
{
    std::string condition, ties;
    for (size_t i = 0; i < m_sortTerms.size(); ++i) {
        const std::string e = "(" + m_sortTerms[i].expression + ")";
        const std::string q = "(SELECT q" + std::to_string(i) + " FROM q)";
        const std::string first = m_sortTerms[i].descending
                                      ? "(" + e + " IS NOT NULL AND " + q + " IS NULL) OR " + e + " > " + q
                                      : "(" + e + " IS NULL AND " + q + " IS NOT NULL) OR " + e + " < " + q;
        condition += "(" + ties + "(" + first + ")) OR ";
        ties += e + " IS " + q + " AND ";
    }
    return condition + "(" + ties + KeyColumn() + " < ?)";
}

std::string RecordsetQuery::SelectRows() const
{
    return "SELECT " + m_columns + m_whereClauses + m_orderClause;
}

std::string RecordsetQuery::SelectRowsAt() const
{
    return SelectRows() + " LIMIT ? OFFSET ?";
}

std::string RecordsetQuery::SelectRowsFromKey(bool after) const
{
    return "SELECT " + m_columns + m_whereClauses + " AND " + KeyColumn() + (after ? " > ?" : " >= ?") + m_orderClause +
           " LIMIT ? OFFSET ?";
}

std::string RecordsetQuery::SelectRowsByKeys(size_t marks) const
{
    std::string sql = "SELECT " + m_columns + " FROM " + m_table + " WHERE " + KeyColumn() + " IN (?";
    for (size_t i = 1; i < marks; ++i)
        sql += ",?";
    return sql + ")";
}

std::string RecordsetQuery::SelectColumnOfRow(const CFieldExchange::Field& field) const
{
    return "SELECT " + ToUtf8(field.column) + " FROM " + m_table + WhereKeyIs();
}

std::string RecordsetQuery::SelectNoRows() const
{
    return "SELECT " + m_columns + " FROM " + m_table + (m_conn->IsSqlite() ? " WHERE 0" : " WHERE 1 = 0");
}

std::string RecordsetQuery::SelectKeysWhere(const std::string& narrowing) const
{
    return "SELECT " + KeyColumn() + m_whereClauses + " AND (" + narrowing + ")" + m_orderClause;
}

std::string RecordsetQuery::SelectKeysFrom(size_t offset) const
{
    const char* all = m_conn->IsSqlite() ? " LIMIT -1" : " LIMIT ALL";
    return "SELECT " + KeyColumn() + m_whereClauses + m_orderClause + all + " OFFSET " + std::to_string(offset);
}

std::string RecordsetQuery::CountRows() const
{
    return "SELECT count(*)" + m_whereClauses;
}

std::string RecordsetQuery::CountTable() const
{
    return "SELECT count(*) FROM " + m_table;
}

std::string RecordsetQuery::CountAddedSinceOpen() const
{
    return CountTable() + " WHERE " + KeyColumn() + " > " + std::to_string(m_maxKey);
}

std::string RecordsetQuery::UpdateRow(const std::vector<size_t>& changed) const
{
    std::string sql = "UPDATE " + m_table + " SET ";
    for (size_t i = 0; i < changed.size(); ++i)
        sql += (i ? ", " : "") + ToUtf8(m_fields[changed[i]].column) + " = ?";
    return sql + WhereKeyIs();
}

std::string RecordsetQuery::UpdateRowWhere(const std::string& assignments, const std::string& condition) const
{
    return "UPDATE " + m_table + " SET " + assignments + " WHERE (" + condition + ") AND " + KeyColumn() + " = ?";
}

std::string RecordsetQuery::InsertRow(const std::vector<size_t>& columns) const
{
    std::string names, marks;
    for (size_t i = 0; i < columns.size(); ++i) {
        names += (i ? ", " : "") + ToUtf8(m_fields[columns[i]].column);
        marks += i ? ", ?" : "?";
    }
    return "INSERT INTO " + m_table + " (" + names + ") VALUES (" + marks + ")";
}

std::string RecordsetQuery::InsertDefaults() const
{
    return "INSERT INTO " + m_table + " DEFAULT VALUES";
}

std::string RecordsetQuery::SelectNewKey() const
{
    if (m_conn->IsSqlite())
        return "SELECT last_insert_rowid()";
    // The sequence behind the key column (serial or identity), as this
    // connection last drew from it.
    auto literal = [](std::string text) {
        for (size_t at = 0; (at = text.find('\'', at)) != std::string::npos; at += 2)
            text.insert(at, 1, '\'');
        return "'" + text + "'";
    };
    const std::string key = m_keyColumn.substr(1, m_keyColumn.size() - 2);
    return "SELECT currval(pg_get_serial_sequence(" + literal(m_conn->Spell(m_table)) + ", " + literal(key) + "))";
}

std::string RecordsetQuery::DeleteRow() const
{
    return "DELETE FROM " + m_table + WhereKeyIs();
}

std::string RecordsetQuery::CountOf(const std::string& table, const CString& filter)
{
    return "SELECT count(*) FROM " + table + (filter.empty() ? std::string() : " WHERE " + ToUtf8(filter));
}

std::string RecordsetQuery::WhereKeyIs() const
{
    return " WHERE " + KeyColumn() + " = ?";
}
