// The resident ID-card reader: the vendor library termb.so in the program
// folder, its port search and poll, and the card text and photo it leaves in
// wz.txt and zp.bmp.
// No window is involved, so the check-in dialog drives it from its timer.
#pragma once

#include <cstddef>
#include "COleDateTime.h"
#include "WinTypes.h"

// What one read of a card gave. Text fields are taken whole, with whatever the
// reader padded them out with; nothing is trimmed.
struct IdCardData {
    CString name;
    CString sexCode;       // "1" for a man, anything else a woman
    bool man = false;
    CString nationCode;    // two decimal digits, GB/T 3304
    int nation = 0;
    CString nationText;    // e.g. "汉族"; "族" alone for an unknown code
    CString birthDate;     // YYYYMMDD as on the card
    COleDateTime birthday; // that day at 00:00:00; invalid when the digits give no date
    CString address;       // the native place of the check-in form
    CString idNumber;
    CString authority;     // goes into the remarks
    CString validity;      // YYYYMMDDYYYYMMDD as on the card
    CString validityLine;  // "有效日期 2015年01月01日-2035年01月01日"
    CString photoPath;     // zp.bmp beside wz.txt; may not exist
};

// Size and fixed layout of wz.txt, in UTF-16LE code units.
enum : size_t { kCardTextBytes = 256 };

// The nation name of a GB/T 3304 code without the suffix 族 (1 汉 ... 56 基诺,
// 97 其他, 98 外国血统中国籍人士); empty for any other code.
CString FormatNationName(int code);

// Fills `data` from the bytes of a wz.txt; bytes past `size` read as zeros.
void ParseCardText(const unsigned char* bytes, size_t size, IdCardData& data);

// Whether the bytes of a wz.txt hold a card's text: a name, and digits (or
// blanks, or nothing past a short file's end) in the sex, nation and birth-date
// fields. A file written in another encoding (UTF-8, or UTF-16 with a byte-order
// mark) or of other bytes fails this.
bool IsCardText(const unsigned char* bytes, size_t size);

enum class CardTextResult {
    Taken,     // `data` holds the card
    NoFile,    // there is no wz.txt: the text fields stay as they were
    NotACard,  // wz.txt cannot be read or holds no card's text: nothing is taken
};

// Reads the first bytes of folder + "wz.txt" into `data` (a file of any size
// costs the same). The text fields change only when the card is taken; the
// photo path is set either way.
CardTextResult ReadCardData(const CString& folder, IdCardData& data);

// Where the reader leaves wz.txt and zp.bmp: the program folder, or the
// current directory where the clerk cannot write the program folder (an
// install under /usr), with a trailing slash.
CString CardFilesFolder(const CString& programFolder);

class CardReader
{
public:
    // Loads folder + "termb.so" and its four entry points. A missing library or
    // entry point leaves a reader that does nothing.
    explicit CardReader(const CString& folder);
    CardReader(const CardReader&) = delete;
    CardReader& operator=(const CardReader&) = delete;

    bool IsLoaded() const { return m_loaded; }

    // Tries ports 1001 to 1016, then 1 to 16; the first that opens wins.
    bool FindPort();
    bool HasPort() const { return m_usbResult == 1 || m_serialResult == 1; }
    int Port() const { return m_port; }  // the port tried last

    enum class PollResult {
        NoPort,      // no reader answered: the photo should no longer be shown
        NoCard,      // nothing on the reader: leave everything as it is
        ReadFailed,  // a card was there but could not be read, or wz.txt held no card: stop showing the photo
        PhotoOnly,   // the card's text could not be taken: keep the form, show the photo
        CardRead     // `data` holds the card; show it and its photo
    };
    // One poll: authenticate, and on a card read it and take wz.txt.
    PollResult Poll(IdCardData& data);
    // Removes wz.txt and zp.bmp once they are taken: the guest's ID text and
    // face must not outlive the check-in on the desk's disk.
    void RemoveCardFiles() const;

    // Closes the reader's port; nothing when the library is not loaded.
    void Close();

private:
    typedef int (*InitCommFn)(int);
    typedef int (*NoArgFn)();
    typedef int (*ReadContentFn)(int);

    CString m_folder;       // where termb.so lies
    CString m_filesFolder;  // where it leaves the card's files
    bool m_loaded = false;
    InitCommFn m_initComm = nullptr;
    NoArgFn m_closeComm = nullptr;
    NoArgFn m_authenticate = nullptr;
    ReadContentFn m_readContent = nullptr;
    int m_port = 0;
    int m_usbResult = 0;     // last CVR_InitComm result over 1001..1016
    int m_serialResult = 0;  // last CVR_InitComm result over 1..16
};
