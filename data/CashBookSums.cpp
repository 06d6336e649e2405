#include "CashBookSums.h"

#include <cstdlib>
#include <string>

#include "CCashbookset.h"
#include "CashBookFigures.h"
#include "OdbcConnection.h"
#include "RecordsetUse.h"
#include "SchemaUpgrade.h"
#include "Utf8Text.h"

namespace {

// SQLite reads an amount with CAST(... AS REAL), the program with ParseMoney
// (strtod on the text's GBK form). Both take the leading decimal number, and
// both give 0 for "￥100", full-width digits and words, but they part on hex
// ("0x10"), on overflow ("1e999": infinity against 0), on text that is no
// valid UTF-8 (the program reads none of it), on digits past the nineteenth
// (SQLite drops them), and in the last bit: SQLite divides in long double and
// rounds twice, which rounds some six-decimal amounts ("33.333333") the other
// way. Rounding twice can err only when the exact quotient lies within 2^-64
// of a midpoint of doubles; with at most four decimals (a divisor of at most
// 5^4 = 625 < 2^11) and a value below 2^49 no quotient comes that close. So
// SQLite sums only amounts that are whole numeric literals (compared with
// their CAST, SQLite reads all of the text as a number, or it stays text and
// differs) of two forms that cannot part:
//  - the program's own "%f": six decimals ending in "00", at most 20
//    characters, so at most 13 digits before the point;
//  - whole numbers of at most 16 characters, whose value is exact.
// Every other amount is read by the program.
const char kAmountAgrees[] =
    "(([交易金额] = CAST([交易金额] AS REAL) AND [交易金额] GLOB '*.[0-9][0-9][0-9][0-9]00'"
    " AND length([交易金额]) <= 20)"
    " OR ([交易金额] = CAST([交易金额] AS INTEGER) AND length([交易金额]) <= 16))";

// Stored 1 and 0 read as TRUE and FALSE in SQL as in the program, which reads
// any text whose leading integer is not 0 as TRUE; other statuses are the
// program's to read.
const char kCounted[] = "[状态] = 1";
const char kStatusAgrees[] = "[状态] IN (0, 1)";

// A double handed over exactly: the driver gives a REAL as text of fifteen
// digits, integers whole. The sums of amounts SQLite adds are multiples of
// 2^-66 (an amount is 0 or at least 0.0001), so four integers carry one: the
// multiples of 4096, the rest's whole part, and its fraction in two steps of
// 2^53.
std::string Pieces(const std::string& sum)
{
    const std::string x = "coalesce(" + sum + ", 0.0)";
    const std::string rest = "(" + x + " - CAST(" + x + " / 4096.0 AS INTEGER) * 4096.0)";
    const std::string fraction = "((" + rest + " - CAST(" + rest + " AS INTEGER)) * 9007199254740992.0)";
    return "CAST(" + x + " / 4096.0 AS INTEGER) || ' ' || CAST(" + rest + " AS INTEGER) || ' ' || CAST(" + fraction +
           " AS INTEGER) || ' ' || CAST((" + fraction + " - CAST(" + fraction +
           " AS INTEGER)) * 9007199254740992.0 AS INTEGER)";
}

// Reads what Pieces wrote, from `p` on; false for a sum of 2^65 or more,
// which they cannot carry.
bool FromPieces(const char*& p, double& sum)
{
    char* end = nullptr;
    const long long multiples = std::strtoll(p, &end, 10);
    const double whole = double(std::strtoll(end, &end, 10));
    const double high = double(std::strtoll(end, &end, 10));
    const double low = double(std::strtoll(end, &end, 10));
    p = end;
    if (multiples >= (1LL << 53) || multiples <= -(1LL << 53))
        return false;
    // Each step is exact: every partial sum is a part of the double sent.
    sum = double(multiples) * 4096.0 + (whole + (high + low * 0x1p-53) * 0x1p-53);
    return true;
}

// Runs a query of `count` Pieces texts and a count of the rows left to the
// program; false when a sum cannot be carried.
bool QuerySums(CDatabase& db, const std::string& sql, std::vector<double>& sums, long long& programsRows)
{
    const std::string text = QueryText(db.Connection(), sql);
    const char* p = text.c_str();
    for (double& sum : sums)
        if (!FromPieces(p, sum))
            return false;
    programsRows = std::strtoll(p, nullptr, 10);
    return true;
}

std::string Table(CDatabase& db)
{
    return ToUtf8(db.GetSchemaName()) + ".[cashbook]";
}

std::string Number(long long n)
{
    return std::to_string(n);
}

std::string Year(int year)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04d", year);
    return text;
}

