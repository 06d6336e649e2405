// The narrow ODBC functions: the driver reads UTF-8 through them. Included
// instead of <sql.h> by the files of the connection layer.
#pragma once

#undef UNICODE
#undef _UNICODE
#include <sql.h>
#include <sqlext.h>
