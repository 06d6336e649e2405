#include "CardReader.h"

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <wx/filefn.h>


namespace {

// Field positions and lengths in code units.
struct Field { size_t pos, len; };
constexpr Field kName{0, 15};
constexpr Field kSex{15, 1};
constexpr Field kNation{16, 2};
constexpr Field kBirth{18, 8};
constexpr Field kAddress{26, 35};
constexpr Field kIdNumber{61, 18};
constexpr Field kAuthority{79, 15};
constexpr Field kValidity{94, 16};

const wchar_t* const kNations[] = {
    L"汉", L"蒙古", L"回", L"藏", L"维吾尔", L"苗", L"彝", L"壮", L"布依", L"朝鲜",
    L"满", L"侗", L"瑶", L"白", L"土家", L"哈尼", L"哈萨克", L"傣", L"黎", L"傈僳",
    L"佤", L"畲", L"高山", L"拉祜", L"水", L"东乡", L"纳西", L"景颇", L"柯尔克孜", L"土",
    L"达斡尔", L"仫佬", L"羌", L"布朗", L"撒拉", L"毛南", L"仡佬", L"锡伯", L"阿昌", L"普米",
    L"塔吉克", L"怒", L"乌孜别克", L"俄罗斯", L"鄂温克", L"德昂", L"保安", L"裕固", L"京", L"塔塔尔",
    L"独龙", L"鄂伦春", L"赫哲", L"门巴", L"珞巴", L"基诺",
};
static_assert(sizeof(kNations) / sizeof(kNations[0]) == 56, "GB/T 3304 lists 56 nations");

// The UTF-16LE code unit at a position of the card text.
unsigned Unit(const unsigned char* card, size_t pos)
{
    return card[2 * pos] | (card[2 * pos + 1] << 8);
}

// A field's text: its UTF-16 code units as the program's text, surrogate pairs
// joined into the characters beyond the basic plane (a card may hold rare
// characters of a name that no 8-bit code page has). The text ends at the
// first NUL, since a short or zero-padded file must not put NULs into the
// texts; a surrogate without its partner is no character and reads as U+FFFD.
CString FieldText(const unsigned char* card, Field f)
{
    std::wstring wide;
    for (size_t i = 0; i < f.len; ++i) {
        unsigned unit = Unit(card, f.pos + i);
        if (unit == 0)
            break;
        if (unit >= 0xD800 && unit < 0xE000) {
            const unsigned low = i + 1 < f.len ? Unit(card, f.pos + i + 1) : 0;
            if (unit < 0xDC00 && low >= 0xDC00 && low < 0xE000) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            } else {
                unit = 0xFFFD;
            }
        }
        wide += static_cast<wchar_t>(unit);
    }
    return CString(wide);
}

