// The window's worker registry is standard C++ but lives with the Windows layer; the race
// tests build that very source here so that its locking runs under ThreadSanitizer too.
#include "ui/WorkerRegistry.cpp"
