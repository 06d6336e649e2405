#include "CCsvReader.h"

#include <algorithm>

namespace {

constexpr size_t kBufferBytes = 64 * 1024;

bool IsBlankByte(int c)
{
    return c == ' ' || c == '\t';
}

}  // namespace

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

CCsvReader::Result CCsvReader::ReadRow(Row& fields)
{
    if (m_fault != noFault)
        return fault;
    if (!m_started)
        ReadByteOrderMark();

    fields.clear();
    std::string field;
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
            if (!holdsText)
                return end;
            fields.push_back(std::move(field));
            return row;
        }
        if (++rowBytes > m_maxRowBytes)
            return Fail(rowTooLong);
        if (c == '\0')
            return Fail(nulByte);

        if (quoted) {
            if (c == '"' && Peek() == '"') {
                Next();
                ++rowBytes;
                field += '"';
            } else if (c == '"') {
                quoted = false;  // what follows up to the next comma is kept as it stands
            } else {
                // A line break inside quotes belongs to the field, byte for byte.
                field += char(c);
                if (c == '\n' || (c == '\r' && Peek() != '\n'))
                    ++m_line;
            }
            continue;
        }

        switch (c) {
        case ',':
            if (fields.size() + 1 >= m_maxFields)
                return Fail(tooManyFields);
            fields.push_back(std::move(field));
            field.clear();
            fieldStarted = false;
            break;
        case '"':
            if (!fieldStarted) {
                quoted = fieldStarted = holdsText = true;
                break;
            }
            field += '"';
            holdsText = true;
            break;
        case '\r':
            if (Peek() == '\n')
                Next();
            [[fallthrough]];
        case '\n':
            ++m_line;
            if (holdsText) {
                fields.push_back(std::move(field));
                return row;
            }
            // Nothing on this line: the next row starts on the next one.
            fields.clear();
            field.clear();
            fieldStarted = false;
            rowBytes = 0;
            m_rowLine = m_line;
            break;
        default:
            field += char(c);
            fieldStarted = true;
            if (!IsBlankByte(c))
                holdsText = true;
            break;
        }
    }
}
