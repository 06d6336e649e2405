#include "CsvTransfer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

#include "CCashbookset.h"
#include "CCsvReader.h"
#include "CRegisterset.h"
#include "CRegularFile.h"
#include "SchemaUpgrade.h"
#include "SqliteSetup.h"
#include "Utf8Text.h"

namespace {

// Calls the progress function when the share it is told grows, and at least
// every kBeat while the work goes on: the page lets the window paint at each
// call, and a share can take longer than the clerk should wait for a paint.
class ProgressSteps
{
public:
    explicit ProgressSteps(const CsvProgress& progress) : m_progress(progress) {}

    void Done(std::uint64_t done, std::uint64_t total)
    {
        if (!m_progress)
            return;
        const int percent = total > 0 ? int(done * 100 / total) : 100;
        const auto now = std::chrono::steady_clock::now();
        if (percent > m_percent || now - m_last >= kBeat) {
            m_percent = std::max(percent, m_percent);
            m_last = now;
            m_progress(m_percent);
        }
    }

private:
    static constexpr std::chrono::milliseconds kBeat{40};

    const CsvProgress& m_progress;
    int m_percent = -1;
    std::chrono::steady_clock::time_point m_last = std::chrono::steady_clock::now();
};

// The write-back to the disk of a database file that a long transaction
// grows: started at every step, so that the sync of the commit at its end
// has little left to write while the clerk waits.
class DatabaseWriteback
{
public:
    explicit DatabaseWriteback(CDatabase& db)
    {
        if (!IsSqliteFile(db))
            return;
        const std::string file = SchemaFile(db.Connection(), ToUtf8(db.GetSchemaName()));
        if (!file.empty())
            m_fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    }
    ~DatabaseWriteback()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    DatabaseWriteback(const DatabaseWriteback&) = delete;
    DatabaseWriteback& operator=(const DatabaseWriteback&) = delete;

    void Start() const
    {
        if (m_fd >= 0)
            sync_file_range(m_fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    }

private:
    int m_fd = -1;
};

CsvImportResult ReaderFault(const CCsvReader& reader)
{
    CsvImportResult result;
    switch (reader.GetFault()) {
    case CCsvReader::unclosedQuote: result.kind = CsvImportResult::unclosedQuote; break;
    case CCsvReader::nulByte: result.kind = CsvImportResult::nulByte; break;
    case CCsvReader::rowTooLong: result.kind = CsvImportResult::rowTooLong; break;
    default: result.kind = CsvImportResult::tooManyFields; break;
    }
    return result;
}

// Stores the rows after the header; whatever is not `imported` is rolled back by the caller.
CsvImportResult StoreRows(const CsvTable& table, CCsvReader& reader, bool utf8, std::uint64_t fileSize,
                          const CsvProgress& progress)
{
    ProgressSteps steps(progress);
    CsvImportResult result;
    CsvRow row;
    CCsvReader::Result read;
    while ((read = reader.ReadRow(row)) == CCsvReader::row) {
        if (row.size() != table.fields) {
            result.kind = CsvImportResult::fieldCount;
            result.fields = row.size();
            return result;
        }
        table.set.AddNew();
        const CsvBadField bad = table.setFromRow(row, utf8);
        if (bad.kind != CsvBadField::none) {
            table.set.CancelUpdate();
            result.kind = bad.kind == CsvBadField::notDate ? CsvImportResult::notDate : CsvImportResult::notText;
            result.field = bad.index + 1;
            return result;
        }
        table.set.Update();
        ++result.rows;
        steps.Done(reader.BytesRead(), fileSize);
    }
    if (read == CCsvReader::fault)
        return ReaderFault(reader);
    steps.Done(1, 1);
    return result;
}

// Makes the lines of copied rows and writes them to the file on a thread
// of its own while the walk reads the next rows: reading rows through the
// driver and making their lines then take the time of the longer alone.
// Rows come in batches; the walk fills one while the thread works on another.
class LineWriter
{
public:
    LineWriter(const CsvTable& table, CCsvFile& file)
        : m_table(table), m_file(file), m_thread([this] { Run(); })
    {
    }

    ~LineWriter() { Stop(); }

    // Hands the filled batch over and gives `batch` an empty one; waits while
    // the thread has not taken the batch handed over before.
    void Hand(StoredRows& batch)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_handed; });
        std::swap(batch, m_next);
        m_handed = true;
        m_changed.notify_all();
        lock.unlock();
        batch.Clear();
    }

    // A write failed: the rest need not be read.
    bool Failed() const { return m_failed; }

    // Waits for every line handed over to be written; false when a write
    // failed. What the thread threw is thrown here.
    bool Finish()
    {
        Stop();
        if (m_error)
            std::rethrow_exception(m_error);
        return !m_failed;
    }

