#include "core/AppSettings.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/TempDir.h"

namespace {

using platform::RegistryStore;
using platform::RegistryValue;

int FixedId(std::uint8_t* out, std::size_t* length) {
  for (std::size_t i = 0; i < 20; ++i) out[i] = static_cast<std::uint8_t>(0xF8 + i);
  *length = 20;
  return 0;
}

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

TEST_F(AppSettingsTest, ThemeTableMatchesTheColourMenu) {
  core::AppSettings settings(store_, FixedId);
  EXPECT_STREQ(settings.themeNames[0], "Basic Black");
  EXPECT_STREQ(settings.themeNames[3], "Wild Purple");
  EXPECT_EQ(settings.themeColors[3], 0x00943F47u);
  EXPECT_STREQ(settings.themeNames[9], "Gothic Magenta");
  EXPECT_EQ(settings.themeColors[9], 0x008D2BDBu);
  EXPECT_EQ(settings.themeColors[6], 0x0000DEFEu);
}

TEST_F(AppSettingsTest, NextThemeWrapsFromNineToZero) {
  core::AppSettings settings(store_, FixedId);
  settings.overlayColor = 9;
  settings.NextTheme();
  EXPECT_EQ(settings.overlayColor, 0u);
  settings.NextTheme();
  EXPECT_EQ(settings.overlayColor, 1u);
}

TEST_F(AppSettingsTest, NoneSkinIsStoredEmptyAndLoadedEmpty) {
  {
    core::AppSettings settings(store_, FixedId);
    settings.SetSkinName(u"");
    settings.overlayColor = 7;
    ASSERT_EQ(settings.Save(), 0);
  }
  auto skin = store_.Query(core::AppSettings::kRegistryKey, "currentSkinName");
  ASSERT_TRUE(skin);
  EXPECT_EQ(skin->ByteSize(), 2u);
  core::AppSettings next(store_, FixedId);
  EXPECT_EQ(next.currentSkinName, u"");
  EXPECT_EQ(next.overlayColor, 7u);
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

TEST_F(AppSettingsTest, SkinNameIsCutAt259Characters) {
  core::AppSettings settings(store_, FixedId);
  settings.SetSkinName(std::u16string(400, u'k'));
  EXPECT_EQ(settings.currentSkinName.size(), 259u);
  ASSERT_EQ(settings.Save(), 0);
  core::AppSettings next(store_, FixedId);
  EXPECT_EQ(next.currentSkinName, std::u16string(259, u'k'));
}

TEST_F(AppSettingsTest, DeviceIdIsStableAndFormSafe) {
  core::AppSettings first(store_);
  core::AppSettings second(store_);
  EXPECT_EQ(first.deviceId, second.deviceId);
  EXPECT_EQ(first.deviceId.find_first_of("+= "), std::string::npos);
  EXPECT_GE(first.deviceId.size(), 28u);

  // 0xF8.. encodes with "+" and "/" in it: "+" is escaped, "/" kept.
  core::AppSettings fixed(store_, FixedId);
  EXPECT_EQ(fixed.deviceId, "%2BPn6%2B/z9/v8AAQIDBAUGBwgJCgs%3D");
}

TEST_F(AppSettingsTest, FailedDeviceIdSendsTheZeroIdentifier) {
  core::AppSettings settings(store_, FailingId);
  EXPECT_EQ(settings.deviceId, std::string(27, 'A') + "%3D");
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
