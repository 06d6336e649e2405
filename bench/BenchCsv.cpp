// Timings and peak memory of the guest-records CSV export and import, beside
// the same work done straight with the sqlite3 C API in the same run: one
// SELECT walked and written as lines to a file synced to the disk, and one
// prepared INSERT in one transaction; the import also beside the sqlite3
// shell's .import of the same rows. The import's longest time between two
// progress steps is how long the window goes without a repaint.
// Usage: bench_csv [stays (100000)] [runs (3)].
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
#include "BenchMeasures.h"
#include "CCsvFile.h"
#include "CRegisterset.h"
#include "CsvTransfer.h"
#include "DataSources.h"
#include "SqliteSetup.h"
#include "TestEnvironment.h"

namespace {

// Time and peak resident memory of one run.
struct Run
{
    double seconds = 0;
    double peakMb = 0;
};

Run Measure(const std::function<bool()>& work)
{
    ResetPeakMemory();
    const auto start = BenchClock::now();
    if (!work()) {
        std::fprintf(stderr, "a run failed\n");
        std::exit(1);
    }
    Run run;
    run.seconds = MillisecondsBetween(start) / 1000;
    run.peakMb = PeakMemoryMb();
    return run;
}

// Median time, largest peak.
Run Summary(std::vector<Run> runs)
{
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
    Run summary = runs[runs.size() / 2];
    for (const Run& r : runs)
        summary.peakMb = std::max(summary.peakMb, r.peakMb);
    return summary;
}

// The longest time between two progress steps, the start and the end counted as steps.
class ProgressGaps
{
public:
    void Start() { m_last = BenchClock::now(); }
    void Step()
    {
        const auto now = BenchClock::now();
        m_longestMs = std::max(m_longestMs, MillisecondsBetween(m_last, now));
        m_last = now;
        ++m_steps;
    }
    double LongestMs() const { return m_longestMs; }
    int Steps() const { return m_steps; }

private:
    BenchClock::time_point m_last;
    double m_longestMs = 0;
    int m_steps = 0;
};

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
        line += '\n';
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

// The same rows in UTF-8 into a table of the same columns and indexes, by the
// sqlite3 shell's .import in one transaction.
bool ShellImport(const std::string& folder, const std::string& csv)
{
    const std::string database = folder + "/shell.db";
    std::remove(database.c_str());
    const std::string schema =
        "CREATE TABLE imported ([房间号],[姓名],[性别],[民族],[出生年月],[住房日期],[退房日期],[证件号],[籍贯],"
        "[本人职务备注],[交钱],[押金]); CREATE INDEX a ON imported([房间号],[姓名]) WHERE [退房日期] IS NULL; "
        "CREATE INDEX b ON imported([姓名]);";
    const std::string command = "sqlite3 " + database + " \"" + schema + "\" \".import --csv " + csv +
                                " imported\" >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

bool Export(CDatabase& db, const std::string& file, int& progressCalls)
{
    CRegisterset rs(&db);
    rs.Open(CRecordset::dynaset);
    CCsvFile csv;
    return csv.Open(wxString::FromUTF8(file).ToStdWstring(), CCsvFile::modeReplace) &&
           ExportCsv(GuestCsvTable(rs), csv, [&progressCalls](int) { ++progressCalls; });
}

bool Import(CDatabase& db, const std::string& file, long expected, ProgressGaps& gaps)
{
    CRegisterset rs(&db);
    rs.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly);
    gaps.Start();
    const CsvImportResult result =
        ImportCsv(GuestCsvTable(rs), wxString::FromUTF8(file), [&gaps](int) { gaps.Step(); });
    gaps.Step();
    return result.kind == CsvImportResult::imported && result.rows == expected;
}

void PrintPair(const char* what, const Run& ours, const char* anchorName, const Run& anchor, double target)
{
    const double ratio = anchor.seconds > 0 ? ours.seconds / anchor.seconds : 0;
    std::printf("%-8s %9.3f s %8.1f MB   %-28s %9.3f s   %5.2f x (target <= %.1f x)\n", what, ours.seconds,
                ours.peakMb, anchorName, anchor.seconds, ratio, target);
}

}  // namespace

int main(int argc, char** argv)
{
    const long stays = argc > 1 ? std::atol(argv[1]) : 100000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    // As the program starts: SQLite set up before anything opens it (the fill does).
    ConfigureSqliteLibrary();
    const std::string cache = SeedCacheFolder();
    TestEnvironment env;
    if (!SeedDatabases(env.DataSaveFolder(), BenchSizes{1000, int(stays), 0}, cache)) {
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
    std::vector<Run> exports, rawExports, imports, rawImports, shellImports;
    int exportSteps = 0;
    ProgressGaps importGaps;
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
            imports.push_back(Measure([&] { return Import(db.m_dbRegister, ours, stays, importGaps); }));
            step = "emptying the stays";
            db.m_dbRegister.ExecuteSQL("DELETE FROM [register]");
            step = "raw import";
            rawImports.push_back(Measure([&] { return RawImport(registerDb, stays); }));
            step = "shell import";
            shellImports.push_back(Measure([&] { return ShellImport(env.Folder(), raw); }));
        }
    } catch (const CDBException& e) {
        std::fprintf(stderr, "database error in the %s: %s\n", step, e.m_strError.utf8_str().data());
        return 1;
    }
    CloseDataSources(db);

    std::printf("\nGuest-records CSV, %ld stays, median of %d runs; peak = VmHWM during the run\n\n", stays, runs);
    std::printf("%-8s %11s %11s   %-28s %11s   %s\n", "", "time", "peak", "anchor", "time", "ratio");
    PrintPair("export", Summary(exports), "SELECT walk + synced write", Summary(rawExports), 2);
    PrintPair("import", Summary(imports), "prepared INSERT, one txn", Summary(rawImports), 3);
    PrintPair("", Summary(imports), "sqlite3 shell .import", Summary(shellImports), 1.5);
    std::printf("\nimport: longest time between two repaints (progress steps, start and end counted) %.0f ms "
                "(target <= 100 ms)%s\n",
                importGaps.LongestMs(), importGaps.LongestMs() <= 100 ? "" : "   MISSED");
    std::printf("progress steps per run: export %d, import %d\n", exportSteps / runs, importGaps.Steps() / runs);
    return 0;
}
