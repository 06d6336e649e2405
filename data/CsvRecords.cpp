#include "CsvRecords.h"

#include <algorithm>
#include <cstdint>

#include "CCashbookset.h"
#include "CRegisterset.h"
#include "CodePage.h"
#include "StoredValue.h"

namespace {

std::string Oem(const char* utf8)
{
    return ToCodePage(wxString::FromUTF8(utf8), CP_OEMCP);
}

// No date form is this long; longer text is refused before the date parser sees it.
constexpr size_t kLongestDateText = 64;

const std::string& Man()
{
    static const std::string man = Oem("男");
    return man;
}

const std::string& Woman()
{
    static const std::string woman = Oem("女");
    return woman;
}

// The parts of a date that is not valid are -1 each. Digits and signs are
// the same bytes in the OEM code page.
void AppendDateField(std::string& line, const COleDateTime& dt)
{
    int year, month, day, hour, minute, second;
    dt.GetSecondParts(year, month, day, hour, minute, second);
    AppendDateTimeText(line, year, month, day, hour, minute, second, 1);
}

// Quotes the field that ends the line from `start` when it holds a
// separator, a quote or a line end.
void QuoteField(std::string& line, size_t start)
{
    // GBK's trailing bytes are never below 0x40, so these bytes are the characters themselves.
    constexpr std::uint64_t kSpecial = 1ULL << ',' | 1ULL << '"' | 1ULL << '\r' | 1ULL << '\n';
    const auto special = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 64 && (kSpecial >> byte & 1) != 0;
    };
    if (std::none_of(line.begin() + long(start), line.end(), special))
        return;
    const std::string bytes = line.substr(start);
    line.resize(start);
    line += '"';
    for (char c : bytes) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

// A text value as a field.
void AppendTextField(std::string& line, const CString& text)
{
    const size_t start = line.size();
    AppendCodePage(line, text, CP_OEMCP);
    QuoteField(line, start);
}

// The form CsvDateField writes, "2021-03-05 08:07:09", read without the
// general date parser: an export of many rows holds little else. Its
// characters are ASCII, the same bytes in every code page a file is read in.
template <class Text>
bool ParseWrittenDate(const Text& text, COleDateTime& dt)
{
    static const wchar_t kSeparators[] = L"-- ::";
    int parts[6];
    size_t pos = 0;
    const size_t length = text.length();
    for (int p = 0; p < 6; ++p) {
        if (p > 0 && (pos >= length || text[pos] != kSeparators[p - 1]))
            return false;
        if (p > 0)
            ++pos;
        int value = 0, digits = 0;
        for (; pos < length && digits < 4 && text[pos] >= '0' && text[pos] <= '9'; ++pos, ++digits)
            value = value * 10 + int(text[pos] - '0');
        if (digits == 0 || (p > 0 && digits != 2))
            return false;
        parts[p] = value;
    }
    return pos == length && dt.SetDateTime(parts[0], parts[1], parts[2], parts[3], parts[4], parts[5]) == 0 &&
           dt.GetStatus() == COleDateTime::valid;
}

// Takes the fields of one row in the file's encoding and remembers the first
// that cannot be taken. Texts take the ANSI code page and dates the OEM one
// (GBK both, on the systems served); a UTF-8 file is UTF-8 throughout.
class FieldReader
{
public:
    FieldReader(const CsvRow& fields, bool utf8, CsvBadField& bad) : m_fields(fields), m_utf8(utf8), m_bad(bad)
    {
        m_bad = CsvBadField();
    }

    CString Text(size_t i, UINT codePage = CP_ACP)
    {
        const std::string& bytes = m_fields.at(i);
        // ASCII reads alike in every code page the file can be in; dates,
        // numbers and keys are, and an import of many rows holds little else.
        if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            return CString(std::wstring(bytes.begin(), bytes.end()));
        CString text;
        if (!FromCodePageExact(bytes, m_utf8 ? CP_UTF8 : codePage, text))
            Mark(i, CsvBadField::notText);
        return text;
    }

    COleDateTime Date(size_t i)
    {
        COleDateTime dt;
        if (ParseWrittenDate(m_fields.at(i), dt))
            return dt;
        if (!CsvDateFromField(Text(i, CP_OEMCP), dt))
            Mark(i, CsvBadField::notDate);
        return dt;
    }

    // The field's bytes are those of "男" in the file's encoding.
    bool IsMan(size_t i)
    {
        Text(i);
        return m_fields.at(i) == (m_utf8 ? std::string("男") : Man());
    }

    bool StartsWithOne(size_t i)
    {
        Text(i);
        return !m_fields.at(i).empty() && m_fields[i][0] == '1';
    }

private:
    void Mark(size_t i, CsvBadField::Kind kind)
    {
        if (m_bad.kind == CsvBadField::none)
            m_bad = {kind, i};
    }

    const CsvRow& m_fields;
    const bool m_utf8;
    CsvBadField& m_bad;
};

}  // namespace

void MemberFields::Text(std::string& line, const CString& member)
{
    AppendTextField(line, member);
}

void MemberFields::Date(std::string& line, const COleDateTime& member)
{
    AppendDateField(line, member);
}

void CopyingFields::Copy(const void* member) const
{
    m_rows.Add(m_set.Stored(member));
}

void CopiedFields::Text(std::string& line, const CString&) const
{
    const StoredField value = m_values.Next();
    if (value.isNull)
        return;
    const size_t start = line.size();
    if (AppendUtf8InCodePage(line, value.data, value.length, CP_OEMCP)) {
        QuoteField(line, start);
        return;
    }
    // Bytes that are no UTF-8 (another program wrote them) give the text a member makes of them.
    CString text;
    AssignUtf8(text, value.data, value.length);
    AppendTextField(line, text);
}

