#include "SqlDialect.h"

#include <cstring>

SqlDialect DialectOf(SQLHDBC dbc)
{
    char name[64] = {};
    SQLSMALLINT length = 0;
    const bool sqlite = SQL_SUCCEEDED(SQLGetInfo(dbc, SQL_DBMS_NAME, name, sizeof name, &length)) &&
                        std::strcmp(name, "SQLite") == 0;
    return sqlite ? SqlDialect::sqlite : SqlDialect::postgresql;
}

std::string Spelled(SqlDialect dialect, const std::string& sql)
{
    if (dialect == SqlDialect::sqlite || sql.find('[') == std::string::npos)
        return sql;
    std::string spelled;
    spelled.reserve(sql.size());
    char quote = 0;  // the quote of the text being passed over, if any
    for (size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (quote) {
            // A doubled quote stands for itself and the text goes on.
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '[') {
            const size_t end = sql.find(']', i + 1);
            if (end != std::string::npos) {
                std::string name = sql.substr(i + 1, end - i - 1);
                // A double quote inside a quoted name is written twice.
                for (size_t at = 0; (at = name.find('"', at)) != std::string::npos; at += 2)
                    name.insert(at, 1, '"');
                spelled += '"' + name + '"';
                i = end;
                continue;
            }
        }
        spelled += c;
    }
    return spelled;
}
