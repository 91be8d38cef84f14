#include "platform/RegistryStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AtomicFile.h"
#include "tests/support/TempDir.h"

namespace {

using platform::RegistryStore;
using platform::RegistryValue;

constexpr const char* kKey = "Software\\Vornalo\\Main";

TEST(RegistryStore, RoundTripsTypedValuesAcrossInstances) {
  testsupport::TempDir dir;
  {
    RegistryStore store(dir.Path() / "nested" / "vornalo");
    ASSERT_TRUE(store.SetValues(kKey, {{"currentSkinName", RegistryValue::String(u"Caf\u00e9\ttab\\ \U0001F3B5\n")},
                                       {"overlayColor", RegistryValue::Dword(4294967295u)}}));
    ASSERT_TRUE(store.SetValue("system\\state\\phone", "active call count", RegistryValue::Dword(2)));
  }
  RegistryStore again(dir.Path() / "nested" / "vornalo");
  EXPECT_EQ(again.Query(kKey, "currentSkinName"), RegistryValue::String(u"Caf\u00e9\ttab\\ \U0001F3B5\n"));
  EXPECT_EQ(again.Query(kKey, "overlayColor"), RegistryValue::Dword(4294967295u));
  EXPECT_EQ(again.Query("system\\state\\phone", "active call count"), RegistryValue::Dword(2));
  EXPECT_FALSE(again.Query(kKey, "missing"));
  EXPECT_FALSE(again.Query("Software\\Other", "overlayColor"));
  EXPECT_TRUE(again.KeyExists(kKey));

  // Updating one value keeps the others.
  ASSERT_TRUE(again.SetValue(kKey, "overlayColor", RegistryValue::Dword(9)));
  EXPECT_EQ(again.Query(kKey, "overlayColor"), RegistryValue::Dword(9));
  EXPECT_TRUE(again.Query(kKey, "currentSkinName"));
  EXPECT_TRUE(again.Query("system\\state\\phone", "active call count"));
}

TEST(RegistryStore, RefusesNamesThatWouldBreakTheFile) {
  testsupport::TempDir dir;
  RegistryStore store(dir.Path());
  EXPECT_FALSE(store.SetValue(kKey, "a\tb", RegistryValue::Dword(1)));
  EXPECT_FALSE(store.SetValue(kKey, "a\nb", RegistryValue::Dword(1)));
  EXPECT_FALSE(store.SetValue("bad]\nkey", "name", RegistryValue::Dword(1)));
  EXPECT_FALSE(store.SetValue(kKey, "", RegistryValue::Dword(1)));
  EXPECT_TRUE(store.ReadAll().empty());
}

TEST(RegistryStore, CorruptFilesReadAsEmpty) {
  const char* corrupt[] = {
      "[Software\\Vornalo\\Main]\noverlayColor\tdword\t12abc\n",
      "overlayColor\tdword\t4\n",  // a value before any key
      "[Software\\Vornalo\\Main]\noverlayColor\tqword\t4\n",
      "[Software\\Vornalo\\Main]\ncurrentSkinName\tsz\tbad\\q\n",
      "[Software\\Vornalo\\Main]\ncurrentSkinName\tsz\tcut\\x4\n",
      "[Software\\Vornalo\\Main]\noverlayColor\tdword\t4",  // truncated: no final newline
      "[Software\\Vornalo\\Main]\noverlayColor\tdword\t99999999999\n",
      "\x89PNG\r\n\x1a\n\0\0\0",
  };
  for (const char* text : corrupt) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / RegistryStore::kFileName, text);
    RegistryStore store(dir.Path());
    EXPECT_TRUE(store.ReadAll().empty()) << text;
    // The next write starts afresh instead of failing.
    EXPECT_TRUE(store.SetValue(kKey, "overlayColor", RegistryValue::Dword(3)));
    EXPECT_EQ(store.Query(kKey, "overlayColor"), RegistryValue::Dword(3));
  }
}

TEST(RegistryStore, InterruptedWriteKeepsThePreviousContents) {
  testsupport::TempDir dir;
  RegistryStore store(dir.Path());
  ASSERT_TRUE(store.SetValue(kKey, "overlayColor", RegistryValue::Dword(5)));
  const std::string before = testsupport::ReadFile(store.FilePath());
  {
    // A writer that dies after filling its temporary file but before the rename.
    platform::AtomicFileWriter writer(store.FilePath());
    ASSERT_TRUE(writer.IsOpen());
    ASSERT_TRUE(writer.Write("[Software\\Vornalo\\Main]\noverlayColor\tdword\t8\n"));
  }
  EXPECT_EQ(testsupport::ReadFile(store.FilePath()), before);
  EXPECT_EQ(store.Query(kKey, "overlayColor"), RegistryValue::Dword(5));
  // Nothing is left behind but the store and its lock.
  int files = 0;
  for (auto& entry : std::filesystem::directory_iterator(dir.Path())) files += entry.is_regular_file();
  EXPECT_EQ(files, 2);
}

TEST(RegistryStore, UnwritableFolderFailsAndKeepsTheOldFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  testsupport::TempDir dir;
  RegistryStore store(dir.Path());
  ASSERT_TRUE(store.SetValue(kKey, "overlayColor", RegistryValue::Dword(5)));
  ::chmod(dir.Path().c_str(), 0500);
  EXPECT_FALSE(store.SetValue(kKey, "overlayColor", RegistryValue::Dword(6)));
  ::chmod(dir.Path().c_str(), 0700);
  EXPECT_EQ(store.Query(kKey, "overlayColor"), RegistryValue::Dword(5));
}

TEST(RegistryStore, DefaultDirectoryFollowsXdgConfigHome) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  std::string savedValue = saved ? saved : "";
  ::setenv("XDG_CONFIG_HOME", "/tmp/xdg-test", 1);
  EXPECT_EQ(RegistryStore::DefaultDirectory(), std::filesystem::path("/tmp/xdg-test/vornalo"));
  ::setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
  EXPECT_NE(RegistryStore::DefaultDirectory(), std::filesystem::path("relative/vornalo"));
  if (saved) ::setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1); else ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
