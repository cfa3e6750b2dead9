#pragma once

#include <string>

#include "game/game_record.h"

namespace match::viewer {

// The match as one self-contained HTML page: the line score of every game
// and a view of the playing end in which every end can be stepped through
// shot by shot. Played shots carry what their throws traced, in play or in a
// replay.
std::string ViewerPage(const game::MatchRecord &record);

// Writes the page to path. Throws std::runtime_error when the file cannot be
// written.
void WriteViewerPage(const game::MatchRecord &record, const std::string &path);

// WriteViewerPage, then "Viewer: path" on standard output, or why the page
// was not written on standard error. False when it was not.
bool ShowViewerPage(const game::MatchRecord &record, const std::string &path);

}  // namespace match::viewer
