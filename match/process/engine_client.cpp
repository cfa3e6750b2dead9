#include "process/engine_client.h"

#include <cstdio>
#include <system_error>

#include "process/interrupt.h"
#include "protocol/protocol_text.h"

namespace match::process {

using protocol::ClockTimes;
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
using protocol::TimeCommand;

namespace {

constexpr std::chrono::milliseconds EXIT_GRACE{500};

// The line break at the end of text, if any.
std::string LineBreakAtEnd(std::string_view text)
{
    if (!text.ends_with('\n'))
        return "";
    return text.ends_with("\r\n") ? "\r\n" : "\n";
}

// The line break that begins text after blanks, if any.
std::string LineBreakAtStart(std::string_view text)
{
    std::size_t at = text.find_first_not_of(" \t");
    if (at == std::string_view::npos)
        return "";
    if (text.substr(at).starts_with("\r\n"))
        return "\r\n";
    return text[at] == '\n' ? "\n" : "";
}

}  // namespace

EngineClient::EngineClient(std::string command, std::chrono::milliseconds timeout, std::string label, ProtocolLog *log)
    : command_(std::move(command)), label_(std::move(label)), timeout_(timeout), log_(log)
{
}

std::optional<std::string> EngineClient::Start()
{
    try {
        ChildOptions options;
        options.errorPrefix = "[" + label_ + "] ";
        if (log_)
            options.errorLines = [this](std::string_view line) { Log(LOG_ENGINE_ERROR, line); };
        // The command as a shell line, so that quoted arguments work.
        process_ =
            std::make_unique<ChildProcess>(std::vector<std::string>{"/bin/sh", "-c", "exec " + command_}, options);
    } catch (const std::system_error &error) {
        return Noted(std::string("could not be started: ") + error.what());
    }
    received_.clear();
    if (!Send("NEWGAME\n") || !Send("ISREADY\n", false))
        return Noted(LostEngine("before answering ISREADY", "did not read its input within " + Seconds()));

    ReadResult result = ReadResult::Data;
    Reply reply = AwaitReply(ParseReadyOk, result, Clock::now() + timeout_);
    if (reply.status == ReplyStatus::Complete)
        return std::nullopt;
    if (reply.status == ReplyStatus::Malformed)
        return Noted(reply.problem);
    if (result == ReadResult::Closed)
        return Noted(LostEngine("before answering ISREADY", "closed its output"));
    return Noted("did not answer ISREADY within " + Seconds());
}

ShotAnswer EngineClient::RequestShot(const GameState &state, const GamePoints &points,
                                     const std::optional<ClockTimes> &clock)
{
    ShotAnswer answer;
    std::string during =
        "on shot " + std::to_string(state.shotIndex + 1) + " of end " + std::to_string(state.currentEnd + 1);
    auto lost = [&] {
        answer.fault = Noted(LostEngine("before GO " + during, "did not read its input within " + Seconds()));
        return answer;
    };
    if (!Send(PositionCommand(state)) || !Send(SetStateCommand(state)) || !Send(ScoreCommand(points)) ||
        (clock && !Send(TimeCommand(*clock))))
        return lost();
    // Timed from before GO is written: the engine may answer before the write returns to us.
    const auto go = Clock::now();
    if (!Send("GO\n", false))
        return lost();

    const bool clockFirst = clock && std::chrono::milliseconds(clock->own) < timeout_;
    const auto deadline = go + (clockFirst ? std::chrono::milliseconds(clock->own) : timeout_);
    ReadResult result = ReadResult::Data;
    Reply reply = AwaitReply(ParseBestShot, result, deadline);
    answer.thinkMs = std::chrono::duration<double, std::milli>(judged_ - go).count();
    answer.reply = reply.text;
    if (reply.status == ReplyStatus::Complete) {
        answer.ok = true;
        answer.shot = reply.shot;
    } else if (reply.status == ReplyStatus::Malformed) {
        answer.fault = Noted(reply.problem + " " + during);
    } else if (result == ReadResult::Closed) {
        answer.fault = Noted(LostEngine(during, "closed its output"));
    } else if (clockFirst) {
        answer.outOfTime = true;
        answer.fault = Noted("did not answer GO before its clock ran out " + during);
    } else {
        answer.fault = "did not answer GO within " + Seconds() + " " + during;
        if (!reply.text.empty())
            answer.fault += " (sent only \"" + QuoteReply(reply.text) + "\")";
        Noted(answer.fault);
    }
    return answer;
}

std::string EngineClient::ReplyEnding(std::chrono::milliseconds grace)
{
    if (!replyEnding_.empty())
        return replyEnding_;
    if (received_.empty() && process_)
        process_->Read(received_, Clock::now() + grace);
    return LineBreakAtStart(received_);
}

std::optional<ChildEnd> EngineClient::CloseInputAndWait(Clock::time_point deadline)
{
    if (!process_)
        return std::nullopt;
    process_->CloseInput();
    return process_->WaitEnd(deadline);
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
    Log(LOG_SENT, std::string_view(line).substr(0, line.size() - (line.ends_with('\n') ? 1 : 0)));
    auto deadline = Clock::now() + timeout_;
    return process_->Write(line, deadline) && (!untilRead || process_->WaitUntilRead(deadline));
}

Reply EngineClient::AwaitReply(Reply (*parse)(std::string_view), ReadResult &result, Clock::time_point deadline)
{
    for (;;) {
        Reply reply = parse(received_);
        if (reply.status != ReplyStatus::Incomplete) {
            judged_ = Clock::now();
            Log(LOG_RECEIVED, reply.text);
            replyEnding_ = LineBreakAtEnd(std::string_view(received_).substr(0, reply.consumed));
            received_.erase(0, reply.consumed);
            result = ReadResult::Data;
            lastReply_ = reply;
            return reply;
        }
        result = process_->Read(received_, deadline);
        if (result != ReadResult::Data) {
            judged_ = Clock::now();
            if (!reply.text.empty())
                Log(LOG_RECEIVED, reply.text);
            lastReply_ = reply;
            return reply;
        }
    }
}

std::string EngineClient::LostEngine(const std::string &during, const std::string &ifRunning)
{
    std::optional<std::string> end = process_->DescribeEnd(EXIT_GRACE);
    // An engine our own interrupt killed is at no fault: the run stops instead.
    ThrowIfInterrupted();
    return end.value_or(ifRunning) + " " + during;
}

std::string EngineClient::Noted(std::string fault)
{
    Log(LOG_NOTE, fault);
    return fault;
}

void EngineClient::Log(char mark, std::string_view text)
{
    if (log_)
        log_->Write(label_, mark, text);
}

std::string EngineClient::Seconds() const
{
    double seconds = std::chrono::duration<double>(timeout_).count();
    char text[32];
    std::snprintf(text, sizeof text, "%g s", seconds);
    return text;
}

}  // namespace match::process
