// The line that shows the account balance under the payment lists: the
// localised text with the balance in its placeholder.
#pragma once

#include <string>

namespace kestrova::ui::screens {

std::wstring BalanceText(int balance);

}  // namespace kestrova::ui::screens
