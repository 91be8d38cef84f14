#include "platform/window/EditField.h"

#include <gtest/gtest.h>

#include "platform/headless/HeadlessBackend.h"
#include "platform/window/Window.h"
#include "tests/support/RecordingWindowProcedure.h"

namespace {

using platform::EditField;
using platform::InputEvent;
namespace vk = platform::vk;
namespace wm = platform::wm;

TEST(EditFieldTest, LimitRefusesWhatDoesNotFit) {
  EditField field(1);
  field.SetLimit(80);
  field.InsertText(std::string(79, 'a'));
  field.InsertText("b");
  field.InsertText("c");  // the 81st character
  EXPECT_EQ(field.Text().size(), 80u);
  EXPECT_EQ(field.Text().back(), u'b');
  // Replacing a selection frees its room; a surrogate pair is never split at the limit.
  field.SetSelection(0, 2);
  field.InsertText("\xF0\x9D\x84\x9E\xF0\x9D\x84\x9E");
  EXPECT_EQ(field.Text().size(), 80u);
  EXPECT_EQ(field.Text().substr(0, 3), std::u16string(u"\U0001D11Ea"));  // room for one pair only
  field.SetSelection(0, 0);
  field.InsertText("\xF0\x9D\x84\x9E");  // needs two units, none free
  EXPECT_EQ(field.Text().size(), 80u);
}

TEST(EditFieldTest, EditingKeysMoveByCharacters) {
  EditField field(1);
  field.InsertText("a\xF0\x9D\x84\x9E" "b");  // a, a surrogate pair, b
  EXPECT_EQ(field.Caret(), 4u);
  field.KeyDown(vk::kLeft, false);
  field.KeyDown(vk::kLeft, false);
  EXPECT_EQ(field.Caret(), 1u);
  field.KeyDown(vk::kDelete, false);
  EXPECT_EQ(field.Text(), u"ab");
  field.KeyDown(vk::kEnd, false);
  field.KeyDown(vk::kLeft, true);
  field.KeyDown(vk::kLeft, true);
  EXPECT_EQ(field.SelectionStart(), 0u);
  EXPECT_EQ(field.SelectionEnd(), 2u);
  field.InsertText("xyz");
  EXPECT_EQ(field.Text(), u"xyz");
  field.KeyDown(vk::kBack, false);
  EXPECT_EQ(field.Text(), u"xy");
  field.SetSelection(0, -1);
  field.InsertText("\t\n");  // control characters are not text
  EXPECT_EQ(field.Text(), u"xy");
}

TEST(EditFieldTest, LongTextScrollsToKeepTheCaretVisible) {
  platform::Surface surface(200, 40, platform::PixelFormat::kXrgb32);
  platform::Canvas canvas(surface);
  EditField field(1);
  field.SetRect(platform::Rect{10, 10, 110, 25});
  field.Show(true);
  field.SetText(u"a query far longer than the field it is typed into");
  field.Draw(canvas, true);
  // The caret (a black column) sits inside the field at its right end.
  auto caretColumn = [&]() {
    for (int x = 109; x >= 10; --x) {
      bool black = true;
      for (int y = 12; y < 22 && black; ++y) black = canvas.GetPixel(x, y) == 0;
      if (black) return x;
    }
    return -1;
  };
  EXPECT_GE(caretColumn(), 100);
  EXPECT_EQ(canvas.GetPixel(111, 15), 0u);  // nothing drawn outside the field
  field.KeyDown(vk::kHome, false);
  canvas.FillRect(canvas.Bounds(), 0);
  field.Draw(canvas, true);
  EXPECT_EQ(caretColumn(), 11);
}

TEST(EditFieldTest, TheWindowRoutesKeysTextAndTapsToTheFocusedField) {
  platform::HeadlessBackend backend([](const std::string&) {});
  platform::Window window(backend, platform::Size{240, 320}, u"t");
  testsupport::RecordingWindowProcedure procedure;
  window.Create(procedure);
  EditField& field = window.CreateEditField();
  field.SetRect(platform::Rect{7, 100, 233, 115});
  field.SetLimit(80);
  field.SetKeyHook([&](std::uint32_t key, std::intptr_t keyData) {
    if (key != vk::kDown) return false;
    window.Post(wm::kKeyDown, key, keyData);  // hand Down to the window, as the query field does
    return true;
  });
  field.Show(true);
  window.SetFocus(&field);
  auto send = [&](InputEvent::Type type, std::uint32_t key, const std::string& text, int x = 0, int y = 0) {
    InputEvent e;
    e.type = type;
    e.key = key;
    e.text = text;
    e.x = x;
    e.y = y + window.ClientArea().top;
    window.HandleInput(e);
  };
  send(InputEvent::Type::kText, 0, "c9");
  send(InputEvent::Type::kKeyDown, vk::kDown, "");
  window.RunUntilIdle();
  EXPECT_EQ(field.Text(), u"c9");
  EXPECT_TRUE(procedure.Only({wm::kChar}).empty());  // typing went to the field, not the window
  ASSERT_EQ(procedure.Only({wm::kKeyDown}).size(), 1u);
  EXPECT_EQ(procedure.Only({wm::kKeyDown})[0].wParam, vk::kDown);
  // A tap outside the field reaches the window; the focus is the application's to move.
  window.SetFocus(nullptr);
  send(InputEvent::Type::kText, 0, "c");
  send(InputEvent::Type::kStylusDown, 0, "", 5, 50);
  send(InputEvent::Type::kStylusUp, 0, "", 5, 50);
  send(InputEvent::Type::kStylusDown, 0, "", 20, 105);  // on the field: focus moves to it
  send(InputEvent::Type::kStylusUp, 0, "", 20, 105);
  window.RunUntilIdle();
  EXPECT_EQ(procedure.Only({wm::kChar}).size(), 1u);
  EXPECT_EQ(procedure.Only({wm::kStylusDown}).size(), 1u);
  EXPECT_EQ(window.Focus(), &field);
}

}  // namespace