void CopiedFields::Date(std::string& line, const COleDateTime&) const
{
    AppendStoredDateText(m_values.Next(), line, 1);
}

bool CopiedFields::Flag(const BOOL&) const
{
    const StoredField value = m_values.Next();
    return !value.isNull && ParseStoredInteger(value.data, value.length) != 0;
}

std::string CsvDateField(const COleDateTime& dt)
{
    std::string text;
    AppendDateField(text, dt);
    return text;
}

bool CsvDateFromField(const CString& text, COleDateTime& dt)
{
    if (ParseWrittenDate(text, dt))
        return true;
    const CString trimmed = CString(text).Trim(true).Trim(false);
    if (trimmed.empty() || trimmed == L"-1--1--1 -1:-1:-1") {
        dt = COleDateTime();
        dt.SetStatus(COleDateTime::invalid);
        return true;
    }
    if (trimmed.length() <= kLongestDateText && dt.ParseDateTime(trimmed))
        return true;
    dt.SetStatus(COleDateTime::invalid);
    return false;
}

std::string CsvTextField(const CString& text)
{
    std::string field;
    AppendTextField(field, text);
    return field;
}

std::string CashbookCsvHeader()
{
    return Oem("房间号,姓名,时间,交钱,押金,金额,状态") + "\r";
}

std::string CashbookCsvLine(const CashbookCsvRecord& rec)
{
    std::string line;
    AppendCashbookCsvLine(line, rec, MemberFields());
    return line;
}

template <class Record, class Fields>
void AppendCashbookCsvLine(std::string& line, const Record& rec, const Fields& fields)
{
    fields.Text(line, rec.m_strRoomNo);
    line += ',';
    fields.Text(line, rec.m_strName);
    line += ',';
    fields.Date(line, rec.m_dtTime);
    for (const CString* text : {&rec.m_strPaid, &rec.m_strDeposit, &rec.m_strAmount}) {
        line += ',';
        fields.Text(line, *text);
    }
    line += fields.Flag(rec.m_bStatus) ? ",1\r" : ",0\r";
}

template void AppendCashbookCsvLine(std::string&, const CashbookCsvRecord&, const MemberFields&);
template void AppendCashbookCsvLine(std::string&, const CCashbookset&, const CopyingFields&);
template void AppendCashbookCsvLine(std::string&, const CCashbookset&, const CopiedFields&);

CashbookCsvRecord CashbookRecordFromCsv(const CsvRow& fields, bool utf8, CsvBadField& bad)
{
    FieldReader in(fields, utf8, bad);
    CashbookCsvRecord rec;
    rec.m_strRoomNo = in.Text(0);
    rec.m_strName = in.Text(1);
    rec.m_dtTime = in.Date(2);
    rec.m_strPaid = in.Text(3);
    rec.m_strDeposit = in.Text(4);
    rec.m_strAmount = in.Text(5);
    rec.m_bStatus = in.StartsWithOne(6) ? TRUE : FALSE;
    return rec;
}

std::string GuestCsvHeader()
{
    return Oem("房间号,姓名,性别,民族,生日,入住时间,退房时间,证件号,地址,职务备注,交钱,押金") + "\r";
}

std::string GuestCsvLine(const GuestRecord& stay)
{
    std::string line;
    AppendGuestCsvLine(line, stay, MemberFields());
    return line;
}

template <class Stay, class Fields>
void AppendGuestCsvLine(std::string& line, const Stay& rec, const Fields& fields)
{
    fields.Text(line, rec.m_strRoomNo);
    line += ',';
    fields.Text(line, rec.m_strName);
    line += ',';
    line += fields.Flag(rec.m_bSex) ? Man() : Woman();
    line += ',';
    fields.Text(line, rec.m_strNation);
    for (const COleDateTime* dt : {&rec.m_dtBirth, &rec.m_dtCheckIn, &rec.m_dtCheckOut}) {
        line += ',';
        fields.Date(line, *dt);
    }
    for (const CString* text : {&rec.m_strIdNumber, &rec.m_strNativePlace, &rec.m_strRemarks, &rec.m_strPaid,
                                &rec.m_strDeposit}) {
        line += ',';
        fields.Text(line, *text);
    }
    line += '\r';
}

template void AppendGuestCsvLine(std::string&, const GuestRecord&, const MemberFields&);
template void AppendGuestCsvLine(std::string&, const CRegisterset&, const CopyingFields&);
template void AppendGuestCsvLine(std::string&, const CRegisterset&, const CopiedFields&);

template <class Stay>
void ReadGuestCsvRow(const CsvRow& fields, bool utf8, CsvBadField& bad, Stay& stay)
{
    FieldReader in(fields, utf8, bad);
    stay.m_strRoomNo = in.Text(0);
    stay.m_strName = in.Text(1);
    stay.m_bSex = in.IsMan(2) ? TRUE : FALSE;
    stay.m_strNation = in.Text(3);
    stay.m_dtBirth = in.Date(4);
    stay.m_dtCheckIn = in.Date(5);
    stay.m_dtCheckOut = in.Date(6);
    stay.m_strIdNumber = in.Text(7);
    stay.m_strNativePlace = in.Text(8);
    stay.m_strRemarks = in.Text(9);
    stay.m_strPaid = in.Text(10);
    stay.m_strDeposit = in.Text(11);
}

template void ReadGuestCsvRow(const CsvRow&, bool, CsvBadField&, GuestRecord&);
template void ReadGuestCsvRow(const CsvRow&, bool, CsvBadField&, CRegisterset&);

GuestRecord GuestRecordFromCsv(const CsvRow& fields, bool utf8, CsvBadField& bad)
{
    GuestRecord rec;
    ReadGuestCsvRow(fields, utf8, bad, rec);
    return rec;
}
