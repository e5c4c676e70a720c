#pragma once
// Tells a service manager that watches this process ($NOTIFY_SOCKET, as systemd sets for a
// Type=notify service) that start-up is complete. Without the variable nothing happens.
namespace varnel {

bool NotifyReady();

}  // namespace varnel
