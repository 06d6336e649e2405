#include "Shell.h"

#include <cstdlib>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/utils.h>

const char* const kCalculators[5] = {"gnome-calculator", "kcalc", "galculator", "mate-calc", "xcalc"};

CString FindCalculator(const CString& searchPath)
{
    wxPathList paths;
    paths.Add(wxSplit(searchPath, ':', '\0'));
    for (const char* name : kCalculators) {
        const wxString found = paths.FindAbsoluteValidPath(name);
        if (!found.empty() && wxFileName::IsFileExecutable(found))
            return found;
    }
    return CString();
}

BOOL ShellOpen(const CString& file)
{
    if (file.CmpNoCase("calc.exe") == 0) {
        const char* path = std::getenv("PATH");
        const CString calculator = FindCalculator(path ? wxString::FromUTF8(path) : wxString());
        return !calculator.empty() && wxExecute(calculator, wxEXEC_ASYNC) != 0;
    }
    return wxLaunchDefaultBrowser(file) ? TRUE : FALSE;
}
