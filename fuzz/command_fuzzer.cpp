// Arbitrary bytes to pebble's command handler, read in chunks of at most
// LINE_BUFFER_SIZE bytes and cut into lines as the command loop does, with the
// physics stand-in bound. After every line: the handler answers 0 or 1, writes
// nothing, "READYOK" or one well-formed BESTSHOT reply, and a BESTSHOT leaves
// the global state as it was.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine_decision.h"
#include "game_state.h"
#include "pebble_decision.h"
#include "physics_double.h"
#include "protocol.h"

namespace {

int replies = -1;  // standard output, redirected into memory
off_t repliesRead = 0;

void Require(bool kept, const char *promise, const std::string &reply)
{
    if (!kept) {
        std::fprintf(stderr, "broken promise: %s (reply \"%s\")\n", promise, reply.c_str());
        std::abort();
    }
}

std::string NewReplies()
{
    struct stat status;
    fstat(replies, &status);
    std::string text(static_cast<std::size_t>(status.st_size - repliesRead), '\0');
    const ssize_t count = pread(replies, text.data(), text.size(), repliesRead);
    repliesRead = status.st_size;
    text.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
    return text;
}

void ForgetReplies()
{
    if (ftruncate(replies, 0) != 0 || lseek(replies, 0, SEEK_SET) != 0) {
        std::abort();
    }
    repliesRead = 0;
}

// "BESTSHOT %f %f %d": two finite numbers in fixed notation and a spin of 0 or 1.
bool WellFormedBestShot(const std::string &reply)
{
    double vx = 0.0;
    double vy = 0.0;
    unsigned spin = 2;
    int used = 0;
    if (std::sscanf(reply.c_str(), "BESTSHOT %lf %lf %u%n", &vx, &vy, &spin, &used) != 3) {
        return false;
    }
    char again[LINE_BUFFER_SIZE];
    std::snprintf(again, sizeof again, "BESTSHOT %f %f %u", vx, vy, spin);
    return static_cast<std::size_t>(used) == reply.size() && reply == again && std::isfinite(vx) && std::isfinite(vy) &&
           spin <= 1;
}

void CheckLine(char *line)
{
    const GameState before = gameState;
    const int result = HandleCommand(line);
    const std::string reply = NewReplies();
    Require(result == 0 || result == 1, "the handler answers 0 or 1", reply);
    if (reply.empty() || reply == "READYOK") {
        return;
    }
    Require(WellFormedBestShot(reply), "a reply is READYOK or one BESTSHOT", reply);
    Require(std::memcmp(&before, &gameState, sizeof before) == 0, "GO leaves the global state unchanged", reply);
}

// One read's worth of bytes, handled line by line: each line ends at a line feed
// or carriage return, the last piece at the end of the chunk.
void HandleRead(const std::uint8_t *data, std::size_t length)
{
    char chunk[LINE_BUFFER_SIZE + 1] = {};
    std::memcpy(chunk, data, length);
    std::size_t start = 0;
    while (start < length) {
        std::size_t end = start;
        while (end < length && chunk[end] != '\n' && chunk[end] != '\r') {
            ++end;
        }
        CheckLine(chunk + start);
        start = end + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    replies = memfd_create("replies", 0);
    if (replies < 0 || dup2(replies, STDOUT_FILENO) < 0) {
        std::abort();
    }
    BindPhysicsDouble();
    engineDecision = PebbleDecision();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::memset(&gameState, 0, sizeof gameState);
    ForgetReplies();
    for (std::size_t at = 0; at < size; at += LINE_BUFFER_SIZE) {
        const std::size_t length = size - at < LINE_BUFFER_SIZE ? size - at : LINE_BUFFER_SIZE;
        HandleRead(data + at, length);
    }
    return 0;
}
