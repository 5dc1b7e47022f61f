// Messages the toolkit's windows send each other (never to foreign windows).
#pragma once

#include "foundation/Win32.h"

namespace PrivateMessage {
constexpr UINT activation = WM_APP + 0x0;       // wParam: activated; lParam: sender window
constexpr UINT focusReport = WM_APP + 0x1;      // wParam: reporter when gained, else 0; lParam: reporter
constexpr UINT moveFocus = WM_APP + 0x2;        // wParam: backwards; lParam: origin window
constexpr UINT enabledChanged = WM_APP + 0x3;   // wParam: new state; lParam: sender window
constexpr UINT command = WM_APP + 0x4;          // reflected WM_COMMAND: wParam as there; lParam: control
constexpr UINT shown = WM_APP + 0x5;            // wParam: WM_SHOWWINDOW's wParam; lParam: sender
constexpr UINT escape = WM_APP + 0x6;
constexpr UINT userRequest = WM_APP + 0x7;
constexpr UINT notify = WM_APP + 0x8;       // reflected WM_NOTIFY: wParam as there; lParam: NMHDR*
constexpr UINT wheel = WM_APP + 0x9;        // wParam: packed wheel value; lParam: originating window
constexpr UINT childAdded = WM_APP + 0xA;   // wParam: the child object
constexpr UINT endModal = WM_APP + 0xB;     // wParam: modal result
}   // namespace PrivateMessage
