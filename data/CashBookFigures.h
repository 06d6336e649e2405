// The cash book's figures and texts without a window: what a row shows, what
// it adds to the total, and how the revenue chart sums and scales a year.
#pragma once

#include <vector>

#include "COleDateTime.h"
#include "WinTypes.h"

class CCashbookset;

// The time column: "%Y年%m月%d日%H时%M分"; empty for a null time, "Invalid DateTime" for an invalid one.
CString FormatCashBookTime(const COleDateTime& time);
// The status column: "成功" for TRUE, "失败" for FALSE, in both languages.
CString CashBookStatusText(BOOL status);
// What a row adds to the totals: its amount when the status is TRUE, else 0.
// An amount that is no number (or no finite one) adds 0.
double CountedAmount(BOOL status, const CString& amount);
// The total row's amount: six decimals with a '.' whatever the locale.
CString FormatCashBookTotal(double sum);

// The text of a record's cell in the list, by the column table: room, name,
// time, paid, deposit, amount as stored, status.
CString CashBookCellText(const CCashbookset& record, int column);
// The closing row's cell: "合计" under the room, the total under the amount.
CString CashBookTotalCellText(double total, int column);

// Adds one row to the twelve month sums (element m - 1 for month m) of `year`:
// only rows that count and whose time is a valid date in that year.
void AddToMonthSums(std::vector<double>& sums, int year, BOOL status, const COleDateTime& time,
                    const CString& amount);

// Pixels per unit of money so that the largest positive month fills the plot height;
// 0 when no month is positive (then no bar stands).
double ChartScale(const std::vector<double>& sums, int plotHeight);
// A month's bar height in pixels: 0 for a month that is not positive, never above the plot height.
int ChartBarHeight(double sum, double scale, int plotHeight);

// The label under a month's tick: "3月" in Chinese (language 1), "3" in English (language 2).
CString ChartMonthLabel(int language, int month);
// The value above a bar: "￥%.02f".
CString ChartValueLabel(double sum);

struct ChartTitle
{
    CString text;  // empty for a language other than 1 or 2
    int x = 0;     // left edge of the text; it stands at y 27
};
ChartTitle GetChartTitle(int language, int year, double total);

// Window texts by language; an empty text keeps the built-in (Chinese) one.
struct CashBookColumn
{
    CString header;
    int width = 0;
};
std::vector<CashBookColumn> GetCashBookColumns(int language);  // the seven columns
CString GetCashBookTitle(int language);       // "小账本", "CashBook"; empty otherwise
CString GetCashBookUpdateLabel(int language); // "Update" in English; empty otherwise
// Tooltips of the toolbar buttons (0 status, 1 chart); empty for a language other than 1 or 2.
CString GetCashBookToolTip(int language, int button);
// The chart window's title: "统计", or "Statistics" in English.
CString GetChartWindowTitle(int language);
