// Timings of the data layer beside its floors, measured in the same run: raw
// sqlite3 (the C API on the same file) and a bare ODBC walk (SQLBindCol and
// SQLFetchScroll through the same driver and data-source settings). Every
// figure is the median of several runs; peak memory is the process's VmHWM
// over that figure's runs. The seed comes from the seed cache (BenchFill.h).
//   bench [rooms [stays [cash-book rows [runs]]]]   defaults: 1000 100000 1000 5
//   bench --backend postgresql [rooms [stays [runs]]]   the same on a server (BenchServer.h)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>
#include <sqlite3.h>
#include "BenchFill.h"
#include "BenchMeasures.h"
#include "BenchServer.h"
#include "CDeskTransaction.h"
#include "CHouseset.h"
#include "CRegisterset.h"
#include "ConnectString.h"
#include "DataSources.h"
#include "OdbcApi.h"
#include "SqliteSetup.h"
#include "TestEnvironment.h"
#include "Utf8Text.h"

namespace {

using Clock = BenchClock;

double Milliseconds(Clock::time_point from)
{
    return MillisecondsBetween(from);
}

struct Figure
{
    std::vector<double> times;  // one per run, in milliseconds
    double ms = 0;              // their median
    double peakMb = 0;          // VmHWM over the runs
    long long check = 0;        // what the work saw, so that it is not optimised away
};

// Runs each work once per round, the rounds in turn, so that a figure and its
// anchors meet the same moments of a noisy machine.
std::vector<Figure> MeasureTogether(int runs, const std::vector<std::function<long long()>>& works)
{
    std::vector<Figure> figures(works.size());
    for (int i = 0; i < runs; ++i) {
        for (size_t w = 0; w < works.size(); ++w) {
            ResetPeakMemory();
            const auto start = Clock::now();
            figures[w].check = works[w]();
            figures[w].times.push_back(Milliseconds(start));
            figures[w].peakMb = std::max(figures[w].peakMb, PeakMemoryMb());
        }
    }
    for (Figure& f : figures)
        f.ms = Median(f.times);
    return figures;
}

Figure Measure(int runs, const std::function<long long()>& work)
{
    return MeasureTogether(runs, {work}).front();
}

// The median of the ratios run by run.
double Ratio(const Figure& f, const Figure& anchor)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < f.times.size() && i < anchor.times.size(); ++i)
        ratios.push_back(anchor.times[i] > 0 ? f.times[i] / anchor.times[i] : 0.0);
    return ratios.empty() ? 0.0 : Median(ratios);
}

// ------------------------------------------------------------------ anchors

const char* const kStaysColumns =
    "[ID],[房间号],[姓名],[性别],[民族],[出生年月],[住房日期],[退房日期],[证件号],[籍贯],[本人职务备注],[交钱],[押金]";

// Every column as text, as sqlite3 hands it out (the anchor the issue measured against).
long long RawWalk(const std::string& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, (std::string("SELECT rowid,") + kStaysColumns + " FROM [register]").c_str(), -1, &st,
                       nullptr);
    long long seen = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
            sqlite3_column_text(st, c);
            seen += sqlite3_column_bytes(st, c);
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return seen;
}

