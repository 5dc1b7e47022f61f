// The files of the demo installation of the receiver software: its programs,
// its ZQT plug-ins, the shared plug-in files and the driver.  None of them
// does the real work; they carry the names, version resources and plug-in
// answers that the diagnostic tool reads.  Plain preprocessor definitions, so
// that the version resource (windres) and the code read the same table.
// DEMO_MODULE selects one entry; CMakeLists.txt builds each entry once.
#pragma once

#define DEMO_COMPANY "Brelvanx"
#define DEMO_PRODUCT "ZN-Q8 Receiver Software"

#if DEMO_MODULE == 1
#define DEMO_PROGRAM
#define DEMO_DESCRIPTION "ZN-Q8 Receiver Control"
#define DEMO_FILE "ZNQ8Control.exe"
#define DEMO_VERSION 2, 1, 4, 0
#define DEMO_VERSION_TEXT "2.1.4.0"
#elif DEMO_MODULE == 2
#define DEMO_PROGRAM
#define DEMO_DESCRIPTION "ZN-Q8 Receiver Software uninstaller"
#define DEMO_FILE "ZNQ8Uninstall.exe"
#define DEMO_VERSION 2, 1, 4, 0
#define DEMO_VERSION_TEXT "2.1.4.0"
#elif DEMO_MODULE == 3
// Plug-ins answer only to the host program they were written for.
#define DEMO_PLUGIN_HOST "ZNQ8 Receiver Control"
#define DEMO_PLUGIN_NAME "AM/SSB/CW Demodulator"
#define DEMO_DESCRIPTION "ZQT demodulator plug-in"
#define DEMO_FILE "ZQT_Demodulator.dll"
#define DEMO_VERSION 1, 4, 2, 0
#define DEMO_VERSION_TEXT "1.4.2.0"
#elif DEMO_MODULE == 4
#define DEMO_PLUGIN_HOST "ZNQ8 Spectrum Scope"
#define DEMO_PLUGIN_NAME "Waterfall Display"
#define DEMO_DESCRIPTION "ZQT waterfall plug-in"
#define DEMO_FILE "ZQT_Waterfall.dll"
#define DEMO_VERSION 1, 2, 0, 11
#define DEMO_VERSION_TEXT "1.2.0.11"
#elif DEMO_MODULE == 5
#define DEMO_PLUGIN_HOST "ZNQ8 Recorder"
#define DEMO_PLUGIN_NAME "Wave File Recorder"
#define DEMO_DESCRIPTION "ZQT recorder plug-in"
#define DEMO_FILE "ZQT_Recorder.dll"
#define DEMO_VERSION 1, 0, 3, 0
#define DEMO_VERSION_TEXT "1.0.3.0"
#elif DEMO_MODULE == 6
#define DEMO_PLUGIN_HOST "Q8 Remote Server"
#define DEMO_PLUGIN_NAME "S-Meter"
#define DEMO_DESCRIPTION "Shared ZQT S-meter"
#define DEMO_FILE "smeter.dll"
#define DEMO_VERSION 3, 0, 0, 2
#define DEMO_VERSION_TEXT "3.0.0.2"
#elif DEMO_MODULE == 7
#define DEMO_DESCRIPTION "ZQT plug-in validation library"
#define DEMO_FILE "zqtValidate.dll"
#define DEMO_VERSION 3, 0, 0, 2
#define DEMO_VERSION_TEXT "3.0.0.2"
#elif DEMO_MODULE == 8
#define DEMO_DESCRIPTION "ZN-Q8 USB receiver driver"
#define DEMO_FILE "ZNQ8USB.SYS"
#define DEMO_VERSION 1, 3, 0, 7
#define DEMO_VERSION_TEXT "1.3.0.7"
#else
#error "DEMO_MODULE names no demo file"
#endif
