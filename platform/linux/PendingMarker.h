// Root's note for other users that a configuration backup in its folder was not written
// back to the controller. Root's backups are private (mode 0700), so a user's `status`
// could not see them; this file, readable by everyone, holds only the backup's time, no
// configuration.
#pragma once

#include <cstdint>
#include <string>

// Where root keeps the note, beside its private backups folder.
inline constexpr char kRootPendingMarker[] = "/var/lib/padwright/pending";

// Writes the note at `path` with the time of the pending backup: its folder made readable
// to everyone (0755), the file 0644, replaced whole. False when it could not be written.
bool WritePendingMarker(const std::string& path, int64_t utcMs);
// Removes the note; true when it is gone (or was never there).
bool RemovePendingMarker(const std::string& path);
// The time the note at `path` holds; false when there is none or it is not one of ours.
bool ReadPendingMarker(const std::string& path, int64_t* utcMs);
