#include "core/AppSettings.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/TestSettings.h"

namespace {

using platform::RegistryStore;
using platform::RegistryValue;
using testsupport::TestSettings;
constexpr auto FixedId = &TestSettings::FixedId;

int FailingId(std::uint8_t*, std::size_t*) { return -1; }

class AppSettingsTest : public ::testing::Test {
 protected:
  testsupport::TempDir dir_;
  RegistryStore store_{dir_.Path()};
};

TEST_F(AppSettingsTest, FirstStartUsesDefaultsAndSaveCreatesTheKey) {
  core::AppSettings settings(store_, FixedId);
  EXPECT_EQ(settings.overlayColor, 4u);
  EXPECT_STREQ(settings.themeNames[settings.overlayColor], "Jazzy Blue");
  EXPECT_EQ(settings.CurrentThemeColor(), 0x00D28E00u);
  EXPECT_EQ(settings.currentSkinName, u"Sunburst");
  EXPECT_FALSE(store_.KeyExists(core::AppSettings::kRegistryKey));

  ASSERT_EQ(settings.Save(), 0);
  auto skin = store_.Query(core::AppSettings::kRegistryKey, "currentSkinName");
  auto theme = store_.Query(core::AppSettings::kRegistryKey, "overlayColor");
  ASSERT_TRUE(skin && theme);
  EXPECT_EQ(*skin, RegistryValue::String(u"Sunburst"));
  EXPECT_EQ(skin->ByteSize(), 18u);
  EXPECT_EQ(*theme, RegistryValue::Dword(4));
}

TEST_F(AppSettingsTest, BadStoredValuesKeepDefaults) {
  store_.SetValues(core::AppSettings::kRegistryKey,
                   {{"overlayColor", RegistryValue::Dword(12)},
                    {"currentSkinName", RegistryValue::String(std::u16string(300, u'x'))}});
  core::AppSettings settings(store_, FixedId);
  EXPECT_EQ(settings.overlayColor, 4u);
  EXPECT_EQ(settings.currentSkinName, u"Sunburst");  // too long for the 520-byte read

  store_.SetValue(core::AppSettings::kRegistryKey, "overlayColor", RegistryValue::String(u"3"));
  core::AppSettings wrongType(store_, FixedId);
  EXPECT_EQ(wrongType.overlayColor, 4u);
}

// "None" is stored as an empty string and loads back empty; a long name is cut to 259 characters.
TEST_F(AppSettingsTest, SkinNamesRoundTripEmptyAndCutAt259Characters) {
  struct Case {
    std::u16string set, kept;
    std::uint32_t storedBytes;
  };
  for (const Case& c : {Case{u"", u"", 2}, Case{std::u16string(400, u'k'), std::u16string(259, u'k'), 520}}) {
    {
      core::AppSettings settings(store_, FixedId);
      settings.SetSkinName(c.set);
      settings.overlayColor = 7;
      ASSERT_EQ(settings.Save(), 0);
    }
    EXPECT_EQ(store_.Query(core::AppSettings::kRegistryKey, "currentSkinName")->ByteSize(), c.storedBytes);
    core::AppSettings next(store_, FixedId);
    EXPECT_EQ(next.currentSkinName, c.kept);
    EXPECT_EQ(next.overlayColor, 7u);
  }
}

TEST_F(AppSettingsTest, DeviceIdIsStableFormSafeAndZeroWhenUnavailable) {
  core::AppSettings first(store_);
  core::AppSettings second(store_);
  EXPECT_EQ(first.deviceId, second.deviceId);
  EXPECT_EQ(first.deviceId.find_first_of("+= "), std::string::npos);
  EXPECT_GE(first.deviceId.size(), 28u);

  // 0xF0.. encodes with "+" and "/" in it: "+" is escaped, "/" kept.
  core::AppSettings fixed(store_, FixedId);
  EXPECT_EQ(fixed.deviceId, "8PHy8/T19vf4%2Bfr7/P3%2B/wABAgM%3D");
  EXPECT_EQ(core::AppSettings(store_, FailingId).deviceId, std::string(27, 'A') + "%3D");
}

TEST_F(AppSettingsTest, ApiKeyIsBuiltInAndNeverStored) {
  store_.SetValue(core::AppSettings::kRegistryKey, "apiKey", RegistryValue::String(u"stolen"));
  core::AppSettings settings(store_, FixedId);
  std::string key(core::AppSettings::BuiltInApiKey());
  ASSERT_EQ(key.size(), 15u);
  EXPECT_EQ(key.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_EQ(settings.apiKey, std::u16string(key.begin(), key.end()));
  settings.Save();
  auto stored = store_.ReadAll()[core::AppSettings::kRegistryKey];
  EXPECT_EQ(stored.size(), 3u);  // the two settings and the value written above
}

}  // namespace
