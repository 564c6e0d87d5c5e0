// Giving memory back to the system after large transfers or when the main
// window goes to the tray (the Windows program trimmed its working set).
#pragma once

// Returns the free heap memory at the top of the heap to the system.
void TrimWorkingSet();
