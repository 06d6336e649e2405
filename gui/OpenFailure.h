// What the windows do when a table they need would not open: the clerk is
// told "打开数据库失败！", and where the program cannot work without that
// table, the run ends.
#pragma once

// Tells the clerk that a table would not open.
void ReportOpenFailure();
// Ends the run: the program cannot work without its tables.
void QuitAfterOpenFailure();
// Tells the clerk, then ends the run.
void ReportOpenFailureAndQuit();
