#include "platform/OsInfo.h"

#include "platform/Log.h"

namespace varnel {

int GetOsVersionClass() { return 0; }

bool RunAsAdmin() {
  LogPrint("RunAsAdmin: no elevated relaunch on this platform");
  return false;
}

}  // namespace varnel
