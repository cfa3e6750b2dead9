#include "process/engine_client.h"

#include <cstdio>
#include <system_error>

#include "protocol/protocol_text.h"
#include "protocol/reply_parser.h"

namespace match::process {

using protocol::GamePoints;
using protocol::ParseBestShot;
using protocol::ParseReadyOk;
using protocol::PositionCommand;
using protocol::QuoteReply;
using protocol::Reply;
using protocol::ReplyStatus;
using protocol::ScoreCommand;
using protocol::SetStateCommand;
using protocol::ShotAnswer;

namespace {

constexpr std::chrono::milliseconds EXIT_GRACE{500};

}  // namespace

EngineClient::EngineClient(std::string command, std::chrono::milliseconds timeout, std::string label)
    : command_(std::move(command)), label_(std::move(label)), timeout_(timeout)
{
}

std::optional<std::string> EngineClient::Start()
{
    try {
        ChildOptions options;
        options.errorPrefix = "[" + label_ + "] ";
        // The command as a shell line, so that quoted arguments work.
        process_ =
            std::make_unique<ChildProcess>(std::vector<std::string>{"/bin/sh", "-c", "exec " + command_}, options);
    } catch (const std::system_error &error) {
        return std::string("could not be started: ") + error.what();
    }
    received_.clear();
    if (!Send("NEWGAME\n") || !Send("ISREADY\n", false))
        return LostEngine("before answering ISREADY", "did not read its input within " + Seconds());

    auto deadline = Clock::now() + timeout_;
    for (;;) {
        Reply reply = ParseReadyOk(received_);
        if (reply.status == ReplyStatus::Complete) {
            received_.erase(0, reply.consumed);
            return std::nullopt;
        }
        if (reply.status == ReplyStatus::Malformed)
            return reply.problem;
        ReadResult result = process_->Read(received_, deadline);
        if (result == ReadResult::Closed)
            return LostEngine("before answering ISREADY", "closed its output");
        if (result == ReadResult::TimedOut)
            return "did not answer ISREADY within " + Seconds();
    }
}

ShotAnswer EngineClient::RequestShot(const GameState &state, const GamePoints &points)
{
    ShotAnswer answer;
    std::string during =
        "on shot " + std::to_string(state.shotIndex + 1) + " of end " + std::to_string(state.currentEnd + 1);
    if (!Send(PositionCommand(state)) || !Send(SetStateCommand(state)) || !Send(ScoreCommand(points)) ||
        !Send("GO\n", false)) {
        answer.fault = LostEngine("before GO " + during, "did not read its input within " + Seconds());
        return answer;
    }

    auto deadline = Clock::now() + timeout_;
    for (;;) {
        Reply reply = ParseBestShot(received_);
        answer.reply = reply.text;
        if (reply.status == ReplyStatus::Complete) {
            answer.ok = true;
            answer.shot = reply.shot;
            received_.erase(0, reply.consumed);
            return answer;
        }
        if (reply.status == ReplyStatus::Malformed) {
            answer.fault = reply.problem + " " + during;
            return answer;
        }
        ReadResult result = process_->Read(received_, deadline);
        if (result == ReadResult::Closed) {
            answer.fault = LostEngine(during, "closed its output");
            return answer;
        }
        if (result == ReadResult::TimedOut) {
            answer.fault = "did not answer GO within " + Seconds() + " " + during;
            if (!reply.text.empty())
                answer.fault += " (sent only \"" + QuoteReply(reply.text) + "\")";
            return answer;
        }
    }
}

void EngineClient::Stop()
{
    if (process_)
        process_->Stop();
}

bool EngineClient::Ended()
{
    return !process_ || process_->WaitEnd(Clock::now()).has_value();
}

bool EngineClient::Send(const std::string &line, bool untilRead)
{
    auto deadline = Clock::now() + timeout_;
    return process_->Write(line, deadline) && (!untilRead || process_->WaitUntilRead(deadline));
}

std::string EngineClient::LostEngine(const std::string &during, const std::string &ifRunning)
{
    std::optional<std::string> end = process_->DescribeEnd(EXIT_GRACE);
    return end.value_or(ifRunning) + " " + during;
}

std::string EngineClient::Seconds() const
{
    double seconds = std::chrono::duration<double>(timeout_).count();
    char text[32];
    std::snprintf(text, sizeof text, "%g s", seconds);
    return text;
}

}  // namespace match::process
