// Shared pieces of the GUI tests.
#pragma once

#include "TestEnvironment.h"

// The sandbox the application was started in.
TestEnvironment& GuiEnvironment();
