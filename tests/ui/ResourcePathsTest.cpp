#include "ui/ResourcePaths.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/DebugLog.h"
#include "platform/TextCodec.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestPng.h"
#include "ui/STScreenBuffer.h"
#include "ui/ShellImageLoader.h"

namespace {

using ui::ResourcePaths;

TEST(ResourcePathsTest, ScaleChoosesTheFolderAndEachFormHasItsOwnBuffer) {
  for (const auto& [scale, folder] :
       {std::pair<std::uint32_t, std::string>{2, "/opt/vornalo/vga/"}, {1, "/opt/vornalo/qvga/"}}) {
    ResourcePaths paths("/opt/vornalo", scale);
    const char* narrow = paths.GetResourcePathA(u"\\list_resources\\Normal_CueList_Icon.png");
    EXPECT_EQ(std::u16string(paths.GetResourcePathW(u"\\other.png")), platform::Utf8ToUtf16(folder + "other.png"));
    EXPECT_EQ(std::string(narrow), folder + "list_resources/Normal_CueList_Icon.png") << "kept past the wide call";
  }
  ResourcePaths paths("/x", 2);
  paths.SetOverrideDirectory("/srv/res/");
  EXPECT_STREQ(paths.GetResourcePathA(u"\\player\\skins\\Bj\u00f6rk_tn.png"), "/srv/res/player/skins/Bj\xc3\xb6rk_tn.png");
}

TEST(ResourcePathsTest, PathsBeyondTheBufferAreRejected) {
  ResourcePaths paths("/x", 1);  // base "/x/qvga" + "/" = 8 characters
  std::u16string fits = u"\\" + std::u16string(259 - 8, u'a');
  std::u16string tooLong = fits + u"a";
  ASSERT_NE(paths.GetResourcePathW(fits.c_str()), nullptr);
  EXPECT_EQ(std::u16string(paths.GetResourcePathW(fits.c_str())).size(), 259u);
  EXPECT_EQ(paths.GetResourcePathW(tooLong.c_str()), nullptr);
  EXPECT_EQ(paths.GetResourcePathA(tooLong.c_str()), nullptr);
  // 200 two-byte characters fit the wide buffer but not 260 bytes of UTF-8.
  std::u16string wideOnly = u"\\" + std::u16string(200, u'\u00e9');
  EXPECT_NE(paths.GetResourcePathW(wideOnly.c_str()), nullptr);
  EXPECT_EQ(paths.GetResourcePathA(wideOnly.c_str()), nullptr);
  EXPECT_EQ(paths.GetResourcePathA(nullptr), nullptr);
}

TEST(ResourcePathsTest, MissingResourceGives1001AndTheLoadersAgree) {
  testsupport::TempDir dir;
  ResourcePaths paths(dir.Path().string(), 1);
  std::filesystem::create_directories(dir / "qvga" / "tab_resources");
  ASSERT_TRUE(testsupport::WriteSolidRgbaPng((dir / "qvga" / "tab_resources" / "tab_middle.png").string(), 3, 19,
                                             10, 20, 30, 255));
  int error = 0;
  auto middle = ui::LoadImageFile(paths.GetResourcePathW(u"\\tab_resources\\tab_middle.png"), error);
  ASSERT_NE(middle, nullptr);
  EXPECT_EQ(ui::ImageLoadResult(true, error), 1);
  EXPECT_EQ(middle->Width(), 3);
  EXPECT_EQ(middle->Height(), 19);
  EXPECT_EQ(middle->GetPixel(2, 18), 0x0A141Eu);

  EXPECT_EQ(ui::LoadImageFile(paths.GetResourcePathW(u"\\tab_resources\\nothing.png"), error), nullptr);
  EXPECT_EQ(ui::ImageLoadResult(false, error), 1001);
  testsupport::WriteFile(dir / "qvga" / "broken.png", "not an image");
  EXPECT_EQ(ui::LoadImageFile(paths.GetResourcePathW(u"\\broken.png"), error), nullptr);
  EXPECT_EQ(ui::ImageLoadResult(false, error), 1002);

  // The opaque loader composes transparency over black.
  ASSERT_TRUE(testsupport::WriteSolidRgbaPng((dir / "qvga" / "clear.png").string(), 2, 2, 255, 255, 255, 0));
  auto clear = ui::LoadImageFile(paths.GetResourcePathW(u"\\clear.png"), error);
  ASSERT_NE(clear, nullptr);
  EXPECT_EQ(clear->GetPixel(1, 1), 0u);
}

// A non-UTF-8 install folder still leads both loaders to its files, bytes unchanged.
TEST(ResourcePathsTest, InstallFolderThatIsNotUtf8) {
  testsupport::TempDir dir;
  const std::string install = (dir / "inst\xff\xe9-\xc3").string();  // Latin-1 bytes, a cut-off sequence
  std::filesystem::create_directories(install + "/qvga/tab_resources");
  ASSERT_TRUE(testsupport::WriteSolidRgbaPng(install + "/qvga/tab_resources/tab_middle.png", 3, 2, 1, 2, 3, 255));
  ResourcePaths paths(install, 1);
  int error = 0;
  EXPECT_NE(ui::LoadImageFile(paths.GetResourcePathW(u"\\tab_resources\\tab_middle.png"), error), nullptr);
  EXPECT_EQ(error, 0);
  ui::STScreenBuffer image;
  EXPECT_TRUE(image.LoadPng(paths.GetResourcePathA(u"\\tab_resources\\tab_middle.png")));

  // Any bytes come back from the wide form as they went in; valid UTF-8 widens as usual.
  const std::string samples[] = {"plain", "Bj\xc3\xb6rk", "\xff\xfe", "\xc3", "\xe2\x82", "\xc0\xaf",
                                 "\xed\xa0\x80", "\xf4\x90\x80\x80", "a\x80" "b\xf0\x9f\x8e\xb5"};
  for (const std::string& bytes : samples) {
    EXPECT_EQ(ui::NarrowPath(ui::WidenPath(bytes)), bytes);
  }
  EXPECT_EQ(ui::WidenPath("Bj\xc3\xb6rk\xf0\x9f\x8e\xb5"), u"Bj\u00f6rk\U0001F3B5");
}

// A path too long for the buffer is a missing file ("Missing Files"), named in a debug line.
TEST(ResourcePathsTest, PathTooLongIsAMissingFileWithAReason) {
  ResourcePaths paths("/" + std::string(255, 'd'), 1);
  platform::SetDebugOutputEnabled(true);
  testing::internal::CaptureStderr();
  const char* narrow = paths.GetResourcePathA(u"\\tab_resources\\tab_middle.png");
  const char16_t* wide = paths.GetResourcePathW(u"\\tab_resources\\tab_middle.png");
  const std::string log = testing::internal::GetCapturedStderr();
  platform::SetDebugOutputEnabled(false);
  EXPECT_EQ(narrow, nullptr);
  EXPECT_EQ(wide, nullptr);
  EXPECT_NE(log.find("too long"), std::string::npos) << log;
  EXPECT_NE(log.find("tab_resources/tab_middle.png"), std::string::npos) << log;

  ui::STScreenBuffer image;
  const bool loaded = image.LoadPng(narrow);
  EXPECT_EQ(ui::ImageLoadResult(loaded, image.LoadError()), 1001);
  int error = 0;
  EXPECT_EQ(ui::LoadImageFile(wide, error), nullptr);
  EXPECT_EQ(ui::ImageLoadResult(false, error), 1001);
}

}  // namespace

#include "platform/headless/HeadlessBackend.h"
#include "ui/WindowWaitCursor.h"

namespace {

TEST(WindowWaitCursorTest, BeginAndEndReachTheWindow) {
  platform::HeadlessBackend backend([](const std::string&) {});
  platform::Window window(backend, platform::Size{240, 320}, u"t");
  ui::WindowWaitCursor host(window);
  core::WaitCursorHost* previous = core::SetWaitCursorHost(&host);
  core::BeginWaitCursor();
  EXPECT_TRUE(backend.IsWaitCursorShown());
  core::EndWaitCursor();
  EXPECT_FALSE(backend.IsWaitCursorShown());
  core::SetWaitCursorHost(previous);
}

}  // namespace
