#include "CsvRecords.h"

#include "CodePage.h"

namespace {

std::string Oem(const char* utf8)
{
    return ToCodePage(wxString::FromUTF8(utf8), CP_OEMCP);
}

// Imported texts take the ANSI code page (GBK as well on the systems served).
CString TextFromField(const std::string& field)
{
    return FromCodePage(field, CP_ACP);
}

}  // namespace

std::string CsvDateField(const COleDateTime& dt)
{
    // The parts of a date that is not valid are -1 each.
    const wxString text = wxString::Format("%d-%02d-%02d %02d:%02d:%02d", dt.GetYear(), dt.GetMonth(), dt.GetDay(),
                                           dt.GetHour(), dt.GetMinute(), dt.GetSecond());
    return ToCodePage(text, CP_OEMCP);
}

COleDateTime CsvDateFromField(const std::string& field)
{
    COleDateTime dt;
    if (!dt.ParseDateTime(FromCodePage(field, CP_OEMCP)))
        dt.SetStatus(COleDateTime::invalid);
    return dt;
}

std::string CsvTextField(const CString& text)
{
    CString safe = text;
    safe.Replace(",", wxString::FromUTF8("，"));
    safe.Replace("\r\n", " ");
    safe.Replace("\r", " ");
    safe.Replace("\n", " ");
    return ToCodePage(safe, CP_OEMCP);
}

bool CsvRowsFit(const std::vector<CsvRow>& rows, size_t fields)
{
    if (rows.empty() || rows[0].size() != fields)
        return false;
    for (size_t i = 1; i < rows.size(); ++i)
        if (rows[i].size() < fields)
            return false;
    return true;
}

std::string CashbookCsvHeader()
{
    return Oem("房间号,姓名,时间,交钱,押金,金额,状态") + "\r";
}

std::string CashbookCsvLine(const CashbookCsvRecord& rec)
{
    return CsvTextField(rec.m_strRoomNo) + "," + CsvTextField(rec.m_strName) + "," + CsvDateField(rec.m_dtTime) + "," +
           CsvTextField(rec.m_strPaid) + "," + CsvTextField(rec.m_strDeposit) + "," + CsvTextField(rec.m_strAmount) +
           "," + (rec.m_bStatus ? "1" : "0") + "\r";
}

CashbookCsvRecord CashbookRecordFromCsv(const CsvRow& fields)
{
    CashbookCsvRecord rec;
    rec.m_strRoomNo = TextFromField(fields.at(0));
    rec.m_strName = TextFromField(fields.at(1));
    rec.m_dtTime = CsvDateFromField(fields.at(2));
    rec.m_strPaid = TextFromField(fields.at(3));
    rec.m_strDeposit = TextFromField(fields.at(4));
    rec.m_strAmount = TextFromField(fields.at(5));
    rec.m_bStatus = (!fields.at(6).empty() && fields[6][0] == '1') ? TRUE : FALSE;
    return rec;
}

std::string GuestCsvHeader()
{
    return Oem("房间号,姓名,性别,民族,生日,入住时间,退房时间,证件号,地址,职务备注,交钱,押金") + "\r";
}

std::string GuestCsvLine(const GuestRecord& rec)
{
    const std::string fields[] = {
        CsvTextField(rec.m_strRoomNo),
        CsvTextField(rec.m_strName),
        Oem(rec.m_bSex ? "男" : "女"),
        CsvTextField(rec.m_strNation),
        CsvDateField(rec.m_dtBirth),
        CsvDateField(rec.m_dtCheckIn),
        CsvDateField(rec.m_dtCheckOut),
        CsvTextField(rec.m_strIdNumber),
        CsvTextField(rec.m_strNativePlace),
        CsvTextField(rec.m_strRemarks),
        CsvTextField(rec.m_strPaid),
        CsvTextField(rec.m_strDeposit),
    };
    std::string line;
    for (size_t i = 0; i < kGuestCsvFields; ++i)
        line += (i == 0 ? "" : ",") + fields[i];
    return line + "\r";
}

GuestRecord GuestRecordFromCsv(const CsvRow& fields)
{
    GuestRecord rec;
    rec.m_strRoomNo = TextFromField(fields.at(0));
    rec.m_strName = TextFromField(fields.at(1));
    rec.m_bSex = fields.at(2) == Oem("男") ? TRUE : FALSE;
    rec.m_strNation = TextFromField(fields.at(3));
    rec.m_dtBirth = CsvDateFromField(fields.at(4));
    rec.m_dtCheckIn = CsvDateFromField(fields.at(5));
    rec.m_dtCheckOut = CsvDateFromField(fields.at(6));
    rec.m_strIdNumber = TextFromField(fields.at(7));
    rec.m_strNativePlace = TextFromField(fields.at(8));
    rec.m_strRemarks = TextFromField(fields.at(9));
    rec.m_strPaid = TextFromField(fields.at(10));
    rec.m_strDeposit = TextFromField(fields.at(11));
    return rec;
}
