#include "AppConnections.h"

#include <wx/app.h>

DataConnections& AppConnections()
{
    return dynamic_cast<DataConnections&>(*wxApp::GetInstance());
}
