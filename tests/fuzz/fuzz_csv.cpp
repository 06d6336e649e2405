// CSV reader and the two import formats: any bytes read in bounded rows,
// and a row taken as a cash-book or guest record is written back as a line
// that reads as the same record again (what is stored is what is read). The
// encoding of a file without a byte-order mark is told as a decoding of the
// whole text at once tells it.
#include <sstream>
#include <string>

#include "CCsvReader.h"
#include "CsvRecords.h"
#include "FuzzSupport.h"
#include "Utf8Text.h"

namespace {

// Small limits, so that the fuzzer reaches them with short inputs.
constexpr size_t kMaxFields = 16;
constexpr size_t kMaxRowBytes = 4096;

// The data row of a file as an export writes it: the header line, then the line.
CsvRow ReadExportedRow(const std::string& header, const std::string& line)
{
    std::istringstream in(header + line);
    CCsvReader reader(in, kMaxFields, kMaxRowBytes);
    CsvRow row;
    FUZZ_CHECK(reader.ReadRow(row) == CCsvReader::row);
    FUZZ_CHECK(!reader.IsUtf8());  // the program writes GBK
    FUZZ_CHECK(reader.ReadRow(row) == CCsvReader::row);
    CsvRow more;
    FUZZ_CHECK(reader.ReadRow(more) == CCsvReader::end);
    return row;
}

// Writes the record taken from a row, reads that line back, and writes the
// record taken from it: the two lines are the same.
template <typename Record>
void CheckRoundTrip(const CsvRow& row, bool utf8, Record (*fromCsv)(const CsvRow&, bool, CsvBadField&),
                    std::string (*toLine)(const Record&), const std::string& header)
{
    CsvBadField bad;
    const Record record = fromCsv(row, utf8, bad);
    if (bad.kind != CsvBadField::none)
        return;
    const std::string line = toLine(record);
    const CsvRow again = ReadExportedRow(header, line);
    FUZZ_CHECK(again.size() == row.size());
    CsvBadField badAgain;
    const Record reread = fromCsv(again, false, badAgain);
    FUZZ_CHECK(badAgain.kind == CsvBadField::none);
    FUZZ_CHECK(toLine(reread) == line);
}

// Whether the whole text is UTF-8 holding more than ASCII, decoded in one go.
bool DecodesAsUtf8(const uint8_t* data, size_t size)
{
    const unsigned char* p = data;
    bool beyondAscii = false;
    unsigned code = 0;
    while (p < data + size) {
        if (!NextUtf8Char(p, data + size, code))
            return false;
        beyondAscii = beyondAscii || code >= 0x80;
    }
    return beyondAscii;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    FUZZ_CHECK(IsUtf8Text(in) == DecodesAsUtf8(data, size));
    FUZZ_CHECK(in.tellg() == 0);
    CCsvReader reader(in, kMaxFields, kMaxRowBytes);
    CsvRow row;
    long line = 0;
    CCsvReader::Result result;
    while ((result = reader.ReadRow(row)) == CCsvReader::row) {
        FUZZ_CHECK(row.size() <= kMaxFields);
        FUZZ_CHECK(reader.Line() > line);
        line = reader.Line();
        size_t bytes = 0;
        for (const std::string& field : row)
            bytes += field.size();
        FUZZ_CHECK(bytes <= kMaxRowBytes);
        if (row.size() == kCashbookCsvFields)
            CheckRoundTrip<CashbookCsvRecord>(row, reader.IsUtf8(), CashbookRecordFromCsv, CashbookCsvLine,
                                              CashbookCsvHeader());
        else if (row.size() == kGuestCsvFields)
            CheckRoundTrip<GuestRecord>(row, reader.IsUtf8(), GuestRecordFromCsv, GuestCsvLine, GuestCsvHeader());
    }
    FUZZ_CHECK(result == CCsvReader::end || reader.GetFault() != CCsvReader::noFault);
    FUZZ_CHECK(reader.BytesRead() <= size);
    return 0;
}
