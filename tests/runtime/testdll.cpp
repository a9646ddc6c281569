// A library of the tests' own, placed in the program folder: declared functions resolve to it.
#include <windows.h>
extern "C" __declspec(dllexport) int __stdcall TestAnswer() { return 42; }
extern "C" int __stdcall TestByOrdinal(int value) { return value + 1; }
