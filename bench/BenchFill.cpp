#include "BenchFill.h"

#include <cstdio>
#include <sqlite3.h>
#include "TestEnvironment.h"

namespace {

bool Exec(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", error ? error : "?");
        sqlite3_free(error);
        return false;
    }
    return true;
}

// Runs `insert` once per row in one transaction; `bind` fills the row's parameters.
template <class Bind>
bool InsertRows(const std::string& path, const char* insert, int count, Bind bind)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    sqlite3_stmt* st = nullptr;
    bool ok = Exec(db, "BEGIN") && sqlite3_prepare_v2(db, insert, -1, &st, nullptr) == SQLITE_OK;
    for (int i = 0; ok && i < count; ++i) {
        bind(st, i);
        ok = sqlite3_step(st) == SQLITE_DONE;
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    ok = ok && Exec(db, "COMMIT");
    sqlite3_close(db);
    return ok;
}

void BindText(sqlite3_stmt* st, int column, const std::string& text)
{
    sqlite3_bind_text(st, column, text.c_str(), -1, SQLITE_TRANSIENT);
}

}  // namespace

bool FillDatabases(const std::string& folder, int rooms, int stays)
{
    const bool roomsOk = InsertRows(
        folder + "Hotel.db",
        "INSERT INTO [house] ([房间号],[房价],[房间介绍],[钟点房],[钟点开始],[钟点结束],[住房],[房间人数]) "
        "VALUES (?,'120','标准间',?,'2024-03-05 00:00:00','2024-03-05 00:00:01',?,?)",
        rooms, [](sqlite3_stmt* st, int i) {
            BindText(st, 1, std::to_string(1000 + i));
            const int hourly = i % 10 == 0 ? 1 : 0;
            sqlite3_bind_int(st, 2, hourly);
            sqlite3_bind_int(st, 3, hourly);
            sqlite3_bind_int(st, 4, hourly);
        });
    const bool staysOk = InsertRows(
        folder + "Register.db",
        "INSERT INTO [register] ([房间号],[姓名],[性别],[民族],[出生年月],[住房日期],[退房日期],"
        "[证件号],[籍贯],[本人职务备注],[交钱],[押金]) VALUES "
        "(?,?,1,'汉族','1980-01-02 00:00:00',?,?,?,'北京','教师','150','100')",
        stays, [rooms, stays](sqlite3_stmt* st, int i) {
            char checkIn[32], checkOut[32];
            std::snprintf(checkIn, sizeof checkIn, "2023-%02d-%02d 14:00:00", 1 + i % 12, 1 + i % 28);
            std::snprintf(checkOut, sizeof checkOut, "2023-%02d-%02d 12:00:00", 1 + i % 12, 1 + i % 28);
            BindText(st, 1, std::to_string(1000 + i % rooms));
            BindText(st, 2, "客人" + std::to_string(i));
            BindText(st, 3, checkIn);
            if (i == stays - 1)
                sqlite3_bind_null(st, 4);  // the last guest is still in
            else
                BindText(st, 4, checkOut);
            BindText(st, 5, "ID" + std::to_string(i));
        });
    const bool cashbookOk = InsertRows(
        folder + "Cashbook.db",
        "INSERT INTO [cashbook] ([房间号],[姓名],[时间],[交钱],[押金],[交易金额],[状态]) "
        "VALUES (?,?,'2023-06-01 12:00:00','150.000000','100.000000','120.000000',1)",
        stays - 1, [rooms](sqlite3_stmt* st, int i) {
            BindText(st, 1, std::to_string(1000 + i % rooms));
            BindText(st, 2, "客人" + std::to_string(i));
        });
    return roomsOk && staysOk && cashbookOk;
}

void FillServerDatabase(const TestEnvironment& env, int rooms, int stays)
{
    const std::string r = std::to_string(rooms), s = std::to_string(stays);
    env.Execute("Hotel.db", "INSERT INTO [house] ([房间号],[房价],[房间介绍],[钟点房],[钟点开始],[钟点结束],[住房],[房间人数]) "
                            "SELECT 1000 + i, '120', '标准间', (i % 10 = 0)::int, '2024-03-05 00:00:00', "
                            "'2024-03-05 00:00:01', (i % 10 = 0)::int, (i % 10 = 0)::int "
                            "FROM generate_series(0, " + r + " - 1) i");
    env.Execute("Register.db", "INSERT INTO [register] ([房间号],[姓名],[性别],[民族],[出生年月],[住房日期],[退房日期],"
                               "[证件号],[籍贯],[本人职务备注],[交钱],[押金]) "
                               "SELECT 1000 + i % " + r + ", '客人' || i, 1, '汉族', '1980-01-02 00:00:00', "
                               "make_timestamp(2023, 1 + i % 12, 1 + i % 28, 14, 0, 0), "
                               "CASE WHEN i < " + s + " - 1 THEN make_timestamp(2023, 1 + i % 12, 1 + i % 28, 12, 0, 0) END, "
                               "'ID' || i, '北京', '教师', '150', '100' FROM generate_series(0, " + s + " - 1) i");
    env.Execute("Cashbook.db", "INSERT INTO [cashbook] ([房间号],[姓名],[时间],[交钱],[押金],[交易金额],[状态]) "
                               "SELECT 1000 + i % " + r + ", '客人' || i, '2023-06-01 12:00:00', '150.000000', "
                               "'100.000000', '120.000000', 1 FROM generate_series(0, " + s + " - 2) i");
    env.Execute("Hotel.db", "ANALYZE");
}
