// Timings of the data layer on a hotel with 1,000 rooms and 100,000 stays.
#include <chrono>
#include <cstdio>
#include <string>
#include <sqlite3.h>
#include "BenchFill.h"
#include "CHouseset.h"
#include "CRegisterset.h"
#include "TestEnvironment.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double RawWalk(const std::string& path, long& rows)
{
    auto start = Clock::now();
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM [register]", -1, &st, nullptr);
    rows = 0;
    size_t bytes = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        int n = sqlite3_column_count(st);
        for (int c = 0; c < n; ++c) {
            const unsigned char* text = sqlite3_column_text(st, c);
            bytes += text ? static_cast<size_t>(sqlite3_column_bytes(st, c)) : 0;
        }
        ++rows;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    (void)bytes;
    return Seconds(start);
}

}  // namespace

int main()
{
    const int kRooms = 1000, kStays = 100000;
    TestEnvironment env;
    auto start = Clock::now();
    if (!FillDatabases(env.DataSaveFolder(), kRooms, kStays)) {
        std::fprintf(stderr, "filling the databases failed\n");
        return 1;
    }
    double fill = Seconds(start);

    // The settings the program registers its data sources with.
    CString connect = CString(wxT("Driver=SQLite3;StepAPI=1;Database=")) + wxString::FromUTF8(env.DataSaveFolder());
    CDatabase hotel, reg;
    try {
        hotel.OpenEx(connect + wxT("Hotel.db"), CDatabase::useCursorLib);
        reg.OpenEx(connect + wxT("Register.db"), CDatabase::useCursorLib);

        start = Clock::now();
        CRegisterset rs(&reg);
        if (!rs.Open(CRecordset::dynaset))
            return 1;
        long walked = 0;
        GuestRecord last;
        for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
            ++walked;
            last.m_strRoomNo = rs.m_strRoomNo;
            last.m_strName = rs.m_strName;
            last.m_bSex = rs.m_bSex;
            last.m_strNation = rs.m_strNation;
            last.m_dtBirth = rs.m_dtBirth;
            last.m_dtCheckIn = rs.m_dtCheckIn;
            last.m_dtCheckOut = rs.m_dtCheckOut;
            last.m_strIdNumber = rs.m_strIdNumber;
            last.m_strNativePlace = rs.m_strNativePlace;
            last.m_strRemarks = rs.m_strRemarks;
            last.m_strPaid = rs.m_strPaid;
            last.m_strDeposit = rs.m_strDeposit;
        }
        double walk = Seconds(start);

        long rawRows = 0;
        double raw = RawWalk(env.DataSaveFolder() + "Register.db", rawRows);

        start = Clock::now();
        int found = rs.FindRecord(last);
        double find = Seconds(start);

        start = Clock::now();
        BOOL added = rs.AddRecord(wxT("1999"), wxString::FromUTF8("新客人"), TRUE, wxString::FromUTF8("汉"),
                                  COleDateTime(1990, 5, 6, 0, 0, 0), COleDateTime::GetCurrentTime(), wxT("ID-new"),
                                  wxString::FromUTF8("上海"), CString(), wxT("200"), wxT("100"));
        double add = Seconds(start);

        CHouseset rooms(&hotel);
        if (!rooms.Open(CRecordset::dynaset))
            return 1;
        start = Clock::now();
        int room = rooms.FindRoom(wxString::Format("%d", 1000 + kRooms - 1));
        double findRoom = Seconds(start);

        std::printf("Data layer, %d rooms and %d stays (filled in %.2f s)\n\n", kRooms, kStays, fill);
        std::printf("%-44s %12s  %s\n", "operation", "time", "result");
        std::printf("%-44s %10.3f s  %ld rows\n", "open + walk all stays (CRegisterset)", walk, walked);
        std::printf("%-44s %10.3f s  %ld rows\n", "same walk, sqlite3 C API", raw, rawRows);
        std::printf("%-44s %10.2f x  target <= 5x, walk <= 0.3 s\n", "ratio recordset / raw", raw > 0 ? walk / raw : 0.0);
        std::printf("%-44s %10.3f ms position %d\n", "FindRecord of the last stay", find * 1000, found);
        std::printf("%-44s %10.3f ms %s (target <= 5 ms)\n", "AddRecord (one stay)", add * 1000,
                    added ? "ok" : "failed");
        std::printf("%-44s %10.3f ms position %d\n", "FindRoom of the last room", findRoom * 1000, room);
    } catch (const CDBException& e) {
        std::fprintf(stderr, "database error: %s\n", e.m_strError.utf8_str().data());
        return 1;
    }
    return 0;
}
