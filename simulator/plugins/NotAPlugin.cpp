// A library without the plug-in entry point.  The file-description test
// checks that it is never loaded: its start-up code must not run just because
// the report described the file.
extern "C" __declspec(dllexport) int __stdcall notAPluginFunction(int value) { return value + 1; }
