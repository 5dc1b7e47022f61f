"""What the program must show, written down independently of its sources."""

HELP_TEXT = (
    'ZN-Q8 Receiver Diagnostic Tool\r\n'
    '\r\n'
    "This tool makes it possible to check your Brelvanx ZN-Q8 receiver's software installations, detect errors or correct the ZQT subsystem.\r\n"
    '\r\n'
    'You may send us the diagnostics report to assist you in solving software problems.\r\n'
    '\r\n'
    'To start the diagnostic process, press the "Get info" button. A report will be shown in a few seconds.\r\n'
    '\r\n'
    'This diagnostic tool detects several types of software problems:\r\n'
    '\r\n'
    '1. Driver errors (drivers not found in the system directory, not loaded in memory, or having invalid registry entries).\r\n'
    '2. ZN-Q8 API errors (dynamic link libraries not found or failing to open).\r\n'
    '3. Application installation errors (miscellaneous files such as fonts or control applets not installed properly).\r\n'
    '4. ZQT subsystem errors (ambiguous path to ZQT plugins or ZQT path variable not found).\r\n'
    '5. Windows related problems (insufficient user rights to access drivers or Windows API calls failing).\r\n'
    '\r\n'
    'Errors 1-3 should be resolved by Brelvanx ZN-Q8 software reinstallation.\r\n'
    "Error 4 can be resolved by Brelvanx ZN-Q8 software reinstallation or using the 'ZQT repair' function.\r\n"
    'Error 5 may indicate Windows problems and Windows reinstallation may be required.\r\n'
    '\r\n'
    'If you have a software problem and intend to send your software information to us for assistance, please do the following:\r\n'
    '\r\n'
    '1. Generate the report by pressing "Get info".\r\n'
    '2. Select "Copy report" from the File menu. This will copy the report to the Clipboard.\r\n'
    '3. Insert the Clipboard information into your email message to us (using Shift Ins).\r\n'
)

# The two OS lines per Windows version as Wine emulates it: version numbers
# and service-pack text are Wine's; the names follow the program's version
# classes (6.1 counts as Vista, 5.2 as 2003 Server, "64" under WoW64, a blank
# before the service-pack text even when it is empty).  Windows 9x keeps
# major and minor in the high word of the build field, which is printed whole.
OS_LINES = {
    ("win32", "win95"): ("   Version: 4.0.67109814", "   OS type=Windows 95 "),
    ("win32", "win98"): ("   Version: 4.10.67766446", "   OS type=Windows 98  A "),
    ("win32", "nt40"): ("   Version: 4.0.1381", "   OS type=Windows NT 4.0 Service Pack 6a"),
    ("win32", "win2k"): ("   Version: 5.0.2195", "   OS type=Windows 2000 Service Pack 4"),
    ("win32", "winxp"): ("   Version: 5.1.2600", "   OS type=Windows XP Service Pack 3"),
    ("win32", "win2003"): ("   Version: 5.2.3790", "   OS type=Windows 2003 Server Service Pack 2"),
    ("win32", "vista"): ("   Version: 6.0.6002", "   OS type=Windows Vista Service Pack 2"),
    ("win32", "win7"): ("   Version: 6.1.7601", "   OS type=Windows Vista Service Pack 1"),
    ("win64", "winxp64"): ("   Version: 5.2.3790", "   OS type=Windows 2003 Server64 Service Pack 2"),
    ("win64", "vista"): ("   Version: 6.0.6002", "   OS type=Windows Vista64 Service Pack 2"),
    ("win64", "win7"): ("   Version: 6.1.7601", "   OS type=Windows Vista64 Service Pack 1"),
}
