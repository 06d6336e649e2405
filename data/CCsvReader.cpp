#include "CCsvReader.h"

#include <algorithm>
#include <cstring>

#include "Utf8Text.h"

namespace {

constexpr size_t kBufferBytes = 64 * 1024;

bool IsBlankByte(int c)
{
    return c == ' ' || c == '\t';
}

}  // namespace

bool IsUtf8Text(std::istream& in)
{
    std::streambuf* source = in.rdbuf();
    if (!source)
        return false;
    const std::streampos start = source->pubseekoff(0, std::ios::cur, std::ios::in);
    std::vector<char> buffer(kBufferBytes);
    size_t kept = 0;  // bytes of a character cut by the end of the last block
    bool beyondAscii = false, valid = true;
    for (;;) {
        const size_t read = size_t(source->sgetn(buffer.data() + kept, std::streamsize(buffer.size() - kept)));
        const bool last = read == 0;
        const auto* p = reinterpret_cast<const unsigned char*>(buffer.data());
        const auto* end = p + kept + read;
        while (p < end) {
            const auto* at = p;
            unsigned code = 0;
            if (NextUtf8Char(p, end, code)) {
                beyondAscii = beyondAscii || code >= 0x80;
                continue;
            }
            // A character cut by the block's end is read whole with the next block.
            if (!last && end - at < 4) {
                p = at;
                break;
            }
            valid = false;
            break;
        }
        if (!valid || last)
            break;
        kept = size_t(end - p);
        std::memmove(buffer.data(), p, kept);
    }
    source->pubseekpos(start, std::ios::in);
    return valid && beyondAscii;
}

CCsvReader::CCsvReader(std::istream& in, size_t maxFields, size_t maxRowBytes)
    : m_in(in), m_maxFields(maxFields), m_maxRowBytes(maxRowBytes), m_buffer(kBufferBytes)
{
}

bool CCsvReader::Fill()
{
    std::streambuf* source = m_in.rdbuf();
    m_pos = 0;
    m_size = source ? size_t(source->sgetn(m_buffer.data(), std::streamsize(m_buffer.size()))) : 0;
    return m_size > 0;
}

int CCsvReader::Next()
{
    if (m_pos == m_size && !Fill())
        return -1;
    ++m_consumed;
    return static_cast<unsigned char>(m_buffer[m_pos++]);
}

int CCsvReader::Peek()
{
    if (m_pos == m_size && !Fill())
        return -1;
    return static_cast<unsigned char>(m_buffer[m_pos]);
}

void CCsvReader::ReadByteOrderMark()
{
    m_started = true;
    if (!Fill())
        return;
    static const char kMark[] = "\xEF\xBB\xBF";
    if (m_size >= 3 && std::equal(kMark, kMark + 3, m_buffer.begin())) {
        m_utf8 = true;
        m_pos = 3;
        m_consumed = 3;
    }
}

CCsvReader::Result CCsvReader::Fail(Fault fault)
{
    m_fault = fault;
    return CCsvReader::fault;
}

size_t CCsvReader::TakeRun(std::string& field, bool quoted, size_t room, bool& blank)
{
    // A byte that ends a run: one the row's reading must look at by itself.
    auto special = [quoted](char c) {
        return c == '"' || c == '\r' || c == '\n' || c == '\0' || (!quoted && c == ',');
    };
    const size_t start = m_pos;
    const size_t end = std::min(m_size, m_pos + room);
    size_t i = start;
    for (; i < end && !special(m_buffer[i]); ++i)
        if (!IsBlankByte(static_cast<unsigned char>(m_buffer[i])))
            blank = false;
    field.append(m_buffer.data() + start, i - start);
    m_pos = i;
    m_consumed += i - start;
    return i - start;
}

CCsvReader::Result CCsvReader::ReadRow(Row& fields)
{
    if (m_fault != noFault)
        return fault;
    if (!m_started)
        ReadByteOrderMark();

    // The strings of `fields` keep their buffers from row to row.
    size_t used = 0;
    auto startField = [&fields, &used]() -> std::string* {
        if (used == fields.size())
            fields.emplace_back();
        else
            fields[used].clear();
        return &fields[used++];
    };
    std::string* field = startField();
    bool quoted = false;        // inside a quoted field
    bool fieldStarted = false;  // the current field has taken a byte: a quote now is an ordinary one
    bool holdsText = false;     // a quoted field or a byte other than a blank or a comma
    size_t rowBytes = 0;
    m_rowLine = m_line;
    for (;;) {
        const int c = Next();
        if (c < 0) {
            if (quoted)
                return Fail(unclosedQuote);
            fields.resize(holdsText ? used : 0);
            return holdsText ? row : end;
        }
        if (++rowBytes > m_maxRowBytes)
            return Fail(rowTooLong);
        if (c == '\0')
            return Fail(nulByte);

        if (quoted) {
            if (c == '"' && Peek() == '"') {
                Next();
                ++rowBytes;
                *field += '"';
            } else if (c == '"') {
                quoted = false;  // what follows up to the next comma is kept as it stands
            } else {
                // A line break inside quotes belongs to the field, byte for byte.
                *field += char(c);
                if (c == '\n' || (c == '\r' && Peek() != '\n'))
                    ++m_line;
                bool blank = true;
                rowBytes += TakeRun(*field, true, m_maxRowBytes - std::min(rowBytes, m_maxRowBytes), blank);
            }
            continue;
        }

        switch (c) {
        case ',':
            if (used >= m_maxFields)
                return Fail(tooManyFields);
            field = startField();
            fieldStarted = false;
            break;
        case '"':
            if (!fieldStarted) {
                quoted = fieldStarted = holdsText = true;
                break;
            }
            *field += '"';
            holdsText = true;
            break;
        case '\r':
            if (Peek() == '\n')
                Next();
            [[fallthrough]];
        case '\n':
            ++m_line;
            if (holdsText) {
                fields.resize(used);
                return row;
            }
            // Nothing on this line: the next row starts on the next one.
            used = 0;
            field = startField();
            fieldStarted = false;
            rowBytes = 0;
            m_rowLine = m_line;
            break;
        default: {
            *field += char(c);
            fieldStarted = true;
            bool blank = IsBlankByte(c);
            rowBytes += TakeRun(*field, false, m_maxRowBytes - std::min(rowBytes, m_maxRowBytes), blank);
            if (!blank)
                holdsText = true;
            break;
        }
        }
    }
}
