// The player's one exception: thrown by value on a fatal failure (a segment
// whose streams or headers cannot be read, an output that cannot be opened)
// and caught inside the player.
#pragma once

namespace kestrova::player {

enum class TPlayerError : int { kFailed = -98 };

}  // namespace kestrova::player