// The same columns through the driver, bound in blocks of rows as the recordset binds them.
class BareOdbc
{
public:
    explicit BareOdbc(const CString& connect)
    {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env);
        SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
        SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc);
        const std::string text = ToUtf8(ResolveConnectString(connect));
        m_ok = SQL_SUCCEEDED(SQLDriverConnect(m_dbc, nullptr, (SQLCHAR*)text.c_str(), SQL_NTS, nullptr, 0, nullptr,
                                              SQL_DRIVER_NOPROMPT));
    }
    ~BareOdbc()
    {
        SQLDisconnect(m_dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, m_env);
    }
    bool Ok() const { return m_ok; }

    // Numbers and dates converted by the driver, text in 1,024-byte buffers,
    // the rowid selected besides [ID]: the anchor the issue measured against.
    long long Walk()
    {
        enum Kind { number, text, date };
        const Kind kinds[] = {number, number, text, text, number, text, date, date, date, text, text, text, text, text};
        std::vector<Column> columns;
        for (const Kind kind : kinds)
            columns.push_back(kind == number ? Column{SQL_C_SBIGINT, sizeof(long long)}
                              : kind == text ? Column{SQL_C_CHAR, 1024}
                                             : Column{SQL_C_TYPE_TIMESTAMP, sizeof(SQL_TIMESTAMP_STRUCT)});
        return Fetch(std::string("SELECT rowid,") + kStaysColumns + " FROM [register]", columns);
    }

    // What the recordset asks of the driver: the same columns, every one as
    // text, in buffers just wide enough for this bench's values (the driver
    // pads every buffer to its width). Binding numbers and dates as such makes
    // the driver convert them, which the recordset does not ask it to, so this
    // is the floor to hold the recordset to.
    long long WalkAsText()
    {
        const SQLLEN number = 32, text = 64, date = 32;
        const SQLLEN widths[] = {number, text, text, number, text, date, date, date, text, text, text, text, text};
        std::vector<Column> columns;
        for (const SQLLEN width : widths)
            columns.push_back(Column{SQL_C_CHAR, width});
        return Fetch(std::string("SELECT ") + kStaysColumns + " FROM [register]", columns);
    }

private:
    struct Column
    {
        SQLSMALLINT type;
        SQLLEN width;
    };

    long long Fetch(const std::string& sql, const std::vector<Column>& columns)
    {
        constexpr SQLULEN kRows = 128;
        std::vector<std::vector<char>> buffers(columns.size());
        std::vector<std::vector<SQLLEN>> ind(columns.size(), std::vector<SQLLEN>(kRows));
        SQLHSTMT h = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &h);
        SQLULEN fetched = 0;
        SQLSetStmtAttr(h, SQL_ATTR_ROW_BIND_TYPE, (SQLPOINTER)SQL_BIND_BY_COLUMN, 0);
        SQLSetStmtAttr(h, SQL_ATTR_ROW_ARRAY_SIZE, (SQLPOINTER)kRows, 0);
        SQLSetStmtAttr(h, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
        for (size_t c = 0; c < columns.size(); ++c) {
            buffers[c].resize(size_t(columns[c].width) * kRows);
            SQLBindCol(h, SQLUSMALLINT(c + 1), columns[c].type, buffers[c].data(), columns[c].width, ind[c].data());
        }
        SQLExecDirect(h, (SQLCHAR*)sql.c_str(), SQL_NTS);
        long long seen = 0;
        while (SQL_SUCCEEDED(SQLFetchScroll(h, SQL_FETCH_NEXT, 0)))
            for (SQLULEN r = 0; r < fetched; ++r)
                for (size_t c = 0; c < columns.size(); ++c)
                    seen += ind[c][r];
        SQLFreeHandle(SQL_HANDLE_STMT, h);
        return seen;
    }

    SQLHENV m_env = SQL_NULL_HENV;
    SQLHDBC m_dbc = SQL_NULL_HDBC;
    bool m_ok = false;
};

