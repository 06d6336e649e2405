// Card text wz.txt: any bytes, of any length, give fields that hold no NUL,
// no lone surrogate and no more characters than their place on the card; a
// text that passes as a card has only digits in its code fields.
#include <utility>

#include "CardReader.h"
#include "FuzzSupport.h"

namespace {

// Each text field and the number of UTF-16 units it has on the card.
const std::pair<CString IdCardData::*, size_t> kFields[] = {
    {&IdCardData::name, 15},     {&IdCardData::sexCode, 1}, {&IdCardData::nationCode, 2},
    {&IdCardData::birthDate, 8}, {&IdCardData::address, 35}, {&IdCardData::idNumber, 18},
    {&IdCardData::authority, 15}, {&IdCardData::validity, 16},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    IdCardData card;
    ParseCardText(data, size, card);
    for (const auto& [field, units] : kFields) {
        FUZZ_CHECK((card.*field).length() <= units);
        FUZZ_CHECK((card.*field).find(wxUniChar(0)) == CString::npos);
        for (wxUniChar c : card.*field)
            FUZZ_CHECK(c.GetValue() < 0xD800 || (c.GetValue() >= 0xE000 && c.GetValue() <= 0x10FFFF));
    }
    FUZZ_CHECK(card.man == (card.sexCode == "1"));
    FUZZ_CHECK(card.birthday.GetStatus() != COleDateTime::null);
    FUZZ_CHECK(card.nationText.EndsWith(CString(L"族")));
    if (IsCardText(data, size)) {
        FUZZ_CHECK(!card.name.empty());
        for (const CString* code : {&card.sexCode, &card.nationCode, &card.birthDate})
            for (wxUniChar c : *code)
                FUZZ_CHECK(c == ' ' || (c >= '0' && c <= '9'));
        FUZZ_CHECK(card.nation >= 0 && card.nation <= 99);
    }
    return 0;
}
