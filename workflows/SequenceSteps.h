// Steps that several update sequences share and that need no controller link.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "platform/FirmwareImage.h"
#include "workflows/RunContext.h"
#include "workflows/SequenceEnd.h"
#include "workflows/SequenceView.h"

// The start of both upgrades, before anything is sent: the power switch must work (without
// the power cycle a transfer would leave the controller in its boot loader), the machine must
// not run on a low battery (one that dies mid-transfer does the same), no other program may
// keep the controller from us while it is listed (HidHide, or one that holds it), then the
// image at `path` must read whole into `image` and hold a byte. Then `startMs` (the elapsed
// time of the progress counts from it) and an empty progress bar. The refusal when a check
// fails. A controller waiting in its boot loader is never kept: the boot loader has ids of
// its own, which nobody hides.
std::optional<UpgradeResult> PrepareUpgrade(const RunContext& context, SequenceView& view,
                                            FirmwareImage& image, const std::filesystem::path& path,
                                            uint32_t& startMs);

// Switches the controller off and on again, with the pauses it needs after each.
void PowerCycleController(const RunContext& context, SequenceView& view);
