#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "process/child_process.h"
#include "game/player.h"

// How long a reply must stay quiet before its last token counts as whole.
constexpr std::chrono::milliseconds REPLY_SETTLE_TIME{2};

// An engine process spoken to over the text protocol.
class EngineClient : public Player {
public:
    EngineClient(std::string command, std::chrono::milliseconds timeout);

    // Starts the engine, sends NEWGAME and ISREADY and waits for READYOK.
    // Returns what went wrong, if anything.
    std::optional<std::string> Start();
    // POSITION, SETSTATE, SCORE and GO, then the BESTSHOT reply.
    ShotAnswer RequestShot(const GameState &state, const GamePoints &points) override;
    void Stop();
    // True when the engine process ended (or never began).
    bool Ended();

    pid_t Pid() const { return process_ ? process_->Pid() : -1; }

private:
    bool Send(const std::string &line);
    // What happened to an engine that stopped talking: how it ended, or
    // ifRunning when it is still running.
    std::string LostEngine(const std::string &during, const std::string &ifRunning);
    std::string Seconds() const;

    std::string command_;
    std::chrono::milliseconds timeout_;
    std::unique_ptr<ChildProcess> process_;
    std::string received_;
};
