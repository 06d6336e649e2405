#include "CQuillan2021App.h"

wxIMPLEMENT_APP(CQuillan2021App);
