// The database files read behind the program's back, with the sqlite3 C API:
// what the tests compare and check after a failed write or a killed process.
#pragma once

#include <string>
#include <vector>

// Every row of every table of the file, in rowid order, as text; "" when the
// file cannot be read. Two dumps are equal exactly when the tables are.
std::string DumpDatabase(const std::string& path);

// "ok" when the file passes PRAGMA integrity_check, else what it found.
std::string IntegrityOf(const std::string& path);

// Runs one query on the file and gives its rows, each column as text (NULL as
// "<null>"). Throws std::runtime_error with SQLite's text when it fails.
std::vector<std::vector<std::string>> QueryDatabase(const std::string& path, const std::string& sql);

// Runs statements that return no rows on the file.
void ExecuteOnDatabase(const std::string& path, const std::string& sql);

// Makes the file larger than what an operation writes to the other files and
// to its journals, then fills the last page of its table with rows of the
// table's defaults; gives the file's size. Where the disk ends at that size,
// the table can take no row and no value that grows.
long long FillToTheEnd(const std::string& path, const std::string& table);

// While it lives, this process cannot make a file larger than `bytes`, as on a
// disk that is full (writes past it fail with EFBIG instead of a signal).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(long long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    unsigned long long m_previous;
    void (*m_previousHandler)(int);
};

// Holds a write lock on a file (BEGIN IMMEDIATE on a connection of its own)
// while it lives: the program can read the file but not write it.
class FileWriteLock
{
public:
    explicit FileWriteLock(const std::string& path);
    ~FileWriteLock();
    FileWriteLock(const FileWriteLock&) = delete;
    FileWriteLock& operator=(const FileWriteLock&) = delete;

private:
    struct sqlite3* m_db = nullptr;
};
