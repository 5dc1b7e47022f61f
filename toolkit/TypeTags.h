// Type tags: every toolkit object stores one as its first field so that a
// native window's user data can be recognised as one of ours (fromHandle) and
// so that the debug trace can name the object's class.
#pragma once

namespace TypeTag {
constexpr unsigned none = 0;             // an Element that is not a window
constexpr unsigned first = 0x28174800;   // the range a window's user data must fall into
constexpr unsigned last = 0x281748FF;
constexpr unsigned window = 0x28174800;
constexpr unsigned component = 0x28174801;
constexpr unsigned panel = 0x28174802;
constexpr unsigned button = 0x28174803;
constexpr unsigned scrollBar = 0x28174804;
constexpr unsigned edit = 0x28174805;
constexpr unsigned memo = 0x28174806;
constexpr unsigned listbox = 0x28174807;
constexpr unsigned comboBox = 0x28174808;
constexpr unsigned namedPipeServer = 0x28174809;
constexpr unsigned namedPipeClient = 0x2817480A;
constexpr unsigned intEdit = 0x2817480C;
constexpr unsigned sMeter = 0x2817480D;
constexpr unsigned inviPanel = 0x2817480E;
constexpr unsigned header = 0x2817480F;
constexpr unsigned inviPanel2 = 0x28174812;
constexpr unsigned treeView = 0x28174815;
}   // namespace TypeTag

// The class name the trace prints for a tag; "Unknown" for 0 and unlisted tags.
const char* typeTagName(unsigned tag);
