#pragma once
// Resource identifiers shared by resources.rc and the code. Plain macros:
// the resource compiler reads this file too.

#define IDI_QEB_SUA 1
#define IDB_PROGRESS_PICTURE 101