// Up to `size` bytes from the start of a regular file; -1 when it cannot be read.
ssize_t ReadHead(int fd, unsigned char* buffer, size_t size)
{
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    size_t got = 0;
    while (got < size) {
        const ssize_t n = read(fd, buffer + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

int Digits(const CString& text, size_t from, size_t count)
{
    const CString part = text.Mid(from, count);
    if (part.length() != count)
        return -1;
    long value = 0;
    if (!part.ToLong(&value) || value < 0)
        return -1;
    return static_cast<int>(value);
}

CString DayText(const CString& yyyymmdd)
{
    return yyyymmdd.Mid(0, 4) + L"年" + yyyymmdd.Mid(4, 2) + L"月" + yyyymmdd.Mid(6, 2) + L"日";
}

}  // namespace

CString FormatNationName(int code)
{
    if (code >= 1 && code <= 56)
        return CString(kNations[code - 1]);
    if (code == 97)
        return CString(L"其他");
    if (code == 98)
        return CString(L"外国血统中国籍人士");
    return CString();
}

void ParseCardText(const unsigned char* bytes, size_t size, IdCardData& data)
{
    unsigned char card[kCardTextBytes] = {};
    std::memcpy(card, bytes, size < kCardTextBytes ? size : kCardTextBytes);

    data.name = FieldText(card, kName);
    data.sexCode = FieldText(card, kSex);
    data.man = data.sexCode == "1";

    data.nationCode = FieldText(card, kNation);
    long nation = 0;
    data.nation = data.nationCode.ToLong(&nation) ? static_cast<int>(nation) : 0;
    data.nationText = FormatNationName(data.nation) + L"族";

    data.birthDate = FieldText(card, kBirth);
    const int year = Digits(data.birthDate, 0, 4);
    const int month = Digits(data.birthDate, 4, 2);
    const int day = Digits(data.birthDate, 6, 2);
    data.birthday = COleDateTime();
    if (year < 0 || month < 0 || day < 0 || data.birthday.SetDateTime(year, month, day, 0, 0, 0) != 0)
        data.birthday.SetStatus(COleDateTime::invalid);

    data.address = FieldText(card, kAddress);
    data.idNumber = FieldText(card, kIdNumber);
    data.authority = FieldText(card, kAuthority);

    data.validity = FieldText(card, kValidity);
    data.validityLine = CString(L"有效日期 ") + DayText(data.validity.Mid(0, 8)) + L"-" + DayText(data.validity.Mid(8, 8));
}

bool IsCardText(const unsigned char* bytes, size_t size)
{
    unsigned char card[kCardTextBytes] = {};
    std::memcpy(card, bytes, size < kCardTextBytes ? size : kCardTextBytes);
    const unsigned first = Unit(card, 0);
    if (first == 0 || first == 0xFEFF)
        return false;
    for (Field f : {kSex, kNation, kBirth})
        for (size_t i = 0; i < f.len; ++i) {
            const unsigned unit = Unit(card, f.pos + i);
            if (unit != 0 && unit != ' ' && (unit < '0' || unit > '9'))
                return false;
        }
    return true;
}

CardTextResult ReadCardData(const CString& folder, IdCardData& data)
{
    data.photoPath = folder + "zp.bmp";
    // Only read: the file belongs to the reader library, and creating an empty
    // one when it is missing would only hide that no card was read. A pipe or a
    // device in its place must not make the dialog wait.
    const int fd = open((folder + "wz.txt").fn_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? CardTextResult::NoFile : CardTextResult::NotACard;
    unsigned char card[kCardTextBytes] = {};
    const ssize_t n = ReadHead(fd, card, sizeof card);
    close(fd);
    if (n < 0 || !IsCardText(card, static_cast<size_t>(n)))
        return CardTextResult::NotACard;
    ParseCardText(card, static_cast<size_t>(n), data);
    return CardTextResult::Taken;
}

CString CardFilesFolder(const CString& programFolder)
{
    if (access(programFolder.fn_str(), W_OK) == 0)
        return programFolder;
    CString cwd = wxGetCwd();
    return cwd.EndsWith("/") ? cwd : cwd + "/";
}

CardReader::CardReader(const CString& folder) : m_folder(folder)
{
    if (!m_folder.empty() && !m_folder.EndsWith("/"))
        m_folder += "/";
    m_filesFolder = CardFilesFolder(m_folder);
    // The handle is never closed: vendor reader libraries keep threads and
    // device state alive, and unloading them under those crashes the program.
    void* library = dlopen((m_folder + "termb.so").fn_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        return;
    m_initComm = reinterpret_cast<InitCommFn>(dlsym(library, "CVR_InitComm"));
    m_closeComm = reinterpret_cast<NoArgFn>(dlsym(library, "CVR_CloseComm"));
    m_authenticate = reinterpret_cast<NoArgFn>(dlsym(library, "CVR_Authenticate"));
    m_readContent = reinterpret_cast<ReadContentFn>(dlsym(library, "CVR_Read_Content"));
    m_loaded = m_initComm && m_closeComm && m_authenticate && m_readContent;
}

bool CardReader::FindPort()
{
    m_usbResult = m_serialResult = 0;
    if (!m_loaded)
        return false;
    // USB readers sit on 1001..1016, serial ones on 1..16.
    for (int port = 1001; port <= 1016; ++port) {
        m_port = port;
        m_usbResult = m_initComm(port);
        if (m_usbResult == 1)
            return true;
    }
    for (int port = 1; port <= 16; ++port) {
        m_port = port;
        m_serialResult = m_initComm(port);
        if (m_serialResult == 1)
            return true;
    }
    return false;
}

CardReader::PollResult CardReader::Poll(IdCardData& data)
{
    if (!m_loaded || !HasPort())
        return PollResult::NoPort;
    if (m_authenticate() != 1)
        return PollResult::NoCard;
    if (m_readContent(1) != 1)
        return PollResult::ReadFailed;
    switch (ReadCardData(m_filesFolder, data)) {
    case CardTextResult::Taken:
        return PollResult::CardRead;
    case CardTextResult::NoFile:
        // A vanished wz.txt still leaves the photo to show, as the reader reported
        // a read; what the clerk typed stays.
        return PollResult::PhotoOnly;
    case CardTextResult::NotACard:
        break;
    }
    // A photo beside text that is not the card's would put a face to the wrong data.
    return PollResult::ReadFailed;
}

void CardReader::RemoveCardFiles() const
{
    unlink((m_filesFolder + "wz.txt").fn_str());
    unlink((m_filesFolder + "zp.bmp").fn_str());
}

void CardReader::Close()
{
    if (m_loaded)
        m_closeComm();
}
