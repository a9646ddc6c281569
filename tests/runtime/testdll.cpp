// A library of the tests' own, placed in the program folder: declared functions resolve to it.
// Built twice: testdll answers 42, testdll_other (copied under testdll's name into another
// folder by the tests) answers 7.
#include <windows.h>
#ifndef TEST_ANSWER
#define TEST_ANSWER 42
#endif
extern "C" __declspec(dllexport) int __stdcall TestAnswer() { return TEST_ANSWER; }
extern "C" int __stdcall TestByOrdinal(int value) { return value + 1; }
