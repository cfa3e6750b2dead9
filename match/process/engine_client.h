#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "process/child_process.h"
#include "process/protocol_log.h"
#include "protocol/player.h"
#include "protocol/reply_parser.h"

namespace match::process {

// An engine process spoken to over the text protocol.
class EngineClient : public protocol::Player {
public:
    // label names the engine in front of each line of its standard error and
    // in the entries it makes in log, unless log is null.
    EngineClient(std::string command, std::chrono::milliseconds timeout, std::string label, ProtocolLog *log = nullptr);

    // Starts the engine, sends NEWGAME and ISREADY and waits for READYOK.
    // Returns what went wrong, if anything.
    std::optional<std::string> Start();
    // POSITION, SETSTATE, SCORE, with a clock TIME, and GO, then the BESTSHOT
    // reply, awaited until the earlier of the timeout and the clock's end.
    protocol::ShotAnswer RequestShot(const GameState &state, const protocol::GamePoints &points,
                                     const std::optional<protocol::ClockTimes> &clock) override;
    // Writes line (with its line feed); with untilRead, also waits until the
    // engine has read it, so that the next line reaches it in a read of its
    // own. The last line before a reply needs no wait: the reply shows it
    // was read. False when the engine did not take it within the timeout.
    bool Send(const std::string &line, bool untilRead = true);
    // The last reply judged, whole or malformed.
    const protocol::Reply &LastReply() const { return lastReply_; }
    // The line break after the last whole reply: "\n", "\r\n", or "" when
    // none came with it or within grace.
    std::string ReplyEnding(std::chrono::milliseconds grace);
    // Closes the engine's input and waits until the deadline for it to end.
    std::optional<ChildEnd> CloseInputAndWait(Clock::time_point deadline);
    void Stop();
    // True when the engine process ended (or never began).
    bool Ended();

    pid_t Pid() const { return process_ ? process_->Pid() : -1; }

private:
    // Reads until parse judges a reply, the engine stops talking or the
    // deadline passes; result says which (Data for a judged reply). A whole
    // reply leaves received_.
    protocol::Reply AwaitReply(protocol::Reply (*parse)(std::string_view), ReadResult &result,
                               Clock::time_point deadline);
    // What happened to an engine that stopped talking: how it ended, or
    // ifRunning when it is still running.
    std::string LostEngine(const std::string &during, const std::string &ifRunning);
    // fault, noted in the log.
    std::string Noted(std::string fault);
    void Log(char mark, std::string_view text);
    std::string Seconds() const;

    std::string command_;
    std::string label_;
    std::chrono::milliseconds timeout_;
    ProtocolLog *log_;
    std::unique_ptr<ChildProcess> process_;
    std::string received_;
    protocol::Reply lastReply_;
    std::string replyEnding_;
    Clock::time_point judged_;  // when AwaitReply last judged a reply or stopped waiting
};

}  // namespace match::process
