// The report of a desk operation that a database error undid (a full disk, a
// file locked elsewhere): one box that tells the clerk, in the UI language,
// that nothing of it was stored, followed by the driver's own text, which alone
// would not say whether the guest is checked in or out.
#pragma once

#include "CDBException.h"

void ReportUndoneOperation(const CDBException& e);
