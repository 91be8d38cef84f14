// The controls driven through the real window by vornalo-gallery, and what they post.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/TempDir.h"

namespace {

std::string RunGallery(const std::string& screen, const std::string& script) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir / "script.txt", script);
  const std::string command = std::string(VORNALO_GALLERY) + " --screen " + screen + " --script " +
                              (dir / "script.txt").string() + " 2>&1";
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << output;
  }
  return output;
}

// Checks that the lines appear in this order.
void ExpectInOrder(const std::string& output, std::initializer_list<const char*> lines) {
  std::size_t at = 0;
  for (const char* line : lines) {
    const std::size_t found = output.find(std::string("gallery: ") + line + "\n", at);
    ASSERT_NE(found, std::string::npos) << "missing after offset " << at << ": " << line << "\n" << output;
    at = found;
  }
}

TEST(GalleryScenarioTest, ControlsPostWhatTheUserChose) {
  const std::string output = RunGallery("240x320",
                                        "tap 20 10\n"      // collapsed tab 0
                                        "tap 222 56\n"     // the next-page button
                                        "tap 100 110\n"    // row 1 of page 2
                                        "tap 100 140\n"    // below the last row of page 2
                                        "key Tab\nkey Tab\nkey Tab\n"
                                        "tap 205 111\n"    // the theme list's next page
                                        "char c\n"
                                        "key Tab\n"
                                        "text Jazz\n"
                                        "key Down\n"       // through the query field to the list
                                        "key Enter\n"
                                        "tap 100 153\n"    // the second entry
                                        "quit\n");
  ExpectInOrder(output, {"tab selected 0", "next page", "row activated 6", "scene themes", "next page",
                         "theme Go-Go Green", "scene search", "entry selected 1", "query entered \"Jazz\"",
                         "entry chosen \"Search: AudioCues\" value 0"});
  EXPECT_EQ(output.find("row activated 7"), std::string::npos);
}

}  // namespace
