#include "CashBookFigures.h"

#include <algorithm>

#include "CCashbookset.h"
#include "Money.h"

namespace {

wxString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

// Money shown with two decimals and a '.', whatever locale the interface runs in.
wxString Money2(double value)
{
    return wxString::FromCDouble(value, 2);
}

}  // namespace

CString FormatCashBookTime(const COleDateTime& time)
{
    return time.Format(U("%Y年%m月%d日%H时%M分"));
}

CString CashBookStatusText(BOOL status)
{
    return status ? U("成功") : U("失败");
}

double CountedAmount(BOOL status, const CString& amount)
{
    if (!status)
        return 0.0;
    return ParseMoney(amount);
}

CString FormatCashBookTotal(double sum)
{
    return wxString::FromCDouble(sum, 6);
}

CString CashBookCellText(const CCashbookset& record, int column)
{
    switch (column) {
    case 0: return record.m_strRoomNo;
    case 1: return record.m_strName;
    case 2: return FormatCashBookTime(record.m_dtTime);
    case 3: return record.m_strPaid;
    case 4: return record.m_strDeposit;
    case 5: return record.m_strAmount;
    case 6: return CashBookStatusText(record.m_bStatus);
    default: return CString();
    }
}

CString CashBookTotalCellText(double total, int column)
{
    if (column == 0)
        return U("合计");
    return column == 5 ? FormatCashBookTotal(total) : CString();
}

void AddToMonthSums(std::vector<double>& sums, int year, BOOL status, const COleDateTime& time,
                    const CString& amount)
{
    if (sums.size() < 12)
        sums.resize(12, 0.0);
    if (!status || time.GetStatus() != COleDateTime::valid || time.GetYear() != year)
        return;
    const int month = time.GetMonth();
    if (month >= 1 && month <= 12)
        sums[month - 1] += CountedAmount(status, amount);
}

double ChartScale(const std::vector<double>& sums, int plotHeight)
{
    // Only positive months have bars: a month of refunds must not turn the
    // scale round or push a bar out of the window.
    double largest = 0.0;
    for (double sum : sums)
        largest = std::max(largest, sum);
    return largest > 0.0 ? plotHeight / largest : 0.0;
}

int ChartBarHeight(double sum, double scale, int plotHeight)
{
    if (!(sum > 0.0) || !(scale > 0.0))
        return 0;
    const double height = sum * scale;
    return height >= plotHeight ? plotHeight : int(height);
}

CString ChartMonthLabel(int language, int month)
{
    if (language == 2)
        return wxString::Format("%d", month);
    if (language == 1)
        return wxString::Format(U("%d月"), month);
    return CString();
}

CString ChartValueLabel(double sum)
{
    return U("￥") + Money2(sum);
}

ChartTitle GetChartTitle(int language, int year, double total)
{
    ChartTitle title;
    if (language == 1) {
        title.text = wxString::Format(U("%d年总收入￥"), year) + Money2(total);
        title.x = 225;
    } else if (language == 2) {
        title.text = wxString::Format(U("Total revenues in %dYear of ￥"), year) + Money2(total) + " money";
        title.x = 125;
    }
    return title;
}

std::vector<CashBookColumn> GetCashBookColumns(int language)
{
    if (language == 2)
        return {{"House", 60}, {"Name", 70}, {"Time", 200}, {"Money", 100},
                {"Deposit", 100}, {"TotalMoney", 100}, {"Status", 80}};
    return {{U("房间号"), 60}, {U("姓名"), 70}, {U("时间"), 200}, {U("交钱"), 100},
            {U("押金"), 100}, {U("金额"), 100}, {U("状态"), 50}};
}

CString GetCashBookTitle(int language)
{
    if (language == 1)
        return U("小账本");
    if (language == 2)
        return "CashBook";
    return CString();
}

CString GetCashBookUpdateLabel(int language)
{
    return language == 2 ? CString("Update") : CString();
}

CString GetCashBookToolTip(int language, int button)
{
    if (language == 1)
        return button == 0 ? U("修改记录状态") : U("统计");
    if (language == 2)
        return button == 0 ? CString("Modify record status") : CString("Stat Draw");
    return CString();
}

CString GetChartWindowTitle(int language)
{
    return language == 2 ? CString("Statistics") : U("统计");
}
