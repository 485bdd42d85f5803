// Steps that several update sequences share and that need no controller link.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "platform/FirmwareImage.h"
#include "workflows/SequenceEnd.h"
#include "workflows/SequenceView.h"

// Disables Select, Refresh and the button that started the sequence. Refresh stays off for
// the whole upgrade: its version read would wait for the device held by the transfer, while
// the transfer's progress updates wait for the window.
void DisableUpgradeControls(SequenceView& view, uint16_t startId);

// Reads the whole file into `image`; false when it cannot be read or holds no byte.
bool LoadFirmwareImage(FirmwareImage& image, const std::filesystem::path& path);

// The checks of an upgrade before anything is sent: the power switch must work (without the
// power cycle a transfer would leave the controller in its boot loader), the machine must not
// run on a low battery (one that dies mid-transfer does the same), then the image at `path`
// must read into `image`. The refusal when one fails, else nothing.
std::optional<UpgradeResult> RefusalBeforeSending(FirmwareImage& image,
                                                  const std::filesystem::path& path);

// Switches the controller off and on again, with the pauses it needs after each.
void PowerCycleController(SequenceView& view);
