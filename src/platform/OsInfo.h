#pragma once
// Operating-system questions of the start-up. On Linux there is no Windows generation and no
// elevated relaunch: a device that cannot be opened is explained with the udev rule instead.
namespace varnel {

// The Windows generation (1..7); 0 ("anything else") on Linux, so the Vista-or-later steps
// (DPI awareness call, elevated relaunch) do not run.
int GetOsVersionClass();

// Elevated relaunch; not available on Linux: logs and returns false.
bool RunAsAdmin();

}  // namespace varnel
