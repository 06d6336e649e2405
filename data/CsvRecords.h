// The two CSV formats of the import/export pages: the cash-book file (seven
// fields a row) and the guest-records file (twelve). Lines are GBK bytes (the
// OEM code page) ended by a single CR, fields are separated by commas, and a
// field is quoted only when it holds a comma, a double quote, a CR or an LF,
// as spreadsheets do; the first line is a fixed header that an import skips.
// Files read back may also be UTF-8 (after a byte-order mark, or valid UTF-8
// beyond ASCII), as spreadsheets often save them.
#pragma once

#include <string>
#include <vector>

#include "COleDateTime.h"
#include "GuestRecord.h"
#include "StoredRows.h"
#include "WinTypes.h"

typedef std::vector<std::string> CsvRow;

// A date as the files write it, "2021-03-05 08:07:09" (year not padded); a date
// that is not valid (an empty check-out) gives -1 for each part: -1--1--1 -1:-1:-1.
std::string CsvDateField(const COleDateTime& dt);
// A date field read back: true with the date, or with an invalid date for a
// field that holds none (empty, or the -1 form); false when the text is neither.
bool CsvDateFromField(const CString& text, COleDateTime& dt);
// A text value as a field in the OEM code page, in double quotes (its own
// doubled) when it holds a comma, a double quote or a line end, so that the
// field stays whole; any other value is its bytes alone.
std::string CsvTextField(const CString& text);

class CRecordset;

// How a line takes the value of a member. MemberFields: the member's own
// value. An export sets no member of any row: CopyingFields copies what the
// row CRecordset::WalkStored is on holds in the columns bound to the members
// a line takes, in the order it takes them, and appends nothing to the line
// it is given; CopiedFields then makes the line of those copies, the one the
// members would give, on any thread.
class MemberFields
{
public:
    static void Text(std::string& line, const CString& member);
    static void Date(std::string& line, const COleDateTime& member);
    static bool Flag(const BOOL& member) { return member != FALSE; }
};

class CopyingFields
{
public:
    CopyingFields(CRecordset& set, StoredRows& rows) : m_set(set), m_rows(rows) {}
    void Text(std::string&, const CString& member) const { Copy(&member); }
    void Date(std::string&, const COleDateTime& member) const { Copy(&member); }
    bool Flag(const BOOL& member) const
    {
        Copy(&member);
        return false;
    }

private:
    void Copy(const void* member) const;

    CRecordset& m_set;
    StoredRows& m_rows;
};

class CopiedFields
{
public:
    explicit CopiedFields(StoredRows::Reader& values) : m_values(values) {}
    void Text(std::string& line, const CString& member) const;
    void Date(std::string& line, const COleDateTime& member) const;
    bool Flag(const BOOL& member) const;

private:
    StoredRows::Reader& m_values;
};

// The first field of a row read from a file that cannot be taken.
struct CsvBadField
{
    enum Kind { none, notText, notDate } kind = none;
    size_t index = 0;  // from 0
};

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
// The line of a CashbookCsvRecord, or of a cash-book recordset (CCashbookset)
// that holds the same members, appended to `line`.
template <class Record, class Fields>
void AppendCashbookCsvLine(std::string& line, const Record& rec, const Fields& fields);
// From a row of seven fields in GBK, or UTF-8 when `utf8`; the status is TRUE
// when its first byte is 1. `bad` tells the first field that is no text of
// that encoding or, for the time, no date.
CashbookCsvRecord CashbookRecordFromCsv(const CsvRow& fields, bool utf8, CsvBadField& bad);

// ---------------------------------------------------------------- guest records

constexpr size_t kGuestCsvFields = 12;

// "房间号,姓名,性别,民族,生日,入住时间,退房时间,证件号,地址,职务备注,交钱,押金" and CR.
std::string GuestCsvHeader();
std::string GuestCsvLine(const GuestRecord& stay);
// The line of a GuestRecord, or of a stays recordset (CRegisterset) that holds
// the same members, appended to `line`.
template <class Stay, class Fields>
void AppendGuestCsvLine(std::string& line, const Stay& stay, const Fields& fields);
// From a row of twelve fields, as CashbookRecordFromCsv reads; the sex is man
// exactly when the field is "男".
GuestRecord GuestRecordFromCsv(const CsvRow& fields, bool utf8, CsvBadField& bad);
// The same into the members of a GuestRecord, or of a stays recordset
// (CRegisterset) that holds the same members.
template <class Stay>
void ReadGuestCsvRow(const CsvRow& fields, bool utf8, CsvBadField& bad, Stay& stay);
