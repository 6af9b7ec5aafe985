#pragma once
// The system's own cursors (IDC_ARROW, IDC_HAND, ... or MAKEINTRESOURCE of their number).

#include <windows.h>

// The shared handle of a system cursor; null for an id the system lacks. The system keeps one handle per
// cursor for the whole process and it is never destroyed, but finding it again looks its resource up on
// every call: every control of a window takes one, so each is found once and kept. Safe from any thread.
HCURSOR xSkinSystemCursor(LPCWSTR id);
