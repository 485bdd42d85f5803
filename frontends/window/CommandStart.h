// The start handlers of the three update commands, written once over the window's
// CommandHost so that their order of tests and their recovery can be proven without a window.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "frontends/window/CommandHost.h"

// Update and Force update: takes the path from the edit, refuses a path that is no file (even
// while busy), does nothing while busy, else marks the window busy and runs `sequence` on a
// worker with its own copy of the path. `id` is the pressed button's control id.
void StartUpgradeCommand(CommandHost& host, uint16_t id,
                         std::function<void(const std::wstring& path)> sequence);

// Initialize: does nothing while busy, else disables Initialize and Force update, marks the
// window busy and runs `sequence` on a worker.
void StartInitializeCommand(CommandHost& host, std::function<void()> sequence);
