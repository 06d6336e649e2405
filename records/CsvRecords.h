// The two CSV formats of the import/export pages: the cash-book file (seven
// fields a row) and the guest-records file (twelve). Lines are GBK bytes (the
// OEM code page) ended by a single CR, fields are separated by commas and
// nothing is quoted; the first line is a fixed header that an import skips.
#pragma once

#include <string>
#include <vector>

#include "COleDateTime.h"
#include "GuestRecord.h"
#include "WinTypes.h"

typedef std::vector<std::string> CsvRow;

// A date as the files write it, "2021-03-05 08:07:09" (year not padded); a date
// that is not valid (an empty check-out) gives -1 for each part: -1--1--1 -1:-1:-1.
std::string CsvDateField(const COleDateTime& dt);
// A date field read back; text that is no date gives an invalid date.
COleDateTime CsvDateFromField(const std::string& field);
// A text value as a field in the OEM code page. A comma or a line end inside
// the value would split the field or the line and shift every column after it
// on import, so a comma becomes the full-width "，" and a line end a blank.
std::string CsvTextField(const CString& text);

// Whether rows read from a file are of a format with `fields` fields: a header
// of exactly that many, and no data row with fewer (more are ignored).
bool CsvRowsFit(const std::vector<CsvRow>& rows, size_t fields);

// ---------------------------------------------------------------- cash book

constexpr size_t kCashbookCsvFields = 7;

// One cash-book row without its key.
struct CashbookCsvRecord
{
    CString m_strRoomNo;
    CString m_strName;
    COleDateTime m_dtTime;
    CString m_strPaid;
    CString m_strDeposit;
    CString m_strAmount;
    BOOL m_bStatus = FALSE;
};

// "房间号,姓名,时间,交钱,押金,金额,状态" and CR.
std::string CashbookCsvHeader();
std::string CashbookCsvLine(const CashbookCsvRecord& rec);
// From a row of at least seven fields; the status is TRUE when its first byte is 1.
CashbookCsvRecord CashbookRecordFromCsv(const CsvRow& fields);

// ---------------------------------------------------------------- guest records

constexpr size_t kGuestCsvFields = 12;

// "房间号,姓名,性别,民族,生日,入住时间,退房时间,证件号,地址,职务备注,交钱,押金" and CR.
std::string GuestCsvHeader();
std::string GuestCsvLine(const GuestRecord& rec);
// From a row of at least twelve fields; the sex is man exactly when the field is "男".
GuestRecord GuestRecordFromCsv(const CsvRow& fields);