// A durable insert with the program's settings: synchronous FULL, its journal mode.
class RawInsert
{
public:
    explicit RawInsert(const std::string& path)
    {
        sqlite3_open(path.c_str(), &m_db);
        sqlite3_exec(m_db, (std::string("PRAGMA synchronous = FULL; PRAGMA journal_mode = ") + kJournalMode).c_str(),
                     nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(m_db,
                           "INSERT INTO [register]([房间号],[姓名],[性别],[民族],[出生年月],[住房日期],[证件号],"
                           "[籍贯],[本人职务备注],[交钱],[押金]) VALUES ('1999','新客人',1,'汉','1990-05-06 00:00:00',"
                           "'2024-01-01 12:00:00','ID-new','上海','','200','100')",
                           -1, &m_insert, nullptr);
    }
    ~RawInsert()
    {
        sqlite3_finalize(m_insert);
        sqlite3_close(m_db);
    }
    long long Insert()
    {
        const int rc = sqlite3_step(m_insert);
        sqlite3_reset(m_insert);
        return rc == SQLITE_DONE;
    }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insert = nullptr;
};

// A check-out's three writes in one transaction over the three files
// attached to one connection, straight through sqlite3, in a journal mode and
// synchronous setting of its own: what the choice of the program's was made on.
class RawCheckOut
{
public:
    RawCheckOut(const std::string& folder, const char* journal, const char* synchronous)
    {
        sqlite3_open((folder + "Hotel.db").c_str(), &m_db);
        Exec("ATTACH '" + folder + "Register.db' AS reg; ATTACH '" + folder + "Cashbook.db' AS cash;");
        for (const char* schema : {"main", "reg", "cash"})
            Exec(std::string("PRAGMA ") + schema + ".journal_mode = " + journal + "; PRAGMA " + schema +
                 ".synchronous = " + synchronous + ";");
    }
    ~RawCheckOut() { sqlite3_close(m_db); }
    long long CheckOut()
    {
        return Exec("BEGIN IMMEDIATE; UPDATE [house] SET [房间人数] = 0 WHERE rowid = 1;"
                    "UPDATE [register] SET [退房日期] = '2024-01-02 12:00:00.000' WHERE rowid = 1;"
                    "INSERT INTO [cashbook]([房间号],[交易金额],[状态]) VALUES ('1000','120.000000',1); COMMIT;");
    }

private:
    long long Exec(const std::string& sql) { return sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; }
    sqlite3* m_db = nullptr;
};

// ------------------------------------------------------------------ the layer

long long RecordsetWalk(CDatabase& db)
{
    CRegisterset rs(&db);
    rs.Open(CRecordset::dynaset);
    long long seen = 0;
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
        seen += rs.m_nID + rs.m_bSex;
        seen += long(rs.m_strRoomNo.length() + rs.m_strName.length() + rs.m_strNation.length() +
                     rs.m_strIdNumber.length() + rs.m_strNativePlace.length() + rs.m_strRemarks.length() +
                     rs.m_strPaid.length() + rs.m_strDeposit.length());
        seen += rs.m_dtBirth.GetStatus() + rs.m_dtCheckIn.GetStatus() + rs.m_dtCheckOut.GetStatus();
    }
    return seen;
}

GuestRecord StayAt(CDatabase& db, long position)
{
    CRegisterset rs(&db);
    rs.Open(CRecordset::dynaset);
    rs.SetAbsolutePosition(position + 1);
    return rs.GetGuestRecord();
}

void Row(const char* what, const Figure& f, const char* anchorName = nullptr, const Figure* anchor = nullptr,
         const char* target = "")
{
    std::printf("%-40s %10.3f ms %8.1f MB", what, f.ms, f.peakMb);
    if (anchor)
        std::printf("   %-22s %10.3f ms  %6.2f x", anchorName, anchor->ms, Ratio(f, *anchor));
    else
        std::printf("   %-22s %10s     %8s", "", "", "");
    std::printf("   %s\n", target);
}

