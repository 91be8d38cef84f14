#include "screens/PlayerView.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "core/AppSettings.h"
#include "platform/TextCodec.h"
#include "screens/WindowMessages.h"
#include "ui/ResourceImages.h"
#include "ui/ViewMetrics.h"

namespace screens {
namespace {

constexpr std::chrono::milliseconds kFlashTime{75};

// Pictures, in the order Create loads them.
constexpr const char* kSymbolNormal[4] = {
    "\\player\\Main_Player_Previous_Symbol_Normal.png", "\\player\\Main_Player_Next_Symbol_Normal.png",
    "\\player\\Main_Player_Current_Playlist_Symbol_Normal.png", "\\player\\Main_Player_SearchResults_Symbol_Normal.png"};
constexpr const char* kPlayNormal = "\\player\\Main_Player_Play_Button_Normal.png";
constexpr const char* kPauseNormal = "\\player\\Main_Player_Pause_Button_Normal.png";
constexpr const char* kSymbolDown[4] = {
    "\\player\\Main_Player_Previous_Symbol_Clickdown.png", "\\player\\Main_Player_Next_Symbol_Clickdown.png",
    "\\player\\Main_Player_Current_Playlist_Symbol_Clickdown.png",
    "\\player\\Main_Player_SearchResults_Symbol_Clickdown.png"};
constexpr const char* kPlayDown = "\\player\\Main_Player_Play_Button_Clickdown.png";
constexpr const char* kPauseDown = "\\player\\Main_Player_Pause_Button_Clickdown.png";
constexpr const char* kCracks[PlayerView::kCrackImages] = {
    "\\player\\Glass_Crack_1.png", "\\player\\Glass_Crack_2.png", "\\player\\Glass_Crack_3.png",
    "\\player\\Glass_Crack_4.png"};
constexpr const char* kConsoles[2] = {"\\player\\Horizontal_Player_Console.png",
                                      "\\player\\Vertical_Player_Console.png"};
constexpr const char* kGlass[2] = {"\\player\\Horizontal_Player_Window_Shadow&Highlight.png",
                                   "\\player\\Vertical_Player_Window_Shadow&Highlight.png"};
constexpr const char* kProgressOverlays[2] = {"\\player\\Horizontal_Player_Window_Shadow_Highlight_Progress.png",
                                              "\\player\\Vertical_Player_Window_Shadow_Highlight_Progress.png"};
constexpr const char* kGaugeHandle = "\\player\\Main_Players_Gauge_Handle.png";
constexpr const char16_t* kLoadBar = u"\\player\\Main_Players_Load_Bar_Stretchable_Strip.png";
constexpr const char16_t* kSkinFolders[2] = {u"\\player\\skins\\landscape\\l_", u"\\player\\skins\\portrait\\p_"};

constexpr const char16_t* kSkinMissingCaption = u"Skin File Missing";
constexpr const char* kSkinMissingText =
    "The skin %s is missing from either the portrait or landscape skin directories.";

// Layout, QVGA (landscape, portrait).
constexpr platform::Rect kCreatorAlbumRect[2] = {{25, 8, 288, 24}, {31, 28, 214, 45}};
constexpr platform::Rect kTitleRect[2] = {{25, 23, 288, 43}, {20, 52, 221, 87}};
constexpr platform::Rect kElapsedRect[2] = {{27, 62, 62, 77}, {29, 127, 70, 180}};
constexpr platform::Rect kTotalRect[2] = {{260, 62, 288, 77}, {175, 127, 230, 160}};
constexpr platform::Rect kGlassRect[2] = {{11, 2, 306, 58}, {13, 9, 225, 135}};
constexpr platform::Point kProgressOverlayAt[2] = {{23, 41}, {21, 95}};
constexpr platform::Point kLoadBarOrigin[2] = {{27, 45}, {25, 99}};
constexpr std::int32_t kLoadBarWidth[2] = {266, 189};
// The handle sits this far (unscaled) above the bar.
constexpr std::int32_t kHandleRise = 4;
constexpr platform::Point kButtonAt[PlayerView::kButtonCount][2] = {
    {{139, 72}, {99, 152}},   // previous
    {{140, 145}, {100, 224}}, // next
    {{84, 106}, {44, 185}},   // current playlist
    {{196, 106}, {156, 185}}, // search results
    {{134, 105}, {94, 184}},  // play/pause
};
constexpr std::uint32_t kButtonMessage[PlayerView::kButtonCount] = {
    msg::kPlayerPreviousButton, msg::kPlayerNextButton, msg::kPlayerPlaylistTab, msg::kPlayerSearchTab,
    msg::kPlayPause};

constexpr std::int32_t kLineFontHeight = 15;
constexpr std::int32_t kTitleFontHeight = 18;
constexpr std::int32_t kTimeFontHeight = 15;
constexpr platform::Colour kTextColour = 0x000000;
constexpr platform::Colour kTimeColour = 0xBFBFBF;

platform::Rect Scaled(const platform::Rect& r) {
  const std::int32_t s = ui::Scale();
  return platform::Rect{r.left * s, r.top * s, r.right * s, r.bottom * s};
}

platform::Point Scaled(const platform::Point& p) { return platform::Point{p.x * ui::Scale(), p.y * ui::Scale()}; }

}  // namespace

PlayerView::PlayerView() : item_(std::make_unique<catalogue::AudioCueRecord>()) {
  std::memset(item_.get(), 0, sizeof(catalogue::AudioCueRecord));
  flashPause_ = [this] {
    if (window) window->Present();
    std::this_thread::sleep_for(kFlashTime);
  };
}

PlayerView::~PlayerView() = default;

int PlayerView::Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) {
  int result = View::Create(rects, owner, notifyCookie);
  auto load = [&result](ui::STScreenBuffer& image, const char* name) {
    if (result == 1) result = ui::LoadResourcePng(image, name);
  };
  for (int i = 0; i < 4; ++i) load(symbolNormal_[i], kSymbolNormal[i]);
  load(playNormal_, kPlayNormal);
  load(pauseNormal_, kPauseNormal);
  for (int i = 0; i < 4; ++i) load(symbolDown_[i], kSymbolDown[i]);
  load(playDown_, kPlayDown);
  load(pauseDown_, kPauseDown);
  for (int i = 0; i < kCrackImages; ++i) load(crackImages_[i], kCracks[i]);
  for (int o = 0; o < 2; ++o) load(console_[o], kConsoles[o]);
  for (int o = 0; o < 2; ++o) load(glass_[o], kGlass[o]);
  for (int o = 0; o < 2; ++o) load(progressOverlay_[o], kProgressOverlays[o]);
  load(gaugeHandle_, kGaugeHandle);
  if (result == 1) result = ui::LoadResourceBitmap(loadBar_, kLoadBar);
  if (result != 1) return result;

  const std::int32_t s = ui::Scale();
  lineFont_ = platform::Font::Create(kLineFontHeight * s, 400);
  titleFont_ = platform::Font::Create(kTitleFontHeight * s, 700);
  timeFont_ = platform::Font::Create(kTimeFontHeight * s, 700);
  for (int o = 0; o < 2; ++o) composed_[o].Create(width[o], height[o]);
  UpdateLayout();
  return 1;
}

