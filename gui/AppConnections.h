// The three connections of the running program, for the windows below the
// application: they reach the hotel's data without knowing the application's
// class.
#pragma once

#include "DataSources.h"

// The connections the application object owns for the whole run (the
// application class is a DataConnections beside its wxApp).
DataConnections& AppConnections();
