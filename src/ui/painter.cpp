#include "ui/painter.h"

#include "resources/skin_archive.h"
#include "resources/string_table.h"
#include "ui/ticker.h"

namespace kestrova::ui {

namespace {

constexpr std::size_t kScratchCapacity = 512;

}  // namespace

void Painter::LoadImages(const resources::SkinArchive& archive) {
  for (int id = 0; id < kSkinImageCount; ++id) {
    const auto& entry = kSkinImageTable[static_cast<std::size_t>(id)];
    const std::uint8_t* data = nullptr;
    const std::size_t length = archive.Find(SkinFileName(entry.path), &data);
    images_[static_cast<std::size_t>(id)] = LoadSkinImage(id, length > 0 ? data : nullptr, length);
  }
}

void Painter::Initialise(const platform::Rect& screen, model::DataState* data, TickerRegistry* tickers) {
  screen_ = screen;
  data_ = data;
  tickers_ = tickers;
  LoadImages(resources::Skins());
  if (const auto file = platform::MatchFontFile(kFontPattern)) {
    fontTitle_ = platform::Font::Open(*file, kFontTitleHeight);
    fontText_ = platform::Font::Open(*file, kFontTextHeight);
    fontBig_ = platform::Font::Open(*file, kFontBigHeight);
    fontSmall_ = platform::Font::Open(*file, kFontSmallHeight);
  }
  backBuffer_ = platform::Bitmap(screen.Width(), screen.Height());
  scratch_.reserve(kScratchCapacity);
}

const SkinImage& Painter::Image(int id) const {
  if (id < 0 || id >= kSkinImageCount) return noImage_;
  return images_[static_cast<std::size_t>(id)];
}

const std::wstring& Painter::Text(int stringId) {
  const int language = resources::Strings().Language();
  if (language != textsLanguage_) {
    texts_.clear();
    textsLanguage_ = language;
  }
  auto found = texts_.find(stringId);
  if (found == texts_.end()) found = texts_.emplace(stringId, resources::Strings().Get(stringId)).first;
  return found->second;
}

void DrawImage(Painter& painter, platform::Canvas& target, int imageId, int x, int y) {
  if (imageId < 0 || imageId >= kSkinImageCount) return;
  const SkinImage& image = painter.Image(imageId);
  const SkinImageEntry& entry = kSkinImageTable[static_cast<std::size_t>(imageId)];
  if (entry.alphaDraw && !image.image.Empty()) {
    target.Blend(image.image, x, y);
    return;
  }
  if (!image.Loaded()) return;
  if (entry.colourKeyed) target.CopyKeyed(image.cache, x, y, platform::ToRgb565(kKeyColour));
  else target.Copy(image.cache, x, y);
}

void DrawLine(Painter&, platform::Canvas& target, int x1, int y1, int x2, int y2, platform::Colour colour) {
  target.Line(x1, y1, x2, y2, colour);
}

}  // namespace kestrova::ui