platform::Rect PlayerView::ButtonRect(Button button) const {
  const int o = ui::Orientation();
  const platform::Point at = Scaled(kButtonAt[button][o]);
  const ui::STScreenBuffer& image = button == kPlayPause ? playNormal_ : symbolNormal_[button];
  const platform::Rect& r = rect[o];
  return platform::Rect{r.left + at.x, r.top + at.y, r.left + at.x + image.Width(), r.top + at.y + image.Height()};
}

bool PlayerView::OnKey(std::uint32_t virtualKey) {
  const bool underWay = playState != kNothing;
  switch (virtualKey) {
    case platform::vk::kReturn:
      if (underWay) Notify(msg::kPlayPause, 0);
      break;
    case platform::vk::kLeft:
      Notify(msg::kPlayerPlaylistTab, 0);
      break;
    case platform::vk::kUp:
      if (underWay) Notify(msg::kPlayerPreviousButton, 0);
      break;
    case platform::vk::kRight:
      Notify(msg::kPlayerSearchTab, 0);
      break;
    case platform::vk::kDown:
      if (underWay) Notify(msg::kPlayerNextButton, 0);
      break;
    default:
      break;
  }
  return false;
}

bool PlayerView::OnTap(std::int32_t x, std::int32_t y) {
  const int o = ui::Orientation();
  const platform::Rect glass = Scaled(kGlassRect[o]).Offset(rect[o].left, rect[o].top);
  if (glass.Contains(x, y)) {
    if (crackCount_ < kMaxCracks) {
      const int image = std::rand() % kCrackImages;
      const ui::STScreenBuffer& picture = crackImages_[image];
      // Kept relative to the view, so that the crack stays where it was tapped.
      cracks_[crackCount_++] =
          Crack{image, x - rect[o].left - picture.Width() / 2, y - rect[o].top - picture.Height() / 2};
      Draw();
    }
    return true;
  }
  // The load bar and the handle take no taps: the position cannot be changed from here.
  for (int b = 0; b < kButtonCount; ++b) {
    const auto button = static_cast<Button>(b);
    const bool needsTrack = button == kPrevious || button == kNext || button == kPlayPause;
    if (needsTrack && playState == kNothing) continue;
    if (ButtonRect(button).Contains(x, y)) {
      Notify(kButtonMessage[b], 0);
      break;
    }
  }
  return false;
}

