// The HID tests' means of running this test program again as a child whose standard output
// is captured (the debug lines of a scan go there).
#pragma once

#include <string>

// Runs this program again with `arguments` and returns what it wrote to standard output,
// byte for byte; `exitCode` gets its exit code (-1 when it could not be run).
std::string RunSelfCapturingStdout(const std::wstring& arguments, int* exitCode);
