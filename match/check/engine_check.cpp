#include "check/engine_check.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "check/advice.h"
#include "check/check_positions.h"
#include "process/engine_client.h"

namespace match::check {

using process::ChildEnd;
using process::Clock;
using process::EngineClient;
using protocol::ReplyFault;
using protocol::ReplyStatus;

namespace {

// How long a line break may trail its reply and still count as its own.
constexpr std::chrono::milliseconds ENDING_GRACE{50};
// The longest wait for an engine to quit after its input closed.
constexpr std::chrono::milliseconds QUIT_GRACE{5000};
// The checks after the positions: BESTSHOT, line breaks, time, stays alive, quits.
constexpr std::size_t CLOSING_CHECKS = 5;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string Decimal(double value, const char *format = "%.3f")
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A set of line breaks in words: "a line feed", "CR LF", "nothing", or a mix.
std::string Endings(const std::set<std::string> &endings)
{
    auto word = [](const std::string &ending) {
        return ending == "\n" ? std::string("a line feed") : ending.empty() ? std::string("nothing") : "CR LF";
    };
    if (endings.size() == 1)
        return word(*endings.begin());
    std::string words;
    for (const std::string &ending : endings)
        words += (words.empty() ? "sometimes " : ", sometimes ") + word(ending);
    return words;
}

// What every exchange showed, for the verdicts over all of them.
struct Evidence {
    std::set<std::string> readyEndings;
    std::set<std::string> shotEndings;
    std::optional<std::string> lineFault;     // a reply split over lines or with words after it
    std::optional<std::string> grammarFault;  // any other malformed BESTSHOT
    std::set<int> spins;
    int replies = 0;
    double slowest = 0.0;
    std::string slowestCheck;
    std::optional<std::string> timedOut;  // the check whose GO was not answered in time
    std::optional<std::string> lost;      // how the engine ended before its input closed
    // The first check that gave each piece of advice, so that it is given once.
    std::map<std::string, std::string> advised;
};

class Checker {
public:
    Checker(const CheckedEngine &engine, const std::function<void(const CheckResult &)> &report)
        : engine_(engine), report_(report)
    {
    }

    std::vector<CheckResult> Run()
    {
        if (!Add(Handshake()).ok)
            return results_;
        for (const PositionCheck &check : PositionChecks())
            Add(Positions(check));
        CheckResult quits = Quits();
        Add(Replies());
        Add(LineBreaks());
        Add(Time());
        Add(Alive());
        Add(quits);
        return results_;
    }

private:
    const CheckResult &Add(CheckResult result)
    {
        report_(result);
        results_.push_back(std::move(result));
        return results_.back();
    }

    double TimeoutSeconds() const { return std::chrono::duration<double>(engine_.timeout).count(); }

    // A fresh engine process made ready; what went wrong, with advice.
    std::optional<std::string> StartSession()
    {
        client_ = std::make_unique<EngineClient>(engine_.command, engine_.timeout, engine_.label, engine_.log);
        if (auto fault = client_->Start())
            return *fault + ": " + Advice(Classify(), client_->LastReply().fault, true);
        seen_.readyEndings.insert(client_->ReplyEnding(ENDING_GRACE));
        return std::nullopt;
    }

    Failure Classify()
    {
        if (client_->LastReply().status == ReplyStatus::Malformed)
            return Failure::Malformed;
        return client_->Ended() ? Failure::Lost : Failure::TimedOut;
    }

    CheckResult Handshake()
    {
        auto start = Clock::now();
        if (auto fault = StartSession())
            return {"handshake", false, *fault};
        return {"handshake", true,
                "answered NEWGAME and ISREADY with READYOK in " + Decimal(SecondsSince(start)) + " s"};
    }

    CheckResult Positions(const PositionCheck &check)
    {
        std::string reply;
        for (const CheckedGo &go : check.goes)
            if (auto failure = Exchange(go, check.name, reply))
                return {check.name, false, *failure};
        return {check.name, true, check.what + ": answered \"" + reply + "\""};
    }

    // One GO; what went wrong, with advice.
    std::optional<std::string> Exchange(const CheckedGo &go, const std::string &check, std::string &reply)
    {
        if (!client_)
            if (auto fault = StartSession()) {
                client_.reset();
                return "could not be started again: it " + *fault;
            }
        for (const std::string &line : go.before)
            if (!client_->Send(line + "\n"))
                return Failed("stopped reading its input at \"" + line + "\"", check);
        auto start = Clock::now();
        protocol::ShotAnswer answer = client_->RequestShot(go.state, go.points, std::nullopt);
        double seconds = SecondsSince(start);
        // Other words where the reply belongs, after lines the engine should
        // have ignored, answer those lines: their fault, not the grammar's.
        if (!answer.ok && !go.before.empty() && client_->LastReply().fault == ReplyFault::NotTheReply) {
            client_.reset();
            return answer.fault + ": write nothing in answer to a line you do not know, such as \"" +
                   go.before.front() + "\"; ignore it";
        }
        if (!answer.ok)
            return Failed(answer.fault, check);
        reply = answer.reply;
        ++seen_.replies;
        seen_.spins.insert(answer.shot.spin);
        seen_.shotEndings.insert(client_->ReplyEnding(ENDING_GRACE));
        if (seconds >= seen_.slowest) {
            seen_.slowest = seconds;
            seen_.slowestCheck = check;
        }
        return std::nullopt;
    }

