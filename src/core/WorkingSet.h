// Gives memory that the program no longer uses back to the system, as the
// Windows program trims its working set after large loads when "AutoMemMin"
// is on.
#pragma once

void TrimWorkingSet();
