#pragma once

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tessival.h"

namespace granite::learn {

// The sides of a recorded game: A the first engine, B the second.
inline constexpr int SIDE_A = 0;
inline constexpr int SIDE_B = 1;

// One end as pebble-match recorded it.
struct RecordedEnd {
    int hammer = SIDE_A;
    bool complete = false;          // every stone thrown; a forfeit leaves its end incomplete
    std::array<int, 2> points{};    // of A and B, once complete
    std::vector<GameState> before;  // the position and state sent before each throw, in order
};

struct RecordedGame {
    std::vector<RecordedEnd> ends;
    std::optional<int> winner;  // none for a draw
};

struct RecordFile {
    std::vector<RecordedGame> games;
    // The last line had no line feed and could not be read: a game being
    // written when the file was copied, left out.
    bool tornLastLine = false;
};

// A record that cannot be read; the message names the file and, for a line, its number.
struct RecordError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The games of a record that pebble-match --record writes (JSON Lines,
// version 2: a header line, then one line per game). Throws RecordError.
RecordFile ReadRecord(const std::string &path);

// The game's result for side: 1 won, 0.5 drawn, 0 lost.
double ResultFor(const RecordedGame &game, int side);

}  // namespace granite::learn
