#include <iostream>
#include "CQuillan2021App.h"
#include "InfoOptions.h"

wxIMPLEMENT_APP_NO_MAIN(CQuillan2021App);

int main(int argc, char** argv)
{
    wxDISABLE_DEBUG_SUPPORT();
    // Before the toolkit, which needs a display, and before any file is read.
    const int answered = AnswerInfoOption(argc, argv, std::cout);
    if (answered >= 0)
        return answered;
    return wxEntry(argc, argv);
}