void PlayerView::Show() {
  visible = true;
  crackCount_ = 0;
  Draw();
}

void PlayerView::UpdateLayout() {
  if (LoadSkin()) Compose(ui::Orientation());
}

bool PlayerView::LoadSkin() {
  const std::u16string name = settings_ ? settings_->currentSkinName : std::u16string();
  if (name.empty()) {
    skinLoaded_ = false;
    return true;
  }
  if (name == loadedSkin_ && !reloadSkin_) return true;
  reloadSkin_ = false;
  skinLoaded_ = true;
  int results[2] = {1, 1};
  for (int o = 0; o < 2; ++o) {
    results[o] = ui::LoadResourcePng(skin_[o], (kSkinFolders[o] + name + u".png").c_str());
    if (results[o] != 1) break;
  }
  if (results[0] == 1 && results[1] == 1) {
    loadedSkin_ = name;
    return true;
  }
  // A failed load leaves a slot empty: whatever skin is chosen next must be loaded again.
  loadedSkin_.clear();
  skinLoaded_ = false;
  if (results[0] != 1001 && results[1] != 1001) return true;
  settings_->SetSkinName(std::u16string());
  if (window) {
    char text[sizeof kSkinMissingText + core::AppSettings::kSkinNameMaxBytes * 2];
    std::snprintf(text, sizeof text, kSkinMissingText, platform::Utf16ToUtf8(name).c_str());
    window->ShowMessageBox(kSkinMissingCaption, platform::Utf8ToUtf16(text), platform::MessageBoxButtons::kOk);
  }
  return false;
}

std::u16string PlayerView::CreatorAlbumLine() const {
  const audio::TrackInfo& t = progress_.trackInfo;
  if (!t.creator.empty() && !t.album.empty()) return t.creator + u" - " + t.album;
  return t.creator.empty() ? t.album : t.creator;
}

void PlayerView::Compose(int o) {
  platform::Canvas* dc = composed_[o].GetDC();
  if (!dc) return;
  const std::int32_t left = rect[o].left;
  dc->FillRect(platform::Rect{0, 0, width[o], height[o]}, themeColour_ ? themeColour_() : backgroundColour);
  console_[o].DrawAlpha(*dc, left, 0);

  dc->SetBkMode(platform::BackgroundMode::kTransparent);
  dc->SetTextColor(kTextColour);
  const std::uint32_t oneLine = platform::kDtCenter | platform::kDtSingleLine | platform::kDtEndEllipsis;
  dc->SelectFont(lineFont_.get());
  platform::Rect box = Scaled(kCreatorAlbumRect[o]).Offset(left, 0);
  dc->DrawText(CreatorAlbumLine(), box, oneLine);
  dc->SelectFont(nullptr);
  box = Scaled(kTitleRect[o]).Offset(left, 0);
  if (o == 0) {
    dc->SelectFont(titleFont_.get());
    dc->DrawText(progress_.trackInfo.title, box, oneLine);
    dc->SelectFont(nullptr);
  } else if (composed_[o].Bitmap()) {
    // Portrait wraps the title. Every line that starts inside the rectangle is drawn, the
    // last one cut at its bottom edge, as word-wrapped text is on the phone: two lines of the
    // title font need a pixel more than the rectangle has.
    platform::Canvas titleDc(*composed_[o].Bitmap(), box);
    titleDc.SetBkMode(platform::BackgroundMode::kTransparent);
    titleDc.SetTextColor(kTextColour);
    titleDc.SelectFont(titleFont_.get());
    const std::int32_t lineHeight = titleFont_ ? std::max(1, titleFont_->Height()) : 1;
    platform::Rect lines{0, 0, box.Width(), (box.Height() + lineHeight - 1) / lineHeight * lineHeight};
    titleDc.DrawText(progress_.trackInfo.title, lines,
                     platform::kDtCenter | platform::kDtWordBreak | platform::kDtEndEllipsis);
  }

  glass_[o].DrawAlpha(*dc, left, 0);
  if (skinLoaded_) skin_[o].DrawAlpha(*dc, left, 0);
}

