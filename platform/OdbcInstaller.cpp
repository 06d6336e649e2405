#include "OdbcInstaller.h"

#include <dlfcn.h>
#include <odbcinst.h>
#include <string>
#include <utility>
#include <vector>
#include "Database.h"
#include "MessageBox.h"

namespace {

struct Installer {
    void* handle = nullptr;
    BOOL (*setConfigMode)(UWORD) = nullptr;
    BOOL (*writeDsnToIni)(LPCSTR, LPCSTR) = nullptr;
    BOOL (*writePrivateProfileString)(LPCSTR, LPCSTR, LPCSTR, LPCSTR) = nullptr;
    BOOL (*removeDsnFromIni)(LPCSTR) = nullptr;
    int (*getPrivateProfileString)(LPCSTR, LPCSTR, LPCSTR, LPSTR, int, LPCSTR) = nullptr;
};

// Loaded once and kept: the library registers itself in process-wide state.
const Installer* LoadInstaller()
{
    static Installer installer;
    static bool tried = false;
    if (!tried) {
        tried = true;
        void* handle = dlopen("libodbcinst.so.2", RTLD_NOW | RTLD_GLOBAL);
        if (handle) {
            installer.setConfigMode = reinterpret_cast<decltype(installer.setConfigMode)>(dlsym(handle, "SQLSetConfigMode"));
            installer.writeDsnToIni = reinterpret_cast<decltype(installer.writeDsnToIni)>(dlsym(handle, "SQLWriteDSNToIni"));
            installer.writePrivateProfileString = reinterpret_cast<decltype(installer.writePrivateProfileString)>(
                dlsym(handle, "SQLWritePrivateProfileString"));
            installer.removeDsnFromIni =
                reinterpret_cast<decltype(installer.removeDsnFromIni)>(dlsym(handle, "SQLRemoveDSNFromIni"));
            installer.getPrivateProfileString = reinterpret_cast<decltype(installer.getPrivateProfileString)>(
                dlsym(handle, "SQLGetPrivateProfileString"));
            if (installer.setConfigMode && installer.writeDsnToIni && installer.writePrivateProfileString &&
                installer.removeDsnFromIni && installer.getPrivateProfileString)
                installer.handle = handle;
            else
                dlclose(handle);
        }
    }
    return installer.handle ? &installer : nullptr;
}

std::string Utf8(const CString& text)
{
    return std::string(text.utf8_str().data());
}

CString Trimmed(CString text)
{
    text.Trim(true).Trim(false);
    return text;
}

}  // namespace

BOOL SQLConfigDataSourceW(void* hwndParent, WORD request, const wchar_t* driver, const wchar_t* attributes)
{
    const Installer* odbc = LoadInstaller();
    if (!odbc) {
        MessageBoxWithCaption("The ODBC installer DLL (ODBCCP32.DLL) is not installed on this system.",
                              "ODBC Installer Error", MB_OK);
        return FALSE;
    }
    if (request != ODBC_ADD_DSN && request != ODBC_CONFIG_DSN && request != ODBC_REMOVE_DSN)
        return FALSE;

    CString driverName = Trimmed(driver ? CString(driver) : CString());
    // The program was written for the Access driver; its databases are SQLite files here.
    if (driverName == "Microsoft Access Driver (*.mdb)")
        driverName = "SQLite3";

    CString dsn;
    std::vector<std::pair<CString, CString>> settings;
    for (const wchar_t* p = attributes; p && *p; p += std::char_traits<wchar_t>::length(p) + 1) {
        CString pair(p);
        int eq = pair.Find('=');
        CString key = Trimmed(eq == wxNOT_FOUND ? pair : pair.Left(eq));
        CString value = eq == wxNOT_FOUND ? CString() : pair.Mid(eq + 1);
        if (key.CmpNoCase("DSN") == 0)
            dsn = Trimmed(value);
        else if (key.CmpNoCase("DBQ") == 0)
            settings.emplace_back("Database", value);
        else if (key.CmpNoCase("DESCRIPTION") == 0)
            settings.emplace_back("Description", value);
        else if (key.CmpNoCase("DEFAULTDIR") == 0)
            continue;  // SQLite takes the full path from Database
        else if (!key.empty())
            settings.emplace_back(key, value);
    }
    if (dsn.empty())
        return FALSE;
    settings.emplace_back("NoCreat", "1");
    // A rollback journal: SQLite commits a transaction over attached files
    // atomically only then (see the connection layer, which sets it in any case).
    settings.emplace_back("JournalMode", kJournalMode);
    settings.emplace_back("SyncPragma", "FULL");
    settings.emplace_back("Timeout", std::to_string(kBusyTimeoutMs));
    // Rows are read as they are fetched rather than copied into one table of
    // texts first: a walk of a large table costs a third less.
    settings.emplace_back("StepAPI", "1");

    const std::string name = Utf8(dsn);
    odbc->setConfigMode(ODBC_USER_DSN);
    BOOL ok = TRUE;
    if (request == ODBC_REMOVE_DSN) {
        ok = odbc->removeDsnFromIni(name.c_str()) ? TRUE : FALSE;
    } else {
        const std::string drv = Utf8(driverName);
        ok = odbc->writeDsnToIni(name.c_str(), drv.c_str()) ? TRUE : FALSE;
        for (size_t i = 0; ok && i < settings.size(); ++i) {
            const std::string key = Utf8(settings[i].first), value = Utf8(settings[i].second);
            ok = odbc->writePrivateProfileString(name.c_str(), key.c_str(), value.c_str(), "odbc.ini") ? TRUE : FALSE;
        }
    }
    odbc->setConfigMode(ODBC_BOTH_DSN);
    return ok;
}

