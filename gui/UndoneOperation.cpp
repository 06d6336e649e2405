#include "UndoneOperation.h"

void ReportUndoneOperation(const CDBException& e)
{
    e.ReportError();
}
