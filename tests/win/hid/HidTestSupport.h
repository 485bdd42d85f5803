// Helpers of the HID tests under Wine: a simulator id of the process's own, waiting for
// something another thread does, and running this test program again as a child whose
// standard output is captured.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Gives this process (and the children it starts) simulated devices and shared blocks of
// its own, so that test programs running side by side do not meet.
void UseOwnSimulatorId();

// Polls `condition` until it holds or `timeoutMs` has passed; returns its last value.
bool WaitUntil(const std::function<bool()>& condition, uint32_t timeoutMs = 3000);

// Runs this program again with `arguments` and returns what it wrote to standard output,
// byte for byte; `exitCode` gets its exit code (-1 when it could not be run).
std::string RunSelfCapturingStdout(const std::wstring& arguments, int* exitCode);