std::string KeyList(const std::vector<long long>& keys)
{
    std::string list;
    for (long long key : keys)
        list += (list.empty() ? "" : ", ") + Number(key);
    return list;
}

// The program's own reading of the rows `filter` selects, as the list reads them.
template <class Visit>
void WalkRows(CDatabase& db, const std::string& filter, Visit visit)
{
    CCashbookset rows(&db);
    rows.m_strFilter = CString::FromUTF8(filter.c_str());
    OpenOrThrow(rows);
    for (; !rows.IsEOF(); rows.MoveNext())
        visit(rows);
}

// Past this many rows for the program, their keys are not kept: each sum finds them again.
constexpr long long kProgramsRowsKept = 10000;

// On a server the time is a timestamp column, whose values are all valid
// times: the rows a year may count are those from the year before's last
// second on (its last half second rounds into the year) to the year's end.
// The program still decides for each row, as it does for SQLite's.
std::string ServerYearRows(int year)
{
    return "[时间] >= '" + Year(year - 1) + "-12-31 23:59:59' AND [时间] < '" + Year(year + 1) + "-01-01 00:00:00'";
}

}  // namespace

CountedTotal::CountedTotal(CDatabase& db, long long lastKey) : m_db(db), m_lastKey(lastKey) {}

unsigned long CountedTotal::WriteSerial() const
{
    return m_db.Connection().WriteSerial();
}

std::string CountedTotal::DataVersion() const
{
    // Changes when another connection, another program too, commits to the file.
    return QueryText(m_db.Connection(), "PRAGMA " + ToUtf8(m_db.GetSchemaName()) + ".data_version");
}

bool CountedTotal::ProgramsRowsCurrent() const
{
    return m_programsRows && m_serial == WriteSerial() && m_dataVersion == DataVersion();
}

void CountedTotal::Flipped(unsigned long serialBefore)
{
    // A status flipped between 0 and 1 leaves every row where it was; any
    // other write since reads them all again.
    if (m_serial == serialBefore)
        m_serial = WriteSerial();
}

double CountedTotal::Sum()
{
    const std::string upTo = "rowid <= " + Number(m_lastKey);
    std::vector<double> sum{0.0};
    auto add = [&sum](const CCashbookset& row) { sum[0] += CountedAmount(row.m_bStatus, row.m_strAmount); };
    long long programsRows = 0;
    if (IsSqliteFile(m_db) && ProgramsRowsCurrent()) {
        const std::string others = m_programsRows->empty() ? std::string()
                                                            : " AND rowid NOT IN (" + KeyList(*m_programsRows) + ")";
        if (QuerySums(m_db,
                      "SELECT " + Pieces("sum(CAST([交易金额] AS REAL))") + " || ' 0' FROM " + Table(m_db) +
                          " WHERE " + upTo + " AND " + kCounted + others,
                      sum, programsRows)) {
            if (!m_programsRows->empty())
                WalkRows(m_db, "rowid IN (" + KeyList(*m_programsRows) + ")", add);
            return sum[0];
        }
    }
    // Whether SQLite reads a row as the program does does not hang on a
    // status flipped between 0 and 1: the rows found here stay the program's.
    const std::string agrees = std::string(kStatusAgrees) + " AND " + kAmountAgrees;
    m_programsRows.reset();
    m_serial = WriteSerial();
    if (!IsSqliteFile(m_db) ||
        !QuerySums(m_db,
                   "SELECT " + Pieces("s") + " || ' ' || r FROM (SELECT sum(CASE WHEN c = 1 THEN v END) AS s, "
                   "count(CASE WHEN c = 2 THEN 1 END) AS r FROM (SELECT CAST([交易金额] AS REAL) AS v, CASE WHEN " +
                       agrees + " THEN [状态] ELSE 2 END AS c FROM " + Table(m_db) + " WHERE " + upTo + " LIMIT -1))",
                   sum, programsRows)) {
        sum[0] = 0.0;
        WalkRows(m_db, "[ID] <= " + Number(m_lastKey), add);
        return sum[0];
    }
    m_dataVersion = DataVersion();
    std::vector<long long> keys;
    if (programsRows > 0)
        WalkRows(m_db, upTo + " AND NOT coalesce(" + agrees + ", 0)", [&](const CCashbookset& row) {
            add(row);
            keys.push_back(row.m_nID);
        });
    if (programsRows <= kProgramsRowsKept)
        m_programsRows = std::move(keys);
    return sum[0];
}

