#include "CsvTransfer.h"

#include <fstream>

#include "CCashbookset.h"
#include "CCsvReader.h"
#include "CodePage.h"
#include "CRegisterset.h"

namespace {

// Calls the progress function only when the share it is told grows.
class ProgressSteps
{
public:
    explicit ProgressSteps(const CsvProgress& progress) : m_progress(progress) {}

    void Done(std::uint64_t done, std::uint64_t total)
    {
        const int percent = total > 0 ? int(done * 100 / total) : 100;
        if (percent > m_percent && m_progress) {
            m_percent = percent;
            m_progress(percent);
        }
    }

private:
    const CsvProgress& m_progress;
    int m_percent = -1;
};

std::uint64_t FileSize(std::ifstream& in)
{
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    return size > 0 ? std::uint64_t(size) : 0;
}

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

// Whether the first row of a file is the table's header, given as the
// program writes it (GBK, line end included), in UTF-8.
bool IsUtf8Header(const CsvRow& row, const std::string& header)
{
    std::string joined;
    for (size_t i = 0; i < row.size(); ++i)
        joined += (i ? "," : "") + row[i];
    return joined + "\r" == FromCodePage(header, CP_OEMCP).utf8_string();
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

}  // namespace

CsvTable CashbookCsvTable(CCashbookset& set)
{
    auto appendLine = [&set](std::string& lines) { AppendCashbookCsvLine(lines, set, StoredFields(set)); };
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
    return CsvTable{set, kCashbookCsvFields, CashbookCsvHeader(), appendLine, setFromRow};
}

CsvTable GuestCsvTable(CRegisterset& set)
{
    auto appendLine = [&set](std::string& lines) { AppendGuestCsvLine(lines, set, StoredFields(set)); };
    auto setFromRow = [&set](const CsvRow& row, bool utf8) {
        CsvBadField bad;
        set.SetGuestRecord(GuestRecordFromCsv(row, utf8, bad));
        return bad;
    };
    return CsvTable{set, kGuestCsvFields, GuestCsvHeader(), appendLine, setFromRow};
}

CsvImportResult ImportCsv(const CsvTable& table, const CString& path, const CsvProgress& progress)
{
    CsvImportResult result;
    std::ifstream in(CsvFileSystemName(path.ToStdWstring()), std::ios::binary);
    if (!in.is_open()) {
        result.kind = CsvImportResult::notOfThisKind;
        return result;
    }
    const std::uint64_t fileSize = FileSize(in);
    // A row with more fields than the header stops the reading at once.
    CCsvReader reader(in, table.fields);
    CsvRow header;
    if (reader.ReadRow(header) != CCsvReader::row || header.size() != table.fields) {
        result.kind = CsvImportResult::notOfThisKind;
        return result;
    }
    // Spreadsheets on Linux save UTF-8 without the byte-order mark: the
    // table's own header in UTF-8 tells the encoding as surely, where
    // reading such a file as GBK could store its text garbled unnoticed.
    const bool utf8 = reader.IsUtf8() || IsUtf8Header(header, table.header);

    CDatabase& db = *table.set.m_pDatabase;
    db.BeginTrans();
    try {
        result = StoreRows(table, reader, utf8, fileSize, progress);
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
    // Lines go to the file a block at a time.
    constexpr size_t kWriteBlock = 64 * 1024;
    ProgressSteps steps(progress);
    CRecordset& set = table.set;
    bool written = file.WriteLine(table.header);
    const long total = set.GetRecordCount();
    long done = 0;
    std::string lines;
    lines.reserve(kWriteBlock + 4096);
    if (written) {
        set.WalkStored([&] {
            table.appendLine(lines);
            if (lines.size() >= kWriteBlock) {
                written = file.WriteLine(lines);
                lines.clear();
            }
            steps.Done(std::uint64_t(++done), std::uint64_t(total));
            return written;
        });
    }
    if (written && !lines.empty())
        written = file.WriteLine(lines);
    steps.Done(1, 1);
    return file.Close() && written;
}
