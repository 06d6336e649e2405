// Reads a comma-separated file of 8-bit text into rows of fields, and writes
// lines of one. It knows no columns and no header: the import and export
// pages build every line themselves (ended by a CR) and give the fields their
// meaning; rows are read as CCsvReader reads them. Its few diagnostics go to
// standard output; the pages report to the clerk themselves.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "CReplacingFile.h"

// The name the file system knows a path by (its bytes on Linux), which is what
// ReadAll takes; empty when the path cannot be expressed.
std::string CsvFileSystemName(const std::wstring& path);

class CCsvFile
{
public:
    typedef std::vector<std::string> Row;

    // Modes of Open.
    enum : int {
        modeRead = 0x10,    // read only; the file must exist
        modeWrite = 0x11,   // write only; created, or emptied when it exists
        modeAppend = 0x12,  // read and append; created when missing, every write lands at the end
        // Write only, into a new file that replaces the file of that name at
        // a successful Close; until then, and for good when the object goes
        // without it or a write failed, the file stays as it was.
        modeReplace = 0x21,
    };

    CCsvFile();
    ~CCsvFile();
    CCsvFile(const CCsvFile&) = delete;
    CCsvFile& operator=(const CCsvFile&) = delete;

    // Opens the file for the later WriteLine calls. Fails (and says so on
    // standard output) when the file cannot be opened in that mode, when the
    // mode is none of the three, or when this object already holds an open file.
    bool Open(std::wstring path, int nMode);
    // Writes exactly the bytes of the line; the caller ends it. False when the
    // file cannot be opened or the bytes could not be handed to it.
    bool WriteLine(std::string line);
    // Flushes and closes the file (in modeReplace: syncs it and puts it in
    // place); false when anything written since Open failed to reach it (a
    // full disk, a lost device), which in modeReplace leaves the old file.
    // Closing a closed file is true.
    bool Close();

    // Reads the whole file at `path` (a file-system name) and appends its rows
    // to the ones read before by this object; the caller's vector receives
    // them all. False (nothing changed) when the file cannot be opened or
    // cannot be read to its end (see CCsvReader). The imports stream their
    // files instead: this holds every row in memory.
    bool ReadAll(std::string path, std::vector<Row>& rows);

private:
    std::vector<Row> m_rows;
    std::fstream m_file;
    CReplacingFile m_replacement;  // the file being written in modeReplace
    std::string m_strFileName;  // the file-system name of the last successful Open
    bool m_bWriteFailed = false;
};
