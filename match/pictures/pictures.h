#pragma once

#include <string>

#include "game/game_record.h"

namespace match::pictures {

// The picture of one end: the playing end to scale with the house rings and
// lines, the stones in play when the end finished, coloured by engine and
// numbered by throw order, the path of every stone thrown, and the end's score.
std::string EndPicture(const game::GameRecord &game, const game::EndRecord &end,
                       const game::PerSide<std::string> &names);

// The whole game: the line score above the houses of all ends side by side.
std::string OverviewPicture(const game::GameRecord &game, const game::PerSide<std::string> &names);

// Writes game<N>-end<EE>.svg for every end and game<N>-overview.svg into
// directory, which must exist. Throws std::runtime_error when a file cannot
// be written.
void WriteGamePictures(const game::GameRecord &game, const game::PerSide<std::string> &names,
                       const std::string &directory);

}  // namespace match::pictures
