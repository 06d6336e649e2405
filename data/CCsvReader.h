// Reads a comma-separated file one row at a time, as spreadsheets write it:
// a field in double quotes may hold commas, line breaks and doubled quotes;
// CR, CR LF and LF end a line; empty lines are passed over; the last line
// counts without its line end. Files the program writes (nothing quoted,
// lines ended by CR) read as they always did. A file that begins with the
// UTF-8 byte-order mark is UTF-8 text; the reader only tells whether it does,
// the fields stay bytes (IsUtf8Text tells the encoding of a file without one). Only a row and a read buffer are held, so a
// file of any size reads in bounded memory, and a row that is too long or
// has too many fields stops the reading rather than filling the memory.
#pragma once

#include <cstdint>
#include <istream>
#include <limits>
#include <string>
#include <vector>

// Whether the bytes from the stream's position to its end are UTF-8 text that
// holds at least one character beyond ASCII: such a file is read as UTF-8, any
// other as GBK. GBK text of Chinese is almost never valid UTF-8 (the program's
// own files fail on their first byte), and a file of ASCII alone reads the same
// in both. The stream is left where it was.
bool IsUtf8Text(std::istream& in);

class CCsvReader
{
public:
    typedef std::vector<std::string> Row;

    enum Result { row, end, fault };
    enum Fault {
        noFault,
        unclosedQuote,  // the file ends inside a quoted field
        nulByte,        // a NUL byte: no text file
        rowTooLong,     // more than the row limit of bytes
        tooManyFields,  // more than the field limit
    };

    // The longest row read: far more than any row the program writes, far
    // less than a damaged or hostile file may offer.
    static constexpr size_t kMaxRowBytes = 512 * 1024;

    explicit CCsvReader(std::istream& in, size_t maxFields = std::numeric_limits<size_t>::max(),
                        size_t maxRowBytes = kMaxRowBytes);
    CCsvReader(const CCsvReader&) = delete;
    CCsvReader& operator=(const CCsvReader&) = delete;

    // The next row that holds anything into `fields`. A row whose fields are
    // all empty or blank (an empty line, or the ",,," a spreadsheet leaves
    // for a cleared row) is passed over. After a fault every later call
    // reports the same fault.
    Result ReadRow(Row& fields);

    // The line, counting from 1, on which the last row read (or the fault) begins.
    long Line() const { return m_rowLine; }
    Fault GetFault() const { return m_fault; }
    // Whether the file began with the UTF-8 byte-order mark (which no row holds).
    bool IsUtf8() const { return m_utf8; }
    // Bytes taken from the stream so far, for showing progress.
    std::uint64_t BytesRead() const { return m_consumed; }

private:
    // The next byte, or -1 at the end of the stream.
    int Next();
    int Peek();
    bool Fill();
    // Appends to `field` the bytes from here that need no look of their own,
    // within the buffer and at most `room` of them; `blank` turns false when
    // one is not a blank. Returns how many it took.
    size_t TakeRun(std::string& field, bool quoted, size_t room, bool& blank);
    void ReadByteOrderMark();
    Result Fail(Fault fault);

    std::istream& m_in;
    const size_t m_maxFields;
    const size_t m_maxRowBytes;
    std::vector<char> m_buffer;
    size_t m_pos = 0, m_size = 0;
    std::uint64_t m_consumed = 0;
    long m_line = 1;
    long m_rowLine = 1;
    bool m_started = false;
    bool m_utf8 = false;
    Fault m_fault = noFault;
};
