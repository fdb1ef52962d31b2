#include "ui/screens/balance_text.h"

#include "resources/format_text.h"
#include "resources/string_table.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kBalanceText = 34;

}  // namespace

std::wstring BalanceText(int balance) {
  return resources::FormatText(resources::Strings().Get(kBalanceText), {std::to_wstring(balance)});
}

}  // namespace kestrova::ui::screens