void PlayerView::Paint(platform::Canvas& dc) {
  const int o = ui::Orientation();
  composed_[o].BlitTo(dc, 0, 0);
  DrawTimes(dc, o);
  DrawLoadBar(dc, o);
  const platform::Point overlay = Scaled(kProgressOverlayAt[o]);
  progressOverlay_[o].DrawAlpha(dc, overlay.x, overlay.y);
  for (int i = 0; i < crackCount_; ++i) crackImages_[cracks_[i].image].DrawAlpha(dc, cracks_[i].x, cracks_[i].y);
  for (int b = 0; b < 4; ++b) {
    const platform::Point at = Scaled(kButtonAt[b][o]);
    symbolNormal_[b].DrawAlpha(dc, at.x, at.y);
  }
  const platform::Point centre = Scaled(kButtonAt[kPlayPause][o]);
  (playState == kPlaying ? pauseNormal_ : playNormal_).DrawAlpha(dc, centre.x, centre.y);
}

void PlayerView::DrawTimes(platform::Canvas& dc, int o) {
  dc.SetBkMode(platform::BackgroundMode::kTransparent);
  dc.SetTextColor(kTimeColour);
  const platform::Font* previous = dc.SelectFont(timeFont_.get());
  // Not clipped to the rectangles: DejaVu Sans Bold is wider than the phone's font, and
  // "0:15" would lose its last digit in the landscape total's 28-pixel box at VGA.
  const std::uint32_t flags = platform::kDtLeft | platform::kDtTop | platform::kDtSingleLine | platform::kDtNoClip;
  platform::Rect box = Scaled(kElapsedRect[o]);
  dc.DrawText(TrackProgress::FormatTime(progress_.ElapsedSec()), box, flags);
  box = Scaled(kTotalRect[o]);
  dc.DrawText(TrackProgress::FormatTime(progress_.durationSec), box, flags);
  dc.SelectFont(previous);
}

void PlayerView::DrawLoadBar(platform::Canvas& dc, int o) {
  const platform::Point origin = Scaled(kLoadBarOrigin[o]);
  const std::int32_t fullWidth = kLoadBarWidth[o] * ui::Scale();
  const std::int32_t barWidth = fullWidth * progress_.loadPercent / 100;
  if (loadBar_ && barWidth > 0) {
    StretchStrip(dc, platform::Rect{origin.x, origin.y, origin.x + barWidth, origin.y + loadBar_->Height()}, *loadBar_,
                 platform::Rect{0, 0, loadBar_->Width(), loadBar_->Height()});
  }
  if (progress_.durationSec > 0) {
    gaugeHandle_.DrawAlpha(dc, origin.x + fullWidth * progress_.positionPercent / 100, origin.y - kHandleRise);
  }
}

void PlayerView::SetTrack(const audio::TrackInfo& info, std::int32_t contentLength,
                          const audio::Mp3FrameHeader& header, std::uint64_t lengthSamples) {
  // ResetDisplay and the new track in one layout.
  playState = kNothing;
  progress_.SetTrack(info, contentLength, header, lengthSamples);
  UpdateLayout();
  if (visible) Draw();
}

void PlayerView::SetProgress(std::uint32_t bytesReceived, std::uint32_t positionSamples, std::uint64_t lengthSamples) {
  progress_.SetProgress(bytesReceived, positionSamples, lengthSamples);
  if (visible) Draw();
}

void PlayerView::ResetDisplay() {
  playState = kNothing;
  progress_.Reset();
  UpdateLayout();
  if (visible) Draw();
}

void PlayerView::SetItem(const catalogue::AudioCueRecord& record) { std::memcpy(item_.get(), &record, sizeof(catalogue::AudioCueRecord)); }

void PlayerView::FlashButton(Button button) {
  if (!window) return;
  platform::Canvas dc = window->GetDC();
  const platform::Rect at = ButtonRect(button);
  if (button == kPlayPause) {
    (playState == kPlaying ? pauseDown_ : playDown_).DrawAlpha(dc, at.left, at.top);
    if (flashPause_) flashPause_();
    return;
  }
  symbolDown_[button].DrawAlpha(dc, at.left, at.top);
  Draw(dc);
}

}  // namespace screens
