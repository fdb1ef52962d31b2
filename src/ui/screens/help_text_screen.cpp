#include "ui/screens/help_text_screen.h"

#include <algorithm>
#include <utility>

#include "ui/bars.h"
#include "ui/painter.h"
#include "ui/screens/help_themes_screen.h"
#include "ui/screens/list_drawing.h"
#include "ui/skin_image_table.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kTextTop = 36;             // below the header
constexpr std::wstring_view kSubjectBreak = L"\n";
constexpr std::wstring_view kTextBreak = L"\n\n";

}  // namespace

HelpTextScreen::HelpTextScreen() : CatalogueScreen(kHelpTextScreen, 1, true, 3) {}

bool HelpTextScreen::Enter(const ScreenEntry& entry) {
  const auto* themes = dynamic_cast<const HelpThemesScreen*>(Owner()->GetScreen(entry.from));
  const model::HelpThemeRecord* theme = themes != nullptr ? themes->SelectedTheme() : nullptr;
  Painter* painter = Owner()->GetPainter();
  if (theme == nullptr || painter == nullptr || painter->FontText() == nullptr) return false;
  title_ = theme->name;
  text_.clear();
  subjects_.clear();
  for (const auto& record : theme->texts) {
    if (!text_.empty()) text_ += kTextBreak;
    subjects_.emplace_back(text_.size(), text_.size() + record->subject.size());
    text_ += record->subject;
    text_ += kSubjectBreak;
    text_ += record->text;
  }
  // The lines as the drawing below breaks them, the scroll bar's width kept free.
  lines_.clear();
  const int width = painter->ScreenWidth() - 2 * kBarMargin - ScrollBar::kWidth;
  platform::LineBreaker breaker(*painter->FontText(), text_, width, platform::DT_WORDBREAK);
  for (platform::TextLine line; breaker.Next(line);) lines_.push_back(line);
  rows_.clear();
  itemCount_ = LineCount();
  selection_ = 0;
  firstVisible_ = 0;
  scrollBar_ = std::make_unique<ScrollBar>(LineCount() - 1);
  return true;
}

bool HelpTextScreen::OnKeyDown(int key) {
  if (popupShown_ || (key != kKeyUp && key != kKeyDown)) return CatalogueScreen::OnKeyDown(key);
  const int step = key == kKeyDown ? 1 : -1;
  firstVisible_ = std::clamp(firstVisible_ + step, 0, std::max(LineCount() - 1, 0));
  if (scrollBar_) scrollBar_->SetFirstRow(firstVisible_);
  return true;
}

void HelpTextScreen::Back() { Navigate(kHelpThemesScreen); }

bool HelpTextScreen::IsSubject(const platform::TextLine& line) const {
  return std::any_of(subjects_.begin(), subjects_.end(),
                     [&](const auto& subject) { return line.begin >= subject.first && line.begin < subject.second; });
}

void HelpTextScreen::Draw(Painter& painter, platform::Canvas& target) {
  DrawHeader(painter, target, kNoIcon, title_, L"");
  const platform::Font* font = painter.FontText();
  if (font != nullptr) {
    const int bottom = painter.ScreenHeight() - painter.Image(kImageBottomLine).height;
    const int right = painter.ScreenWidth() - kBarMargin - ScrollBar::kWidth;
    const platform::ClipScope clip(target, {0, kTextTop, painter.ScreenWidth(), bottom});
    const std::wstring_view text(text_);
    int top = kTextTop;
    for (std::size_t i = static_cast<std::size_t>(std::max(firstVisible_, 0)); i < lines_.size() && top < bottom; ++i) {
      const platform::TextLine& line = lines_[i];
      platform::Rect rect{kBarMargin, top, right, top + font->LineHeight()};
      platform::DrawText(target, *font, IsSubject(line) ? kHighlight : kWhite, text.substr(line.begin, line.end - line.begin),
                         rect, platform::DT_SINGLELINE);
      top += font->LineHeight();
    }
  }
  if (scrollBar_) scrollBar_->Draw(target);
  DrawSoftKeyBar(painter, target, kNoSoftKey, kNoSoftKey, kSoftKeyBack);
}

}  // namespace kestrova::ui::screens
