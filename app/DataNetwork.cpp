#include "app/DataNetwork.h"

#include "app/StartupMessages.h"
#include "platform/DebugLog.h"

namespace app {

int DataNetwork::ConnectDataNetwork() {
  if (offline_) {
    platform::DebugOutput("data connection: offline");
    messageBox_(kDataConnectionFailureCaption, kDataConnectionFailureText, platform::MessageBoxButtons::kOk);
    return 0;
  }
  dataConnection_ = true;
  return 1;
}

}  // namespace app
