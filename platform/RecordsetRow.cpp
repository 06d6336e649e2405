#include "RecordsetRow.h"

#include <cstdint>
#include <cstring>
#include "COleDateTime.h"
#include "Utf8Text.h"

namespace {

// Packed form, per field: a null byte, then for text a 4-byte length and the
// UTF-8 bytes, for numbers 8 bytes, for dates the 8-byte day count and a status byte.
template <typename T>
T UnpackRaw(const char*& p)
{
    T value;
    std::memcpy(&value, p, sizeof value);
    p += sizeof value;
    return value;
}

CString TextFromUtf8(const char* data, size_t length)
{
    // Most values are plain ASCII: widen them without the UTF-8 decoder.
    size_t i = 0;
    while (i < length && static_cast<unsigned char>(data[i]) < 0x80)
        ++i;
    if (i < length)
        return FromUtf8(data, length);
    std::wstring wide(data, data + length);
    return CString(wide);
}

}  // namespace

void UnpackIntoMembers(const std::string& packed, const std::vector<CFieldExchange::Field>& fields)
{
    const char* p = packed.data();
    for (const auto& f : fields) {
        const bool isNull = *p++ != 0;
        switch (f.type) {
        case CFieldExchange::Text: {
            CString& text = *static_cast<CString*>(f.member);
            if (isNull) {
                text.clear();
                break;
            }
            const auto length = UnpackRaw<uint32_t>(p);
            text = TextFromUtf8(p, length);
            p += length;
            break;
        }
        case CFieldExchange::Date: {
            COleDateTime& date = *static_cast<COleDateTime*>(f.member);
            if (isNull) {
                date = COleDateTime();
                date.SetStatus(COleDateTime::null);
                break;
            }
            date.m_dt = UnpackRaw<double>(p);
            date.m_status = COleDateTime::DateTimeStatus(*p++);
            break;
        }
        default: {
            const long long number = isNull ? 0 : UnpackRaw<long long>(p);
            if (f.type == CFieldExchange::Bool)
                *static_cast<BOOL*>(f.member) = number != 0 ? TRUE : FALSE;
            else if (f.type == CFieldExchange::Byte)
                *static_cast<BYTE*>(f.member) = BYTE(number);
            else
                *static_cast<long*>(f.member) = long(number);
            break;
        }
        }
    }
}
