#pragma once

#include <nlohmann/json.hpp>

#include "game/game_record.h"
#include "pictures/sheet_drawing.h"

namespace match::viewer {

// What the viewer page shows, as JSON: the engines, the view of the sheet and
// the stone colours, and for every game its result, its ends and every shot
// with the reply, its think time and both clocks after it (when the record
// has them), the vector, the seed, the stones in play after it, the
// end's score after it as rules::EndScore counts it, the traced path of every
// stone it set moving and its contacts. Lengths on the sheet and times of a
// throw are in whole millimetres and milliseconds (page_numbers.h), the
// view's measures in metres. Played shots must carry their traces.
nlohmann::json ViewerData(const game::MatchRecord &record, const pictures::SheetView &view);

}  // namespace match::viewer