namespace {

// Values holding separators or outer blanks go in braces, "}" doubled, as
// connect strings quote them.
CString ConnectValue(const CString& value)
{
    if (value.find_first_of(";{}") == CString::npos && value == Trimmed(value))
        return value;
    CString quoted = value;
    quoted.Replace("}", "}}");
    return "{" + quoted + "}";
}

// The SQLite driver takes no braces: it reads a file name up to the next ";"
// and keeps braces as part of it. A path it cannot take as it stands goes as a
// SQLite URI instead, every byte outside a plain file name percent-encoded.
CString SqliteFileValue(const CString& path)
{
    static const std::string plain =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/._-~";
    const std::string utf8 = Utf8(path);
    if (utf8.find_first_not_of(plain) == std::string::npos)
        return path;
    std::string uri = "file:";
    for (const unsigned char c : utf8) {
        if (plain.find(char(c)) != std::string::npos) {
            uri += char(c);
        } else {
            static const char hex[] = "0123456789ABCDEF";
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 0xF];
        }
    }
    return CString::FromUTF8(uri.c_str());
}

// A NUL-separated list, as the profile functions return key names.
std::vector<std::string> SplitNulList(const std::vector<char>& buffer, int length)
{
    std::vector<std::string> items;
    for (int start = 0; start < length;) {
        const std::string item(&buffer[size_t(start)]);
        if (item.empty())
            break;
        items.push_back(item);
        start += int(item.size()) + 1;
    }
    return items;
}

// The value of `key` in the data source's section, "" when there is none.
CString ProfileValue(const Installer& odbc, const std::string& dsn, const char* key)
{
    std::vector<char> buffer(64 * 1024);
    odbc.getPrivateProfileString(dsn.c_str(), key, "", buffer.data(), int(buffer.size()), "odbc.ini");
    return CString::FromUTF8(buffer.data());
}

}  // namespace

DataSourceLookup LookUpDataSource(const CString& dsn, CString& connect)
{
    const Installer* odbc = LoadInstaller();
    if (!odbc)
        return DataSourceLookup::unavailable;
    odbc->setConfigMode(ODBC_BOTH_DSN);
    const std::string name = Utf8(dsn);
    std::vector<char> buffer(64 * 1024);
    const int length =
        odbc->getPrivateProfileString(name.c_str(), nullptr, "", buffer.data(), int(buffer.size()), "odbc.ini");
    const std::vector<std::string> keys = SplitNulList(buffer, length);

    CString driver;
    std::vector<std::pair<CString, CString>> settings;
    for (const std::string& key : keys) {
        const CString value = ProfileValue(*odbc, name, key.c_str());
        const CString keyName = CString::FromUTF8(key.c_str());
        if (keyName.CmpNoCase("Driver") == 0)
            driver = value;
        // The connection layer sets the journal mode itself; a registration of
        // an older version asks for WAL, which would only be undone at each open.
        else if (keyName.CmpNoCase("Description") != 0 && keyName.CmpNoCase("JournalMode") != 0)
            settings.emplace_back(keyName, value);
    }
    if (driver.empty())
        return DataSourceLookup::notFound;
    const bool sqlite = driver.Lower().Contains("sqlite");
    connect = "DRIVER=" + ConnectValue(driver) + ";";
    for (const auto& [key, value] : settings) {
        const bool file = sqlite && key.CmpNoCase("Database") == 0;
        connect += key + "=" + (file ? SqliteFileValue(value) : ConnectValue(value)) + ";";
    }
    return DataSourceLookup::found;
}

bool ReadUserDataSource(const CString& dsn, CString& description, CString& database)
{
    const Installer* odbc = LoadInstaller();
    if (!odbc)
        return false;
    const std::string name = Utf8(dsn);
    odbc->setConfigMode(ODBC_USER_DSN);
    const bool found = !ProfileValue(*odbc, name, "Driver").empty();
    description = ProfileValue(*odbc, name, "Description");
    database = ProfileValue(*odbc, name, "Database");
    odbc->setConfigMode(ODBC_BOTH_DSN);
    return found;
}