    // Notes how a GO went wrong and ends that engine process.
    std::string Failed(const std::string &fault, const std::string &check)
    {
        Failure failure = Classify();
        ReplyFault kind = client_->LastReply().fault;
        std::string advice = Advice(failure, kind, false);
        std::string text = fault + ": " + advice;
        auto [advisedBy, fresh] = seen_.advised.try_emplace(advice, check);
        std::string shortText = fresh ? text : fault + " (as in " + advisedBy->second + ")";
        if (failure == Failure::Malformed) {
            bool lineFault = kind == ReplyFault::LineEndsEarly || kind == ReplyFault::WordsAfter;
            std::optional<std::string> &first = lineFault ? seen_.lineFault : seen_.grammarFault;
            first = first.value_or(text);
        } else if (failure == Failure::TimedOut) {
            seen_.timedOut = seen_.timedOut.value_or(check);
        } else {
            seen_.lost = seen_.lost.value_or(fault);
        }
        client_.reset();
        return shortText;
    }

    CheckResult Replies() const
    {
        if (seen_.grammarFault)
            return {"BESTSHOT", false, *seen_.grammarFault};
        if (seen_.replies == 0)
            return {"BESTSHOT", false, "no GO was answered: see the checks above"};
        std::string spins;
        for (int spin : seen_.spins)
            spins += (spins.empty() ? "" : " and ") + std::to_string(spin);
        return {"BESTSHOT", true,
                std::to_string(seen_.replies) + " replies, each two finite numbers and a spin of 0 or 1 (" +
                    (seen_.spins.size() == 1 ? "spin " : "spins ") + spins + " seen)"};
    }

    CheckResult LineBreaks() const
    {
        if (seen_.lineFault)
            return {"line breaks", false, *seen_.lineFault};
        std::string ready = Endings(seen_.readyEndings);
        std::string text = "READYOK ends with " + ready;
        if (!seen_.shotEndings.empty())
            text = seen_.shotEndings == seen_.readyEndings ? "READYOK and BESTSHOT end with " + ready
                                                           : text + ", BESTSHOT with " + Endings(seen_.shotEndings);
        return {"line breaks", true, text + " (a line feed, CR LF and nothing are all accepted)"};
    }

    CheckResult Time() const
    {
        std::string timeout = Decimal(TimeoutSeconds(), "%g") + " s";
        if (seen_.timedOut)
            return {"time", false,
                    "a GO (" + *seen_.timedOut + ") went unanswered for the whole " + timeout +
                        " timeout: answer every GO within --timeout and flush standard output after the reply"};
        if (seen_.replies == 0)
            return {"time", true, "no GO was answered, none too late"};
        return {"time", true,
                "the slowest GO took " + Decimal(seen_.slowest) + " s (" + seen_.slowestCheck + "), " +
                    Decimal(100.0 * seen_.slowest / TimeoutSeconds(), "%.1f") + " % of the " + timeout + " timeout"};
    }

    CheckResult Alive() const
    {
        if (seen_.lost)
            return {"stays alive", false,
                    *seen_.lost + ": keep running and reading commands until your standard input closes"};
        return {"stays alive", true, "no engine process ended before its input closed"};
    }

    CheckResult Quits()
    {
        if (!client_)
            if (auto fault = StartSession()) {
                client_.reset();
                return {"quits", false, "could not be started again: it " + *fault};
            }
        auto wait = std::min(engine_.timeout, QUIT_GRACE);
        auto start = Clock::now();
        std::optional<ChildEnd> end = client_->CloseInputAndWait(start + wait);
        double seconds = SecondsSince(start);
        client_.reset();
        const std::string instead = "exit with status 0 as soon as a read of standard input finds its end";
        if (!end)
            return {"quits", false,
                    "still running " + Decimal(std::chrono::duration<double>(wait).count(), "%g") +
                        " s after its input closed: " + instead};
        if (end->signalled || end->status != 0)
            return {"quits", false,
                    std::string(end->signalled ? "was killed by signal " : "exited with status ") +
                        std::to_string(end->status) + " when its input closed: " + instead};
        return {"quits", true, "exited with status 0 " + Decimal(seconds) + " s after its input closed"};
    }

    const CheckedEngine &engine_;
    const std::function<void(const CheckResult &)> &report_;
    std::unique_ptr<EngineClient> client_;
    Evidence seen_;
    std::vector<CheckResult> results_;
};

}  // namespace

std::size_t PlannedChecks()
{
    return 1 + PositionChecks().size() + CLOSING_CHECKS;
}

std::vector<CheckResult> CheckEngine(const CheckedEngine &engine,
                                     const std::function<void(const CheckResult &)> &report)
{
    return Checker(engine, report).Run();
}

}  // namespace match::check
