// Timings and peak memory of the guest-records CSV export and import, beside
// the same work done straight with the sqlite3 C API in the same run: one
// SELECT walked and written as lines to a file synced to the disk, and one
// prepared INSERT in one transaction. Usage: bench_csv [stays (100000)] [runs (3)].
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>
#include <sqlite3.h>
#include <unistd.h>

#include "BenchFill.h"
#include "CCsvFile.h"
#include "CRegisterset.h"
#include "CsvTransfer.h"
#include "DataSources.h"
#include "SqliteSetup.h"
#include "TestEnvironment.h"

namespace {

using Clock = std::chrono::steady_clock;

// Time and peak resident memory of one run.
struct Run
{
    double seconds = 0;
    long peakKb = 0;
};

// The peak resident set size since the last reset, from /proc/self/status.
long PeakKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

Run Measure(const std::function<bool()>& work)
{
    ResetPeak();
    const auto start = Clock::now();
    if (!work()) {
        std::fprintf(stderr, "a run failed\n");
        std::exit(1);
    }
    Run run;
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.peakKb = PeakKb();
    return run;
}

// Median time, largest peak.
Run Summary(std::vector<Run> runs)
{
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
    Run summary = runs[runs.size() / 2];
    for (const Run& r : runs)
        summary.peakKb = std::max(summary.peakKb, r.peakKb);
    return summary;
}

sqlite3* OpenRaw(const std::string& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: cannot open %s\n", path.c_str());
        std::exit(1);
    }
    // The program's journal and durability: every commit reaches the disk.
    sqlite3_exec(db, "PRAGMA journal_mode=TRUNCATE; PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    return db;
}

// Every stay walked with one SELECT and written as comma-separated lines.
bool RawExport(const std::string& database, const std::string& file)
{
    sqlite3* db = OpenRaw(database);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT [房间号],[姓名],[性别],[民族],[出生年月],[住房日期],[退房日期],[证件号],[籍贯],"
                       "[本人职务备注],[交钱],[押金] FROM [register]",
                       -1, &st, nullptr);
    FILE* out = std::fopen(file.c_str(), "wb");
    std::string line;
    while (out && sqlite3_step(st) == SQLITE_ROW) {
        line.clear();
        for (int c = 0; c < 12; ++c) {
            const unsigned char* text = sqlite3_column_text(st, c);
            if (c)
                line += ',';
            if (text)
                line.append(reinterpret_cast<const char*>(text), size_t(sqlite3_column_bytes(st, c)));
        }
        line += '\r';
        std::fwrite(line.data(), 1, line.size(), out);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    // On the disk, as the export's file is before it takes the chosen name.
    return out && std::fflush(out) == 0 && fsync(fileno(out)) == 0 && std::fclose(out) == 0;
}

// `count` stays like the filled ones, with one prepared INSERT in one transaction.
bool RawImport(const std::string& database, long count)
{
    sqlite3* db = OpenRaw(database);
    sqlite3_stmt* st = nullptr;
    bool ok = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK &&
              sqlite3_prepare_v2(db,
                                 "INSERT INTO [register] ([房间号],[姓名],[性别],[民族],[出生年月],[住房日期],"
                                 "[退房日期],[证件号],[籍贯],[本人职务备注],[交钱],[押金]) "
                                 "VALUES (?,?,?,?,?,?,?,?,?,?,?,?)",
                                 -1, &st, nullptr) == SQLITE_OK;
    char room[16], name[32], checkIn[32], checkOut[32], id[32];
    for (long i = 0; ok && i < count; ++i) {
        std::snprintf(room, sizeof room, "%ld", 1000 + i % 1000);
        std::snprintf(name, sizeof name, "客人%ld", i);
        std::snprintf(checkIn, sizeof checkIn, "2023-%02ld-%02ld 14:00:00", 1 + i % 12, 1 + i % 28);
        std::snprintf(checkOut, sizeof checkOut, "2023-%02ld-%02ld 12:00:00", 1 + i % 12, 1 + i % 28);
        std::snprintf(id, sizeof id, "ID%ld", i);
        const char* texts[] = {room, name, nullptr, "汉族", "1980-01-02 00:00:00", checkIn, checkOut,
                               id, "北京", "教师", "150", "100"};
        for (int c = 0; c < 12; ++c)
            sqlite3_bind_text(st, c + 1, texts[c], -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 3, 1);
        ok = sqlite3_step(st) == SQLITE_DONE;
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

bool Export(CDatabase& db, const std::string& file, int& progressCalls)
{
    CRegisterset rs(&db);
    rs.Open(CRecordset::dynaset);
    CCsvFile csv;
    return csv.Open(wxString::FromUTF8(file).ToStdWstring(), CCsvFile::modeReplace) &&
           ExportCsv(GuestCsvTable(rs), csv, [&progressCalls](int) { ++progressCalls; });
}

bool Import(CDatabase& db, const std::string& file, long expected, int& progressCalls)
{
    CRegisterset rs(&db);
    rs.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly);
    const CsvImportResult result = ImportCsv(GuestCsvTable(rs), wxString::FromUTF8(file),
                                             [&progressCalls](int) { ++progressCalls; });
    return result.kind == CsvImportResult::imported && result.rows == expected;
}

void PrintPair(const char* what, const Run& ours, const char* anchorName, const Run& anchor, double target)
{
    const double ratio = anchor.seconds > 0 ? ours.seconds / anchor.seconds : 0;
    std::printf("%-8s %9.3f s %8.1f MB   %-28s %9.3f s   %5.2f x (target <= %.0f x)\n", what, ours.seconds,
                ours.peakKb / 1024.0, anchorName, anchor.seconds, ratio, target);
}

}  // namespace

int main(int argc, char** argv)
{
    const long stays = argc > 1 ? std::atol(argv[1]) : 100000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    // As the program starts: SQLite set up before anything opens it (the fill does).
    ConfigureSqliteLibrary();
    TestEnvironment env;
    if (!FillDatabases(env.DataSaveFolder(), 1000, int(stays))) {
        std::fprintf(stderr, "filling the databases failed\n");
        return 1;
    }
    const std::string registerDb = env.DataSaveFolder() + "Register.db";
    const std::string ours = env.Folder() + "/ours.csv", raw = env.Folder() + "/raw.csv";

    // The program's own data sources and connection settings.
    DataConnections db;
    CreateDataSources(db);
    if (!OpenDataSources(db))
        return 1;
    std::vector<Run> exports, rawExports, imports, rawImports;
    int exportSteps = 0, importSteps = 0;
    const char* step = "";
    try {
        for (int r = 0; r < runs; ++r) {
            step = "export";
            exports.push_back(Measure([&] { return Export(db.m_dbRegister, ours, exportSteps); }));
            step = "raw export";
            rawExports.push_back(Measure([&] { return RawExport(registerDb, raw); }));
        }
        for (int r = 0; r < runs; ++r) {
            step = "emptying the stays";
            db.m_dbRegister.ExecuteSQL("DELETE FROM [register]");
            step = "import";
            imports.push_back(Measure([&] { return Import(db.m_dbRegister, ours, stays, importSteps); }));
            step = "emptying the stays";
            db.m_dbRegister.ExecuteSQL("DELETE FROM [register]");
            step = "raw import";
            rawImports.push_back(Measure([&] { return RawImport(registerDb, stays); }));
        }
    } catch (const CDBException& e) {
        std::fprintf(stderr, "database error in the %s: %s\n", step, e.m_strError.utf8_str().data());
        return 1;
    }
    CloseDataSources(db);

    std::printf("Guest-records CSV, %ld stays, median of %d runs; peak = VmHWM during the run\n\n", stays, runs);
    std::printf("%-8s %11s %11s   %-28s %11s   %s\n", "", "time", "peak", "anchor (sqlite3 C API)", "time", "ratio");
    PrintPair("export", Summary(exports), "SELECT walk + synced write", Summary(rawExports), 3);
    PrintPair("import", Summary(imports), "prepared INSERT, one txn", Summary(rawImports), 3);
    std::printf("\nprogress steps per run: export %d, import %d\n", exportSteps / runs, importSteps / runs);
    return 0;
}
