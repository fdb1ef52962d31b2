// The service's messages, page by page, and the help: its themes and the
// texts of one theme.
#pragma once

#include "model/request_result.h"
#include "net/api_context.h"

namespace kestrova::net {


// messenger.php: with `restart` (or on page 1) the list starts over; a
// page is fetched only while the list is empty or short of the total.
// With `pageZero` page 0 is asked for instead of the current page.
model::RequestResultPtr Messages(const ApiContext& api, int restart, int pageZero);

// help_themes.php unless themes are loaded; ok when one theme came.
model::RequestResultPtr HelpThemes(const ApiContext& api);

// help_texts.php for the theme unless its texts are loaded; no theme fails
// without a request. ok when one text came.
model::RequestResultPtr HelpTexts(const ApiContext& api, model::HelpThemeRecord* theme);

}  // namespace kestrova::net
