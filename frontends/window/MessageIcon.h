// What a message box of the window shows beside its text.
#pragma once

enum class MessageIcon { kInformation, kWarning, kError };