std::vector<double> SumMonths(CDatabase& db, int year)
{
    std::vector<double> sums(12, 0.0);
    // No valid date lies outside these years.
    if (year < 100 || year > 9999)
        return sums;
    auto add = [&sums, year](const CCashbookset& row) {
        AddToMonthSums(sums, year, row.m_bStatus, row.m_dtTime, row.m_strAmount);
    };
    const std::string y = Year(year), before = Year(year - 1);
    // The rows a time of the year may stand in: the program reads a year
    // only from text that starts with it and "-" or "/", and a time from
    // 23:59:59.5 on rounds to the next second, so the last moments of the year
    // before count in January. A value that is no text is no time, but a BLOB
    // is left to the program.
    const std::string candidates = "((+[时间] >= '" + before + "-12-31 23:59:59.5' AND +[时间] < '" + y +
                                   "0') OR +[时间] >= x'')";
    // Counted, an amount SQLite reads as the program does, and a time as the
    // driver writes it: a valid date of the year (a date that is none, such
    // as February 30, SQLite moves on to a valid one when it calculates with
    // it), before the last half second of a day.
    const std::string counted = std::string(kCounted) + " AND " + kAmountAgrees + " AND substr([时间], 1, 5) = '" + y +
                                "-' AND (length([时间]) = 19 OR (length([时间]) = 23 AND substr([时间], 20, 1) = '.'"
                                " AND substr([时间], 21) GLOB '[0-9][0-9][0-9]'))"
                                " AND strftime('%Y-%m-%d %H:%M:%S', substr([时间], 1, 19), '+0 days') = substr([时间], 1, 19)"
                                " AND substr([时间], 12) < '23:59:59.5'";
    const std::string settled = "[状态] = 0 OR (" + counted + ")";
    std::string months, pieces;
    for (int m = 1; m <= 12; ++m) {
        months += "sum(CASE WHEN c = 1 AND m = " + Number(m) + " THEN v END) AS s" + Number(m) + ", ";
        pieces += Pieces("s" + Number(m)) + " || ' ' || ";
    }
    // Twelve sums of one pass keep the rows' order, as the program adds them.
    long long programsRows = 0;
    if (!IsSqliteFile(db) ||
        !QuerySums(db,
                   "SELECT " + pieces + "r FROM (SELECT " + months +
                       "count(CASE WHEN c = 2 THEN 1 END) AS r FROM (SELECT CAST([交易金额] AS REAL) AS v, "
                       "CAST(substr([时间], 6, 2) AS INTEGER) AS m, CASE WHEN [状态] = 0 THEN 0 WHEN " + counted +
                       " THEN 1 ELSE 2 END AS c FROM " + Table(db) + " WHERE " + candidates + " LIMIT -1))",
                   sums, programsRows)) {
        sums.assign(12, 0.0);
        WalkRows(db, IsSqliteFile(db) ? std::string() : ServerYearRows(year), add);
        return sums;
    }
    if (programsRows > 0)
        WalkRows(db, candidates + " AND NOT coalesce(" + settled + ", 0)", add);
    return sums;
}
