#pragma once

#include "app/StartupUi.h"

namespace app {

// The data connection start-up brings up before anything talks to the server. A desktop is
// either online or not, so connecting succeeds at once unless the program was started
// --offline, which stands for a phone without a data connection.
class DataNetwork {
 public:
  DataNetwork(bool offline, MessageBoxFunction messageBox)
      : offline_(offline), messageBox_(std::move(messageBox)) {}
  ~DataNetwork() { ReleaseDataNetwork(); }
  DataNetwork(const DataNetwork&) = delete;
  DataNetwork& operator=(const DataNetwork&) = delete;

  // 1 connected; 0 after showing "Data Connection Failure".
  int ConnectDataNetwork();
  // Gives the connection back (it may stay cached). Safe to call more than once.
  void ReleaseDataNetwork() { dataConnection_ = false; }
  bool IsConnected() const { return dataConnection_; }

 private:
  bool offline_;
  MessageBoxFunction messageBox_;
  bool dataConnection_ = false;
};

}  // namespace app
