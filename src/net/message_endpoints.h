// The service's messages, page by page, and the help: its themes and the
// texts of one theme.
#pragma once

#include "net/request_result.h"

namespace kestrova::app {
class CKestrovaDoc;
}

namespace kestrova::net {

struct HelpThemeRecord;

// messenger.php: with `restart` (or on page 1) the list starts over; a
// page is fetched only while the list is empty or short of the total.
// With `pageZero` page 0 is asked for instead of the current page.
RequestResultPtr Messages(app::CKestrovaDoc& document, int restart, int pageZero);

// help_themes.php unless themes are loaded; ok when one theme came.
RequestResultPtr HelpThemes(app::CKestrovaDoc& document);

// help_texts.php for the theme unless its texts are loaded; no theme fails
// without a request. ok when one text came.
RequestResultPtr HelpTexts(app::CKestrovaDoc& document, HelpThemeRecord* theme);

}  // namespace kestrova::net
