#include "tools/soak/CallSetter.h"

#include <map>
#include <vector>

namespace soak {

CallSetter::CallSetter(std::string program, std::filesystem::path configDirectory, std::filesystem::path work)
    : program_(std::move(program)), configDirectory_(std::move(configDirectory)), work_(std::move(work)) {}

void CallSetter::Set(std::uint32_t count) {
  Finish();
  running_ = std::make_unique<platform::ChildProcess>(
      program_, std::vector<std::string>{"--set-call-count", std::to_string(count), "--config-dir", configDirectory_},
      std::map<std::string, std::string>{}, work_, work_ / "set-call-count.out");
  last_ = count;
}

std::string CallSetter::Finish() {
  if (!running_) return {};
  running_->Wait();
  const std::string status = running_->Describe();
  running_.reset();
  return status == "exit 0" ? std::string() : "--set-call-count ended with " + status + "\n";
}

}  // namespace soak
