// The set-up endpoints: the lists the user picks country, operator and time
// zone from, the session set-up (time gap, control link, short numbers,
// qualities) and storing the regional choice on the server.
#pragma once

#include "model/request_result.h"
#include "net/api_context.h"

namespace kestrova::net {

// countries.php: refills the countries list; ok when one country came.
model::RequestResultPtr Countries(const ApiContext& api);
// operators.php for the stored country; ok when one operator came.
model::RequestResultPtr Operators(const ApiContext& api);
// zones.php for the stored country; ok when one zone came.
model::RequestResultPtr Zones(const ApiContext& api);

// setup.php with the device clock: refills short numbers and qualities,
// stores time gap and control link, and keeps the stored quality only when
// the server still offers it (else 0).
model::RequestResultPtr Setup(const ApiContext& api);

// update_lng_set.php: stores country, operator and zone on the server and
// takes back their names (and quality names) in the current language.
model::RequestResultPtr UpdateLanguageSettings(const ApiContext& api);

}  // namespace kestrova::net