private:
    void Run()
    {
        StoredRows batch;
        std::string lines;
        lines.reserve(kWriteBlock + 4096);
        try {
            while (Take(batch)) {
                StoredRows::Reader row(batch);
                for (size_t r = 0; r < batch.Rows() && !m_failed; ++r) {
                    m_table.appendLine(row, lines);
                    if (lines.size() >= kWriteBlock)
                        Write(lines);
                }
            }
            if (!lines.empty())
                Write(lines);
        } catch (...) {
            m_error = std::current_exception();
            m_failed = true;
        }
    }

    // The next batch; false once none will come.
    bool Take(StoredRows& batch)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_handed || m_stopping; });
        if (!m_handed)
            return false;
        std::swap(batch, m_next);
        m_handed = false;
        m_changed.notify_all();
        return true;
    }

    void Write(std::string& lines)
    {
        if (!m_failed && !m_file.WriteLine(lines))
            m_failed = true;
        lines.clear();
    }

    void Stop()
    {
        if (!m_thread.joinable())
            return;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stopping = true;
            m_changed.notify_all();
        }
        m_thread.join();
    }

    static constexpr size_t kWriteBlock = 64 * 1024;

    const CsvTable& m_table;
    CCsvFile& m_file;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    StoredRows m_next;  // handed over and not yet taken while m_handed
    bool m_handed = false;
    bool m_stopping = false;
    std::atomic<bool> m_failed{false};
    std::exception_ptr m_error;
    std::thread m_thread;  // last: it starts once the rest is made
};

}  // namespace

CsvTable CashbookCsvTable(CCashbookset& set)
{
    // The line's functions look at the members' places alone, never at their values.
    auto copyRow = [&set](StoredRows& rows) {
        std::string none;
        AppendCashbookCsvLine(none, set, CopyingFields(set, rows));
    };
    auto appendLine = [&set](StoredRows::Reader& row, std::string& lines) {
        AppendCashbookCsvLine(lines, set, CopiedFields(row));
    };
    auto setFromRow = [&set](const CsvRow& row, bool utf8) {
        CsvBadField bad;
        const CashbookCsvRecord rec = CashbookRecordFromCsv(row, utf8, bad);
        set.m_strRoomNo = rec.m_strRoomNo;
        set.m_strName = rec.m_strName;
        set.m_dtTime = rec.m_dtTime;
        set.m_strPaid = rec.m_strPaid;
        set.m_strDeposit = rec.m_strDeposit;
        set.m_strAmount = rec.m_strAmount;
        set.m_bStatus = rec.m_bStatus;
        return bad;
    };
    return CsvTable{set, kCashbookCsvFields, CashbookCsvHeader(), copyRow, appendLine, setFromRow};
}

CsvTable GuestCsvTable(CRegisterset& set)
{
    auto copyRow = [&set](StoredRows& rows) {
        std::string none;
        AppendGuestCsvLine(none, set, CopyingFields(set, rows));
    };
    auto appendLine = [&set](StoredRows::Reader& row, std::string& lines) {
        AppendGuestCsvLine(lines, set, CopiedFields(row));
    };
    auto setFromRow = [&set](const CsvRow& row, bool utf8) {
        CsvBadField bad;
        ReadGuestCsvRow(row, utf8, bad, set);
        return bad;
    };
    return CsvTable{set, kGuestCsvFields, GuestCsvHeader(), copyRow, appendLine, setFromRow};
}

CsvImportResult ImportCsv(const CsvTable& table, const CString& path, const CsvProgress& progress)
{
    CsvImportResult result;
    CRegularFile file(CsvFileSystemName(path.ToStdWstring()));
    if (!file.IsOpen()) {
        result.kind = file.GetState() == CRegularFile::notRegular ? CsvImportResult::notRegularFile
                                                                  : CsvImportResult::notOfThisKind;
        return result;
    }
    // Spreadsheets on Linux save UTF-8 without the byte-order mark, whatever
    // their header says: text that is valid UTF-8 is taken as such, where
    // reading it as GBK would store it garbled without a word.
    const bool utf8Text = IsUtf8Text(file.Stream());
    // A row with more fields than the header stops the reading at once.
    CCsvReader reader(file.Stream(), table.fields);
    CsvRow header;
    if (reader.ReadRow(header) != CCsvReader::row || header.size() != table.fields) {
        result.kind = CsvImportResult::notOfThisKind;
        return result;
    }
    const bool utf8 = reader.IsUtf8() || utf8Text;

    CDatabase& db = *table.set.m_pDatabase;
    const DatabaseWriteback writeback(db);
    const CsvProgress step = [&writeback, &progress](int percent) {
        writeback.Start();
        if (progress)
            progress(percent);
    };
    db.BeginTrans();
    try {
        result = StoreRows(table, reader, utf8, file.Size(), step);
        if (result.kind == CsvImportResult::imported)
            db.CommitTrans();
        else
            db.Rollback();
    } catch (const CDBException&) {
        try {
            db.Rollback();
        } catch (const CDBException&) {
            // The connection's own error is the one to report.
        }
        throw;
    }
    if (result.kind != CsvImportResult::imported) {
        result.rows = 0;
        result.line = reader.Line();
    }
    result.utf8 = utf8;
    return result;
}

bool ExportCsv(const CsvTable& table, CCsvFile& file, const CsvProgress& progress)
{
    // Rows handed to the writing thread at a time.
    constexpr size_t kBatchRows = 1024;
    ProgressSteps steps(progress);
    CRecordset& set = table.set;
    bool written = file.WriteLine(table.header);
    const long total = set.GetRecordCount();
    long done = 0;
    if (written) {
        LineWriter writer(table, file);
        StoredRows batch;
        set.WalkStored([&] {
            table.copyRow(batch);
            batch.EndRow();
            if (batch.Rows() == kBatchRows)
                writer.Hand(batch);
            steps.Done(std::uint64_t(++done), std::uint64_t(total));
            return !writer.Failed();
        });
        if (batch.Rows() > 0)
            writer.Hand(batch);
        written = writer.Finish();
    }
    steps.Done(1, 1);
    return file.Close() && written;
}
