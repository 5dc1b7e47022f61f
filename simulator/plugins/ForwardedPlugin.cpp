// Exports zqtPluginInit only as a forwarder to another library (see the .def
// file); such a file is not treated as a plug-in.
extern "C" int __stdcall forwardedPluginPadding() { return 0; }
