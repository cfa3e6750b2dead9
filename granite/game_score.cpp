#include "game_score.h"

#include "number_conversion.h"
#include "protocol.h"

namespace {

GameScore score;

}  // namespace

void ReadScoreCommand(const char *line)
{
    char own[LINE_BUFFER_SIZE];
    char other[LINE_BUFFER_SIZE];
    if (!GetToken(own, line, 1) || !GetToken(other, line, 2)) return;
    score = {ConvertInteger(own), ConvertInteger(other)};
}

GameScore CurrentScore() { return score; }
