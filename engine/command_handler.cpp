#include "protocol.h"

#include <cstdio>
#include <cstring>

#include "engine_decision.h"
#include "game_clock.h"
#include "game_score.h"
#include "game_state.h"
#include "number_conversion.h"
#include "platform.h"

namespace {

void CutLine(char *line)
{
    for (; *line != '\0'; ++line) {
        if (*line == '\n' || *line == '\r') {
            *line = '\0';
            return;
        }
    }
}

// The filler bytes after sideFlag keep whatever they hold.
void ResetGameState()
{
    gameState.shotIndex = 0;
    gameState.currentEnd = 0;
    gameState.lastEnd = 0;
    std::memset(gameState.endScores, 0, sizeof gameState.endScores);
    gameState.sideFlag = 0;
    std::memset(gameState.stones, 0, sizeof gameState.stones);
}

// Coordinates are stored as they are read: a short line updates a prefix of
// x0, y0, x1, y1, ... and returns 0.
int ReadPosition(const char *line)
{
    char argument[LINE_BUFFER_SIZE];
    for (int stone = 0; stone < 16; ++stone) {
        for (int axis = 0; axis < 2; ++axis) {
            if (!GetToken(argument, line, 2 * stone + axis + 1)) {
                return 0;
            }
            gameState.stones[stone][axis] = ConvertCoordinate(argument);
        }
    }
    return 1;
}

// Fields are stored as they are read; a short line keeps the later ones.
int ReadState(const char *line)
{
    char argument[LINE_BUFFER_SIZE];
    if (!GetToken(argument, line, 1)) {
        return 0;
    }
    gameState.shotIndex = ConvertInteger(argument);
    if (!GetToken(argument, line, 2)) {
        return 0;
    }
    gameState.currentEnd = ConvertInteger(argument);
    if (!GetToken(argument, line, 3)) {
        return 0;
    }
    gameState.lastEnd = ConvertInteger(argument);
    if (!GetToken(argument, line, 4)) {
        return 0;
    }
    gameState.sideFlag = ConvertInteger(argument) != 0 ? 1 : 0;
    return 1;
}

// Both numbers are read before either is stored: a short line changes nothing.
void ReadScore(const char *line)
{
    char own[LINE_BUFFER_SIZE];
    char other[LINE_BUFFER_SIZE];
    if (!GetToken(own, line, 1) || !GetToken(other, line, 2)) {
        return;
    }
    gameScore.own = ConvertInteger(own);
    gameScore.other = ConvertInteger(other);
}

// ASCII digits only: whole milliseconds, never negative.
bool IsWholeNumber(const char *token)
{
    if (*token == '\0') {
        return false;
    }
    for (; *token != '\0'; ++token) {
        if (*token < '0' || *token > '9') {
            return false;
        }
    }
    return true;
}

// Both numbers are checked before either is stored: a short line, or one
// whose first two arguments are not whole numbers, changes nothing. Values
// beyond the 32-bit range are saturated.
void ReadClock(const char *line)
{
    char own[LINE_BUFFER_SIZE];
    char other[LINE_BUFFER_SIZE];
    if (!GetToken(own, line, 1) || !GetToken(other, line, 2) || !IsWholeNumber(own) || !IsWholeNumber(other)) {
        return;
    }
    gameClock.ownMs = ConvertInteger(own);
    gameClock.otherMs = ConvertInteger(other);
    gameClock.isSet = 1;
}

void ReplyWithShot()
{
    if (engineDecision.decideShot == nullptr) {
        return;
    }
    const ShotVector shot = engineDecision.decideShot(engineDecision.context);
    char reply[LINE_BUFFER_SIZE];
    std::snprintf(reply, sizeof reply, "BESTSHOT %f %f %d", static_cast<double>(shot.vx), static_cast<double>(shot.vy),
                  static_cast<int>(shot.spin));
    WriteReply(reply);
}

}  // namespace

void WriteReply(const char *text)
{
    WriteStandardOutput(text, static_cast<int>(std::strlen(text)));
}

int HandleCommand(char *line)
{
    if (line == nullptr) {
        return 0;
    }
    CutLine(line);
    char keyword[LINE_BUFFER_SIZE];
    GetToken(keyword, line, 0);
    if (IsKeyword(keyword, "NEWGAME")) {
        ResetGameState();
        gameClock = GameClock{};
    } else if (IsKeyword(keyword, "ISREADY")) {
        WriteReply("READYOK");
    } else if (IsKeyword(keyword, "POSITION")) {
        return ReadPosition(line);
    } else if (IsKeyword(keyword, "SETSTATE")) {
        return ReadState(line);
    } else if (IsKeyword(keyword, "GO")) {
        ReplyWithShot();
        gameClock = GameClock{};
    } else if (IsKeyword(keyword, "SCORE")) {
        ReadScore(line);
    } else if (IsKeyword(keyword, "TIME")) {
        ReadClock(line);
    }
    return 1;
}
