// The painter: the four fonts, the 54 skin images, the screen rectangle and
// the back buffer of the waiter, shared by every screen's drawing. The view
// creates it once and initialises it after its window exists.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <unordered_map>

#include "model/data_state.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/font.h"
#include "platform/rect.h"
#include "ui/skin_image.h"
#include "ui/skin_image_table.h"

namespace kestrova::resources {
class SkinArchive;
}  // namespace kestrova::resources

namespace kestrova::ui {

class TickerRegistry;
class EntryEdit;

// Line heights of the four fonts, all "Arial" bold.
constexpr int kFontTitleHeight = 17;
constexpr int kFontTextHeight = 15;
constexpr int kFontBigHeight = 21;
constexpr int kFontSmallHeight = 11;
constexpr const char* kFontPattern = "Arial:bold";

// Text colours of the whole interface.
constexpr platform::Colour kWhite = platform::Rgb(255, 255, 255);
constexpr platform::Colour kBlack = platform::Rgb(0, 0, 0);
constexpr platform::Colour kHighlight = platform::Rgb(255, 223, 51);

class Painter {
 public:
  Painter() = default;
  Painter(const Painter&) = delete;
  Painter& operator=(const Painter&) = delete;

  // Decodes the 54 skin images from the process-wide skin archive, opens the
  // fonts and creates the back buffer of the screen's size. Missing images
  // and fonts leave those pieces undrawn; the painter works all the same.
  void Initialise(const platform::Rect& screen, model::DataState* data, TickerRegistry* tickers);
  // The image part of Initialise, from any archive (for tests).
  void LoadImages(const resources::SkinArchive& archive);

  const platform::Rect& Screen() const { return screen_; }
  void SetScreen(const platform::Rect& screen) { screen_ = screen; }
  int ScreenWidth() const { return screen_.Width(); }
  int ScreenHeight() const { return screen_.Height(); }

  const platform::Font* FontTitle() const { return fontTitle_.get(); }
  const platform::Font* FontText() const { return fontText_.get(); }
  const platform::Font* FontBig() const { return fontBig_.get(); }
  const platform::Font* FontSmall() const { return fontSmall_.get(); }

  // The image of a table id; an empty image for ids outside 0 to 53.
  const SkinImage& Image(int id) const;

  platform::Bitmap& BackBuffer() { return backBuffer_; }
  // The view's ticker registry; null before initialisation.
  TickerRegistry* Tickers() const { return tickers_; }
  void SetTickers(TickerRegistry* tickers) { tickers_ = tickers; }
  model::DataState* Data() const { return data_; }
  EntryEdit* Edit() const { return edit_; }
  void SetEdit(EntryEdit* edit) { edit_ = edit; }

  // The localised text of a string id, looked up once per language so that
  // drawing does not copy it on every frame.
  const std::wstring& Text(int stringId);
  // A working string that keeps its capacity between uses (label shortening).
  std::wstring& Scratch() { return scratch_; }

 private:
  platform::Rect screen_;
  model::DataState* data_ = nullptr;
  TickerRegistry* tickers_ = nullptr;
  EntryEdit* edit_ = nullptr;
  std::unique_ptr<platform::Font> fontTitle_;
  std::unique_ptr<platform::Font> fontText_;
  std::unique_ptr<platform::Font> fontBig_;
  std::unique_ptr<platform::Font> fontSmall_;
  std::array<SkinImage, kSkinImageCount> images_;
  SkinImage noImage_;
  platform::Bitmap backBuffer_;
  std::unordered_map<int, std::wstring> texts_;
  int textsLanguage_ = -1;
  std::wstring scratch_;
};

// Draws a skin image with its top-left corner at (x, y): alpha-drawn images
// blended, colour-keyed ones with the key colour transparent, others copied.
// Unloaded images and ids outside 0 to 53 draw nothing.
void DrawImage(Painter& painter, platform::Canvas& target, int imageId, int x, int y);
// A one-pixel solid line from (x1, y1) to (x2, y2), end point excluded.
void DrawLine(Painter& painter, platform::Canvas& target, int x1, int y1, int x2, int y2, platform::Colour colour);

}  // namespace kestrova::ui
