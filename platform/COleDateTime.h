// OLE dates: days since 30 December 1899 with the time as a fraction, and a status.
#pragma once

#include "WinTypes.h"

class COleDateTimeSpan
{
public:
    COleDateTimeSpan() = default;
    explicit COleDateTimeSpan(double days) : m_span(days) {}
    COleDateTimeSpan(long days, int hours, int minutes, int seconds);

    double GetTotalDays() const { return m_span; }
    double GetTotalHours() const { return m_span * 24.0; }
    double GetTotalMinutes() const { return m_span * 24.0 * 60.0; }
    double GetTotalSeconds() const { return m_span * 24.0 * 3600.0; }
    long GetDays() const;  // whole days, truncated toward zero

    double m_span = 0.0;
};

class COleDateTime
{
public:
    enum DateTimeStatus { valid = 0, invalid = 1, null = 2 };

    COleDateTime() = default;  // 0.0, valid
    explicit COleDateTime(double dt) : m_dt(dt) {}
    COleDateTime(int year, int month, int day, int hour, int minute, int second);

    static COleDateTime GetCurrentTime();  // local time, to the millisecond

    // Sets the date; out-of-range parts make the date invalid. Returns 0 on success.
    int SetDateTime(int year, int month, int day, int hour, int minute, int second);
    int SetDate(int year, int month, int day) { return SetDateTime(year, month, day, 0, 0, 0); }
    void SetStatus(DateTimeStatus status) { m_status = status; }
    DateTimeStatus GetStatus() const { return m_status; }

    // Parts of a valid date; -1 for a date that is not valid.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const;  // 1 = Sunday
    int GetDayOfYear() const;

    // strftime conversions; null gives "", invalid "Invalid DateTime".
    CString Format(const CString& format) const;
    // The forms the program writes ("%Y年%m月%d日%H时%M分", "%Y-%m-%d %H:%M:%S") and the
    // usual forms people and spreadsheets write (2024-03-05, 2024/3/5 14:00, 5.3.2024 ...).
    // On failure the date becomes invalid and false is returned.
    bool ParseDateTime(const CString& text);

    // Broken-down form used by the database layer; false for a date that is not valid.
    bool GetParts(int& year, int& month, int& day, int& hour, int& minute, int& second, int& millisecond) const;
    // GetYear to GetSecond in one breakdown (rounded to the second as they
    // are); false, and -1 each, for a date that is not valid.
    bool GetSecondParts(int& year, int& month, int& day, int& hour, int& minute, int& second) const;
    int SetDateTimeMs(int year, int month, int day, int hour, int minute, int second, int millisecond);
    // Whether SetDateTimeMs makes a valid date of these parts.
    static bool IsValidParts(int year, int month, int day, int hour, int minute, int second, int millisecond);

    COleDateTime operator+(const COleDateTimeSpan& span) const;
    COleDateTime operator-(const COleDateTimeSpan& span) const;
    COleDateTimeSpan operator-(const COleDateTime& other) const;
    bool operator==(const COleDateTime& o) const { return m_status == o.m_status && m_dt == o.m_dt; }
    bool operator!=(const COleDateTime& o) const { return !(*this == o); }
    bool operator<(const COleDateTime& o) const { return m_dt < o.m_dt; }
    bool operator>(const COleDateTime& o) const { return m_dt > o.m_dt; }
    bool operator<=(const COleDateTime& o) const { return m_dt <= o.m_dt; }
    bool operator>=(const COleDateTime& o) const { return m_dt >= o.m_dt; }

    double m_dt = 0.0;
    DateTimeStatus m_status = valid;
};
