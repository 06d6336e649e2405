// Moving a table to and from a CSV file, without any window: the import and
// export pages run these and show what they report. Both stream: a row of the
// file and a block of the table are all they hold, whatever the sizes.
#pragma once

#include <functional>
#include <string>

#include "CCsvFile.h"
#include "CsvRecords.h"
#include "Database.h"
#include "StoredRows.h"

class CCashbookset;
class CRegisterset;

// Told the share done, 0 to 100, each time it grows.
typedef std::function<void(int percent)> CsvProgress;

// One table as its CSV file holds it.
struct CsvTable
{
    CRecordset& set;
    size_t fields;
    std::string header;
    // Copies the values that the line of the row CRecordset::WalkStored is on
    // is made of.
    std::function<void(StoredRows& rows)> copyRow;
    // Appends the line of a row copyRow copied, line end included; runs on
    // the thread that writes the file.
    std::function<void(StoredRows::Reader& row, std::string& lines)> appendLine;
    // Sets the members of the set's new row from a row of the file (UTF-8
    // when `utf8`, else GBK); tells the first field that cannot be taken.
    std::function<CsvBadField(const CsvRow& row, bool utf8)> setFromRow;
};

CsvTable CashbookCsvTable(CCashbookset& set);
CsvTable GuestCsvTable(CRegisterset& set);

// How an import ended.
struct CsvImportResult
{
    enum Kind {
        imported,
        notOfThisKind,  // the file cannot be opened, holds no row, or its first row is no header of the table
        notRegularFile, // a FIFO, a device or a folder: never read
        fieldCount,     // a row with fewer or more fields than the header
        tooManyFields,  // a row with far more fields than the header
        unclosedQuote,  // the file ends inside a quoted field
        nulByte,        // a NUL byte
        rowTooLong,     // a row longer than CCsvReader::kMaxRowBytes
        notText,        // a field that is no text of the file's encoding
        notDate,        // a date field that holds no date
    } kind = imported;
    long rows = 0;      // rows stored
    long line = 0;      // the line of the file on which the faulty row begins, from 1
    size_t fields = 0;  // fieldCount: the fields of that row
    size_t field = 0;   // notText, notDate: which field, from 1
    bool utf8 = false;  // the file is UTF-8 text (it begins with the byte-order mark, or it is valid UTF-8 beyond ASCII)
};

// Appends every row of the file at `path` after its header to the open table,
// in one transaction: a row that cannot be read, or a write that fails,
// leaves the table as it was. Failed writes throw the database layer's
// CDBException, after the rollback.
CsvImportResult ImportCsv(const CsvTable& table, const CString& path, const CsvProgress& progress = CsvProgress());

// Writes the header and every row of the open table to the open file and
// closes it; false when a write did not reach the file. Database errors throw.
// The lines are made and written by a second thread while the rows are read.
bool ExportCsv(const CsvTable& table, CCsvFile& file, const CsvProgress& progress = CsvProgress());
