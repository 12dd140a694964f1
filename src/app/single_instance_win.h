// One running copy per logon: a later start hands over to the running copy, which shows
// itself, and then ends.
#pragma once

#include <windows.h>

// Sent by a later start to the running copy's main window; the copy posts itself
// WmReveal and answers at once, so the sender knows it reached a live copy.
UINT RevealRequestMessage();

// Called while another copy holds the instance mutex (`mutex` is this process's handle
// to it): tells that copy to show itself. False when it was told (or stayed out of
// reach): this copy ends. True when the other copy ended meanwhile and this one now
// holds the mutex and starts in its place.
[[nodiscard]] bool TakeOverFromRunningCopy(HANDLE mutex);
