#include "CCsvFile.h"

#include "CCsvReader.h"
#include "CRegularFile.h"

#include <iostream>
#include <iterator>
#include <wx/string.h>

// On Linux file names are bytes in the locale's encoding (UTF-8), not in the
// OEM code page the CSV text uses: converting a path to GBK would name a
// different file.
std::string CsvFileSystemName(const std::wstring& path)
{
    const wxString text(path);
    const wxScopedCharBuffer name = text.fn_str();
    return name.data() ? std::string(name.data(), name.length()) : std::string();
}

CCsvFile::CCsvFile() = default;

CCsvFile::~CCsvFile()
{
    if (m_file.is_open())
        m_file.close();
}

bool CCsvFile::Open(std::wstring path, int nMode)
{
    const std::string name = CsvFileSystemName(path);
    std::ios::openmode mode = std::ios::binary;
    bool known = true;
    switch (nMode) {
    case modeRead: mode |= std::ios::in; break;
    case modeWrite: mode |= std::ios::out | std::ios::trunc; break;
    case modeAppend: mode |= std::ios::in | std::ios::out | std::ios::app; break;
    case modeReplace: break;
    default: known = false; break;
    }
    if (!known || m_file.is_open() || m_replacement.IsOpen() || name.empty()) {
        std::cout << "Can't open file" << name << std::endl;
        return false;
    }
    m_file.clear();
    if (nMode == modeReplace)
        m_replacement.Open(name);
    else
        m_file.open(name, mode);
    if (!m_file.is_open() && !m_replacement.IsOpen()) {
        std::cout << "Can't open file" << name << std::endl;
        return false;
    }
    m_strFileName = name;
    m_bWriteFailed = false;
    return true;
}

bool CCsvFile::WriteLine(std::string line)
{
    if (m_replacement.IsOpen())
        return m_replacement.Write(line.data(), line.size());
    if (!m_file.is_open()) {
        // Only a caller that skipped Open gets here: the line goes to the end
        // of the file last opened, which is never emptied by this.
        m_file.clear();
        if (!m_strFileName.empty())
            m_file.open(m_strFileName, std::ios::binary | std::ios::out | std::ios::app);
        if (!m_file.is_open()) {
            std::cout << "Can't open file " << m_strFileName << std::endl;
            return false;
        }
    }
    m_file.write(line.data(), static_cast<std::streamsize>(line.size()));
    if (!m_file)
        m_bWriteFailed = true;
    return !m_bWriteFailed;
}

bool CCsvFile::Close()
{
    if (m_replacement.IsOpen())
        return m_replacement.Commit();
    if (!m_file.is_open())
        return true;
    m_file.flush();
    if (!m_file)
        m_bWriteFailed = true;
    m_file.close();
    if (m_file.fail())
        m_bWriteFailed = true;
    const bool written = !m_bWriteFailed;
    m_file.clear();
    m_bWriteFailed = false;
    return written;
}

bool CCsvFile::ReadAll(std::string path, std::vector<Row>& rows)
{
    // Only a regular file: a FIFO or a device would never let the reading end.
    CRegularFile file(path);
    if (!file.IsOpen()) {
        std::cout << "open csv file" << path << "failed!" << std::endl;
        return false;
    }
    CCsvReader reader(file.Stream());
    std::vector<Row> read;
    Row row;
    CCsvReader::Result result;
    while ((result = reader.ReadRow(row)) == CCsvReader::row)
        read.push_back(std::move(row));
    if (result == CCsvReader::fault) {
        std::cout << "csv file" << path << "unreadable at line " << reader.Line() << std::endl;
        return false;
    }

    m_rows.insert(m_rows.end(), std::make_move_iterator(read.begin()), std::make_move_iterator(read.end()));
    if (&rows != &m_rows)
        rows = m_rows;
    return true;
}
