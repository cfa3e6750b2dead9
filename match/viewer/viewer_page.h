#pragma once

#include <string>

#include "game/game_record.h"

namespace match::viewer {

// The match as one self-contained HTML page: the line score of every game
// and a view of the playing end in which every end can be stepped through
// shot by shot. Played shots must carry their traced paths.
std::string ViewerPage(const game::MatchRecord &record);

// Replays the record's shots to trace their paths (filling them in), checks
// that every shot comes to rest as recorded, and writes the page to path.
// Throws std::runtime_error when a shot rests otherwise or the file cannot
// be written.
void WriteViewerPage(game::MatchRecord &record, const std::string &path);

// WriteViewerPage, then "Viewer: path" on standard output, or why the page
// was not written on standard error. False when it was not.
bool ShowViewerPage(game::MatchRecord &record, const std::string &path);

} // namespace match::viewer
