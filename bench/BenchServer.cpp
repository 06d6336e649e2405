#include "BenchServer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <vector>
#include "BenchFill.h"
#include "BenchPsql.h"
#include "CDeskTransaction.h"
#include "CRegisterset.h"
#include "ChangeWatch.h"
#include "DataSources.h"
#include "TestEnvironment.h"
#include "Utf8Text.h"

namespace {

using Clock = std::chrono::steady_clock;

double MedianOf(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + long(values.size() / 2), values.end());
    return values[values.size() / 2];
}

// Milliseconds of each of `runs` runs of `work`.
std::vector<double> Timed(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return times;
}

// The process's peak resident memory so far, in MB.
double ProcessPeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void Row(const char* what, const std::vector<double>& layer, const std::vector<double>& psql, const char* note = "")
{
    const double ours = MedianOf(layer), theirs = MedianOf(psql);
    std::printf("%-38s %10.3f ms   %10.3f ms   %6.2f x   %s\n", what, ours, theirs, theirs > 0 ? ours / theirs : 0.0,
                note);
}

const std::string kStays = "SELECT \"ID\",\"房间号\",\"姓名\",\"性别\",\"民族\",\"出生年月\",\"住房日期\",\"退房日期\",\"证件号\","
                           "\"籍贯\",\"本人职务备注\",\"交钱\",\"押金\" FROM \"register\"";

std::string Quoted(const CString& text)
{
    return "'" + ToUtf8(text) + "'";
}

}  // namespace

