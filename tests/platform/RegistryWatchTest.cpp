#include "platform/RegistryWatch.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>

#include "tests/support/TempDir.h"

namespace {

using platform::RegistryStore;
using platform::RegistryValue;
using platform::RegistryWatch;

constexpr const char* kKey = "system\\state\\phone\\";
constexpr const char* kName = "active call count";

// The values a watch reported, in order; Next waits up to 5 s for one (-1: none came).
class Reports {
 public:
  void Add(std::uint32_t value) {
    std::lock_guard<std::mutex> lock(mutex_);
    values_.push_back(value);
    changed_.notify_all();
  }
  std::int64_t Next() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!changed_.wait_for(lock, std::chrono::seconds(5), [this] { return !values_.empty(); })) return -1;
    const std::uint32_t value = values_.front();
    values_.pop_front();
    return value;
  }

 private:
  std::mutex mutex_;  // guards values_
  std::condition_variable changed_;
  std::deque<std::uint32_t> values_;
};

// Writes through another store object (as another process would): each change of the watched
// value is reported once; writes of other values, of the same value, and a value of the wrong
// type (read as 0) are reported only when the number read changes; removing the file reads 0.
TEST(RegistryWatch, ReportsEachChangeOfTheValueMadeElsewhere) {
  testsupport::TempDir dir;
  RegistryStore writer(dir / "config");
  ASSERT_TRUE(writer.SetValue(kKey, kName, RegistryValue::Dword(0)));
  Reports reports;
  auto watch = RegistryWatch::Open(RegistryStore(dir / "config"), kKey, kName, [&](std::uint32_t v) { reports.Add(v); });
  ASSERT_NE(watch, nullptr);

  ASSERT_TRUE(writer.SetValue(kKey, kName, RegistryValue::Dword(1)));
  EXPECT_EQ(reports.Next(), 1);
  ASSERT_TRUE(writer.SetValue("Software\\Vornalo\\Main", "overlayColor", RegistryValue::Dword(3)));
  ASSERT_TRUE(writer.SetValue(kKey, kName, RegistryValue::Dword(1)));
  ASSERT_TRUE(writer.SetValue(kKey, kName, RegistryValue::Dword(2)));
  EXPECT_EQ(reports.Next(), 2);  // nothing for the writes between
  ASSERT_TRUE(writer.SetValue(kKey, kName, RegistryValue::String(u"3")));
  EXPECT_EQ(reports.Next(), 0);
  ASSERT_TRUE(writer.SetValue(kKey, kName, RegistryValue::Dword(5)));
  EXPECT_EQ(reports.Next(), 5);
  std::filesystem::remove(writer.FilePath());
  EXPECT_EQ(reports.Next(), 0);
}

// A folder that cannot exist (below a plain file) cannot be watched: no watch, no thread.
TEST(RegistryWatch, UnwatchableFolderGivesNoWatch) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir / "file", "x");
  auto watch = RegistryWatch::Open(RegistryStore(dir / "file" / "config"), kKey, kName, [](std::uint32_t) {});
  EXPECT_EQ(watch, nullptr);
}

}  // namespace
