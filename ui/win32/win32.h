#pragma once
// <windows.h> as the adapter includes it. The window-system interface has an
// operation named MessageBox, which the header's macro would rename; the
// adapter calls MessageBoxW by name.

#include <windows.h>
#undef MessageBox
