// The set-up endpoints: the lists the user picks country, operator and time
// zone from, the session set-up (time gap, control link, short numbers,
// qualities) and storing the regional choice on the server.
#pragma once

#include "net/request_result.h"

namespace kestrova::app {
class CKestrovaDoc;
}

namespace kestrova::net {

// countries.php: refills the countries list; ok when one country came.
RequestResultPtr Countries(app::CKestrovaDoc& document);
// operators.php for the stored country; ok when one operator came.
RequestResultPtr Operators(app::CKestrovaDoc& document);
// zones.php for the stored country; ok when one zone came.
RequestResultPtr Zones(app::CKestrovaDoc& document);

// setup.php with the device clock: refills short numbers and qualities,
// stores time gap and control link, and keeps the stored quality only when
// the server still offers it (else 0).
RequestResultPtr Setup(app::CKestrovaDoc& document);

// update_lng_set.php: stores country, operator and zone on the server and
// takes back their names (and quality names) in the current language.
RequestResultPtr UpdateLanguageSettings(app::CKestrovaDoc& document);

}  // namespace kestrova::net