int RunOnServer(int argc, char** argv)
{
    const int rooms = argc > 3 ? std::atoi(argv[3]) : 1000;
    const int stays = argc > 4 ? std::atoi(argv[4]) : 100000;
    const int runs = argc > 5 ? std::atoi(argv[5]) : 5;
    if (std::string(argv[2]) != "postgresql" || rooms < 1 || stays < 2 || runs < 1) {
        std::fprintf(stderr, "usage: bench --backend postgresql [rooms [stays [runs]]]\n");
        return 2;
    }
    setenv("QUILLAN_TEST_BACKEND", "postgresql", 1);
    try {
        TestEnvironment env;
        if (!env.Unavailable().empty()) {
            std::fprintf(stderr, "%s\n", env.Unavailable().c_str());
            return 2;
        }
        auto start = Clock::now();
        FillServerDatabase(env, {rooms, stays, stays - 1});
        const double fill = std::chrono::duration<double>(Clock::now() - start).count();
        DataConnections db;
        if (!OpenDataSources(db)) {
            std::fprintf(stderr, "the data sources do not open\n");
            return 1;
        }
        const Psql psql(env);
        std::mt19937 random(2024);
        std::uniform_int_distribution<long> anyStay(0, stays - 1);

        std::printf("Data layer on PostgreSQL: %d rooms, %d stays (filled in %.1f s), medians of %d runs\n\n", rooms,
                    stays, fill, runs);
        std::printf("%-38s %13s   %13s   %8s\n", "figure", "layer", "psql", "ratio");

        long long seen = 0;
        const std::vector<double> walk = Timed(runs, [&] {
            CRegisterset rs(&db.m_dbRegister);
            rs.Open(CRecordset::dynaset);
            for (; !rs.IsEOF(); rs.MoveNext())
                seen += long(rs.m_strName.length()) + rs.m_nID;
        });
        const double walkPeak = ProcessPeakMegabytes();
        Row("walk of all stays, CRegisterset", walk, psql.Times({kStays + " ORDER BY \"ID\""}, runs));

        Row("GetRecordCount on a fresh recordset", Timed(runs, [&] {
                CRegisterset rs(&db.m_dbRegister);
                rs.Open(CRecordset::dynaset);
                seen += rs.GetRecordCount();
            }),
            psql.Times({"SELECT count(*) FROM \"register\""}, runs));

        std::vector<long> positions;
        std::vector<std::vector<std::string>> blocks;
        for (int i = 0; i < runs; ++i) {
            positions.push_back(anyStay(random));
            blocks.push_back({kStays + " ORDER BY \"ID\" LIMIT 128 OFFSET " + std::to_string(positions.back())});
        }
        std::vector<GuestRecord> wanted;
        size_t next = 0;
        Row("SetAbsolutePosition, fresh recordset", Timed(runs, [&] {
                CRegisterset rs(&db.m_dbRegister);
                rs.Open(CRecordset::dynaset);
                rs.SetAbsolutePosition(positions[next++] + 1);
                wanted.push_back(rs.GetGuestRecord());
            }),
            psql.Times(blocks), "a block, not a walk");

        blocks.clear();
        for (const GuestRecord& stay : wanted)
            blocks.push_back({kStays + " WHERE \"姓名\" = " + Quoted(stay.m_strName) + " AND \"房间号\" = " +
                              Quoted(stay.m_strRoomNo) + " AND \"证件号\" = " + Quoted(stay.m_strIdNumber) +
                              " ORDER BY \"ID\""});
        next = 0;
        Row("FindRecord of a stay, fresh recordset", Timed(runs, [&] {
                CRegisterset rs(&db.m_dbRegister);
                rs.Open(CRecordset::dynaset);
                seen += rs.FindRecord(wanted[next++]);
            }),
            psql.Times(blocks));

        CRegisterset add(&db.m_dbRegister);
        add.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly);
        Row("AddRecord, committed alone", Timed(runs * 10, [&] {
                add.AddRecord(wxT("1999"), wxString::FromUTF8("新客人"), TRUE, wxString::FromUTF8("汉"),
                              COleDateTime(1990, 5, 6, 0, 0, 0), COleDateTime::GetCurrentTime(), wxT("ID-new"),
                              wxString::FromUTF8("上海"), CString(), wxT("200"), wxT("100"));
            }),
            psql.Times({"INSERT INTO \"register\"(\"房间号\",\"姓名\",\"性别\",\"民族\",\"出生年月\",\"住房日期\",\"证件号\","
                        "\"籍贯\",\"本人职务备注\",\"交钱\",\"押金\") VALUES ('1999','新客人',1,'汉',"
                        "'1990-05-06 00:00:00','2024-01-01 12:00:00','ID-new','上海','','200','100')"},
                       runs * 10));

        Row("check-out commit, three tables (desk)", Timed(runs * 10, [&] {
                CDeskTransaction transaction(db);
                db.m_dbHotel.ExecuteSQL(wxString::FromUTF8("UPDATE [house] SET [房间人数] = 0 WHERE [ID] = 1"));
                db.m_dbRegister.ExecuteSQL(
                    wxString::FromUTF8("UPDATE [register] SET [退房日期] = '2024-01-02 12:00:00.000' WHERE [ID] = 1"));
                db.m_dbCashbook.ExecuteSQL(wxString::FromUTF8(
                    "INSERT INTO [cashbook]([房间号],[交易金额],[状态]) VALUES ('1000','120.000000',1)"));
                transaction.Commit();
            }),
            psql.Times({"BEGIN", "SELECT pg_advisory_xact_lock(2021)",
                        "UPDATE \"house\" SET \"房间人数\" = 0 WHERE \"ID\" = 1",
                        "UPDATE \"register\" SET \"退房日期\" = '2024-01-02 12:00:00.000' WHERE \"ID\" = 1",
                        "INSERT INTO \"cashbook\"(\"房间号\",\"交易金额\",\"状态\") VALUES ('1000','120.000000',1)",
                        "COMMIT"},
                       runs * 10),
            "with the desks' lock");

        ChangeWatch watch(db);
        Row("board's look for other desks' changes", Timed(runs * 10, [&] { seen += watch.HasChangedSince(); }),
            psql.Times({"SELECT \"serial\" || ':' || (\"writer\" = pg_backend_pid())::int FROM \"change_marker\""},
                       runs * 10));

        std::printf("\nprocess peak after the walk %.1f MB\n", walkPeak);
        std::printf("check: %lld\n", seen);
        CloseDataSources(db);
    } catch (const CDBException& e) {
        std::fprintf(stderr, "database error: %s\n", e.m_strError.utf8_str().data());
        return 1;
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
