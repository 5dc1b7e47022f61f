// A dependency of the helper-importing test plug-in.  It is placed only next
// to that plug-in, so the plug-in loads only when its own folder is searched
// for its dependencies.
extern "C" __declspec(dllexport) const char* __stdcall q8HelperName() { return "Plugin With Helper"; }
