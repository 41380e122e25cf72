// A string table and nothing else: every text becomes a constant NUL-terminated UTF-8 string that
// any program finds by name, u_ResourceStrings_<identifier>. The table is the one named by the build.
#define RS(id, text) extern "C" __attribute__((visibility("default"))) const char u_ResourceStrings_##id[] = text;
#include QUILLO_STRING_TABLE
#undef RS
