#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "process/child_process.h"
#include "protocol/player.h"

namespace match::process {

// An engine process spoken to over the text protocol.
class EngineClient : public protocol::Player {
public:
    // label names the engine in front of each line of its standard error.
    EngineClient(std::string command, std::chrono::milliseconds timeout, std::string label);

    // Starts the engine, sends NEWGAME and ISREADY and waits for READYOK.
    // Returns what went wrong, if anything.
    std::optional<std::string> Start();
    // POSITION, SETSTATE, SCORE and GO, then the BESTSHOT reply.
    protocol::ShotAnswer RequestShot(const GameState &state, const protocol::GamePoints &points) override;
    void Stop();
    // True when the engine process ended (or never began).
    bool Ended();

    pid_t Pid() const { return process_ ? process_->Pid() : -1; }

private:
    // Writes line; with untilRead, also waits until the engine has read it, so
    // that the next line reaches it in a read of its own. The last line before
    // a reply needs no wait: the reply shows it was read.
    bool Send(const std::string &line, bool untilRead = true);
    // What happened to an engine that stopped talking: how it ended, or
    // ifRunning when it is still running.
    std::string LostEngine(const std::string &during, const std::string &ifRunning);
    std::string Seconds() const;

    std::string command_;
    std::string label_;
    std::chrono::milliseconds timeout_;
    std::unique_ptr<ChildProcess> process_;
    std::string received_;
};

}  // namespace match::process