// The finds of the desk's dialogs on fresh recordsets, and the jump to the
// last stay with the rank samples read anew, each beside raw sqlite3 reading
// the same rows by their index.
void MeasureFinds(DataConnections& db, const std::string& folder, const BenchSizes& sizes, int runs)
{
    const RawQuery rawStays(folder + "Register.db"), rawRooms(folder + "Hotel.db");
    const int j = RunningStays(sizes) * 3 / 4;
    const CString room = wxString::FromUTF8(RunningStayRoom(j));
    const std::string name = "客人" + std::to_string(sizes.stays - RunningStays(sizes) + j);
    const std::vector<Figure> openStay = MeasureTogether(
        runs, {[&] {
                   CRegisterset rs(&db.m_dbRegister);
                   rs.m_strFilter = OpenStaysFilter();
                   rs.Open(CRecordset::dynaset);
                   return rs.FindOpenStay(room, wxString::FromUTF8(name));
               },
               [&] {
                   return rawStays.Run("SELECT * FROM [register] WHERE [退房日期] IS NULL AND [房间号] = ? AND "
                                       "[姓名] = ?",
                                       {std::string(room.utf8_str()), name});
               }});
    Row("FindOpenStay, running stays (check-out)", openStay[0], "raw by the index", &openStay[1], "<= 5 ms");

    const std::string number = std::to_string(1000 + sizes.rooms * 3 / 4);
    const std::vector<Figure> roomFind = MeasureTogether(
        runs, {[&] {
                   CHouseset rs(&db.m_dbHotel);
                   rs.m_strSort = wxString::FromUTF8("房间号 ASC");
                   rs.Open(CRecordset::dynaset);
                   return long(rs.FindRoom(wxString::FromUTF8(number)));
               },
               [&] { return rawRooms.Run("SELECT * FROM [house] WHERE [房间号] = ?", {number}); }});
    Row("FindRoom, rooms in board order", roomFind[0], "raw by the index", &roomFind[1], "<= 5 ms");

    // Something written on the connection: the samples are read again.
    const std::vector<Figure> last = MeasureTogether(
        runs, {[&] {
                   db.m_dbRegister.ExecuteSQL(wxT("UPDATE [register] SET [ID] = [ID] WHERE 0"));
                   CRegisterset rs(&db.m_dbRegister);
                   rs.Open(CRecordset::dynaset);
                   rs.SetAbsolutePosition(rs.GetRecordCount());
                   return long(rs.m_nID);
               },
               [&] { return rawStays.Run("SELECT * FROM [register] ORDER BY rowid DESC LIMIT 128"); }});
    Row("last stay by position, samples anew", last[0], "raw last 128 by key", &last[1], "<= 50 ms");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::string(argv[1]) == "--backend" && std::string(argv[2]) != "sqlite")
        return RunOnServer(argc, argv);
    if (argc > 2 && std::string(argv[1]) == "--backend")
        argv += 2, argc -= 2;
    BenchSizes sizes{1000, 100000, 1000};
    int runs = 5;
    int* args[] = {&sizes.rooms, &sizes.stays, &sizes.cashRows, &runs};
    for (int i = 1; i < argc && i <= 4; ++i)
        *args[i - 1] = std::atoi(argv[i]);
    const int rooms = sizes.rooms, stays = sizes.stays;
    if (rooms < 1 || stays < 2 || sizes.cashRows < 0 || runs < 1 || argc > 5) {
        std::fprintf(stderr, "usage: bench [--backend sqlite|postgresql] [rooms [stays [cash-book rows [runs]]]]\n");
        return 2;
    }
    // As the program starts: SQLite set up before anything opens it (the fill does).
    ConfigureSqliteLibrary();
    const std::string cache = SeedCacheFolder();
    TestEnvironment env;
    if (!SeedDatabases(env.DataSaveFolder(), sizes, cache)) {
        std::fprintf(stderr, "filling the databases failed\n");
        return 1;
    }

    // The program's own registration and open: the files attached to one connection.
    DataConnections db;
    CreateDataSources(db);
    if (!OpenDataSources(db)) {
        std::fprintf(stderr, "the data sources do not open\n");
        return 1;
    }
    const std::string registerFile = env.DataSaveFolder() + "Register.db";
    BareOdbc bare("DSN=Register");
    if (!bare.Ok()) {
        std::fprintf(stderr, "the bare ODBC connection failed\n");
        return 1;
    }
    std::mt19937 random(2024);
    std::uniform_int_distribution<long> anyStay(0, stays - 1);

    try {
        std::printf("\nData layer: %d rooms, %d stays, medians of %d runs\n\n", rooms, stays, runs);
        std::printf("%-40s %13s %11s   %-22s %13s  %8s   %s\n", "figure", "time", "peak", "anchor", "time", "ratio",
                    "target");

        const std::vector<Figure> walks = MeasureTogether(runs, {[&] { return RawWalk(registerFile); },
                                                                 [&] { return bare.Walk(); },
                                                                 [&] { return RecordsetWalk(db.m_dbRegister); },
                                                                 [&] { return bare.WalkAsText(); }});
        const Figure& raw = walks[0];
        const Figure& odbc = walks[1];
        const Figure& walk = walks[2];
        Row("walk of all stays, CRegisterset", walk, "raw sqlite3 walk", &raw, "<= 3 x raw");
        Row("", walk, "bare ODBC walk", &odbc, "<= 1.25 x bare ODBC");
        Row("", walk, "bare ODBC, all as text", &walks[3], "<= 1.25 x bare ODBC");

        const Figure count = Measure(runs, [&] {
            CRegisterset rs(&db.m_dbRegister);
            rs.Open(CRecordset::dynaset);
            return rs.GetRecordCount();
        });
        Row("GetRecordCount on a fresh recordset", count);

        const Figure position = Measure(runs, [&] { return long(StayAt(db.m_dbRegister, anyStay(random)).m_strName.length()); });
        Row("SetAbsolutePosition, fresh recordset", position, nullptr, nullptr, "a block, not a walk");

        MeasureFinds(db, env.DataSaveFolder(), sizes, runs);

        std::vector<GuestRecord> wanted;
        for (int i = 0; i < runs; ++i)
            wanted.push_back(StayAt(db.m_dbRegister, anyStay(random)));
        size_t next = 0;
        const Figure find = Measure(runs, [&] {
            CRegisterset rs(&db.m_dbRegister);
            rs.Open(CRecordset::dynaset);
            return rs.FindRecord(wanted[next++ % wanted.size()]);
        });
        Row("FindRecord of a stay, fresh recordset", find, nullptr, nullptr, "<= 5 ms");

        // Both anchor and layer commit each insert on its own, as check-in does,
        // on two connections to the one file, taking turns.
        CloseDataSources(db);
        if (!OpenDataSources(db))
            return 1;
        RawInsert insert(registerFile);
        CRegisterset rs(&db.m_dbRegister);
        rs.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly);
        const std::vector<Figure> adds = MeasureTogether(runs * 10, {[&] { return insert.Insert(); }, [&] {
            return rs.AddRecord(wxT("1999"), wxString::FromUTF8("新客人"), TRUE, wxString::FromUTF8("汉"),
                                COleDateTime(1990, 5, 6, 0, 0, 0), COleDateTime::GetCurrentTime(), wxT("ID-new"),
                                wxString::FromUTF8("上海"), CString(), wxT("200"), wxT("100"));
        }});
        const Figure& rawAdd = adds[0];
        const Figure& add = adds[1];
        Row("AddRecord, durable", add, "raw sqlite3 insert", &rawAdd, "<= 2 ms");

        // A check-out's commit over the three files, as the desk makes it, beside
        // raw sqlite3 in the rollback journals there are to choose from.
        const Figure deskCommit = Measure(runs * 10, [&] {
            CDeskTransaction transaction(db);
            db.m_dbHotel.ExecuteSQL(wxString::FromUTF8("UPDATE [house] SET [房间人数] = 0 WHERE rowid = 1"));
            db.m_dbRegister.ExecuteSQL(
                wxString::FromUTF8("UPDATE [register] SET [退房日期] = '2024-01-02 12:00:00.000' WHERE rowid = 1"));
            db.m_dbCashbook.ExecuteSQL(
                wxString::FromUTF8("INSERT INTO [cashbook]([房间号],[交易金额],[状态]) VALUES ('1000','120.000000',1)"));
            transaction.Commit();
            return 1;
        });
        CloseDataSources(db);
        std::vector<Figure> modes;
        {
            RawCheckOut truncateFull(env.DataSaveFolder(), "TRUNCATE", "FULL");
            RawCheckOut deleteFull(env.DataSaveFolder(), "DELETE", "FULL");
            RawCheckOut deleteExtra(env.DataSaveFolder(), "DELETE", "EXTRA");
            modes = MeasureTogether(runs * 10, {[&] { return truncateFull.CheckOut(); },
                                                [&] { return deleteFull.CheckOut(); },
                                                [&] { return deleteExtra.CheckOut(); }});
        }
        Row("check-out commit, three files (desk)", deskCommit, "raw TRUNCATE, FULL", &modes[0],
            "the program's settings");
        Row("raw DELETE, FULL (not durable)", modes[1], "raw TRUNCATE, FULL", &modes[0]);
        Row("raw DELETE, EXTRA (durable)", modes[2], "raw TRUNCATE, FULL", &modes[0]);
        std::printf("\nfirst run of SetAbsolutePosition %.3f ms, of FindRecord %.3f ms (they read the rank samples)\n",
                    position.times.front(), find.times.front());
        std::printf("\nchecks: %lld %lld %lld %lld %lld %lld\n", raw.check, odbc.check, walk.check, walks[3].check,
                    count.check, find.check);
    } catch (const CDBException& e) {
        std::fprintf(stderr, "database error: %s\n", e.m_strError.utf8_str().data());
        return 1;
    }
    return 0;
}
