#include "protocol/reply_parser.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace match::protocol {

namespace {

constexpr std::string_view BESTSHOT = "BESTSHOT";
constexpr std::string_view READYOK = "READYOK";
// What a BESTSHOT line lacks when it ends after so many tokens.
constexpr const char *MISSING[] = {"the keyword", "vx", "vy", "the spin"};

bool IsSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// White space within a line: a line feed ends the line instead.
bool IsBlank(char c)
{
    return c != '\n' && IsSpace(c);
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// A token still being received that may yet become keyword.
bool MayBecome(std::string_view token, std::string_view keyword)
{
    return token.size() < keyword.size() && EqualIgnoringCase(token, keyword.substr(0, token.size()));
}

struct Token {
    std::string_view text;
    std::size_t end;  // offset in the line just past the token
    bool whole;       // a blank or the line's end follows it
};

// The line a reply starts on: blank lines before it are skipped.
struct ReplyLine {
    std::string_view text;  // without its line feed, up to the end of what was received
    std::size_t end;        // offset in received just past the line and its line feed
    bool ended;             // its line feed has arrived
    std::vector<Token> tokens;
};

ReplyLine SplitLine(std::string_view received, std::size_t limit)
{
    std::size_t start = 0;
    while (start < received.size() && IsSpace(received[start]))
        ++start;
    std::size_t lineFeed = received.find('\n', start);
    ReplyLine line{
        received.substr(start, lineFeed == std::string_view::npos ? std::string_view::npos : lineFeed - start),
        lineFeed == std::string_view::npos ? received.size() : lineFeed + 1,
        lineFeed != std::string_view::npos,
        {}};
    std::size_t at = 0;
    while (line.tokens.size() < limit) {
        while (at < line.text.size() && IsBlank(line.text[at]))
            ++at;
        if (at == line.text.size())
            break;
        std::size_t begin = at;
        while (at < line.text.size() && !IsBlank(line.text[at]))
            ++at;
        line.tokens.push_back({line.text.substr(begin, at - begin), at, at < line.text.size() || line.ended});
    }
    return line;
}

// The line's text from its first token to the end of its last one.
std::string Trimmed(const ReplyLine &line)
{
    std::size_t end = line.text.size();
    while (end > 0 && IsBlank(line.text[end - 1]))
        --end;
    return std::string(line.text.substr(0, end));
}

Reply Judged(ReplyStatus status, const ReplyLine &line, ReplyFault fault = ReplyFault::None, std::string problem = {})
{
    Reply reply;
    reply.status = status;
    reply.fault = fault;
    reply.text = Trimmed(line);
    reply.problem = std::move(problem);
    if (status == ReplyStatus::Complete)
        reply.consumed = line.end;
    return reply;
}

Reply Waiting(std::string_view received, const ReplyLine &line, const char *expected)
{
    if (received.size() <= MAX_REPLY_BYTES)
        return Judged(ReplyStatus::Incomplete, line);
    return Judged(ReplyStatus::Malformed, line, ReplyFault::TooLong,
                  "sent more than " + std::to_string(MAX_REPLY_BYTES) + " bytes without a complete " + expected +
                      " reply");
}

Reply Faulty(const ReplyLine &line, ReplyFault fault, const std::string &problem)
{
    return Judged(ReplyStatus::Malformed, line, fault, "answered \"" + QuoteReply(Trimmed(line)) + "\": " + problem);
}

// A whole token that is a number whose single-precision value is finite.
bool ParseCoordinate(std::string_view token, float &value, std::string &problem)
{
    std::string text(token);
    char *end = nullptr;
    errno = 0;
    double number = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0') {
        problem = "\"" + QuoteReply(token) + "\" is not a number";
        return false;
    }
    value = static_cast<float>(number);
    if (!std::isfinite(value)) {
        problem = "\"" + QuoteReply(token) + "\" is not a finite number";
        return false;
    }
    return true;
}

// Words after a judged reply's last token on its line.
Reply Finished(const ReplyLine &line, std::size_t tokens, Reply reply)
{
    if (line.tokens.size() > tokens)
        return Faulty(line, ReplyFault::WordsAfter,
                      "\"" + QuoteReply(line.tokens[tokens].text) + "\" follows the reply on its line");
    Reply judged = Judged(ReplyStatus::Complete, line);
    judged.shot = reply.shot;
    return judged;
}

}  // namespace

Reply ParseBestShot(std::string_view received)
{
    ReplyLine line = SplitLine(received, 5);
    if (line.tokens.empty())
        return Waiting(received, line, "BESTSHOT");
    const Token &keyword = line.tokens[0];
    if (!keyword.whole && MayBecome(keyword.text, BESTSHOT))
        return Waiting(received, line, "BESTSHOT");
    if (!EqualIgnoringCase(keyword.text, BESTSHOT))
        return Judged(ReplyStatus::Malformed, line, ReplyFault::NotTheReply,
                      "answered \"" + QuoteReply(Trimmed(line)) + "\", not a BESTSHOT reply");

    Reply reply;
    float *coordinates[] = {&reply.shot.vx, &reply.shot.vy};
    for (std::size_t index = 1; index <= 3; ++index) {
        if (line.tokens.size() <= index && line.ended)
            return Faulty(line, ReplyFault::LineEndsEarly, std::string("the line ends before ") + MISSING[index]);
        // A spin is one digit, so its first byte makes it whole.
        bool whole = line.tokens.size() > index && (line.tokens[index].whole || index == 3);
        if (!whole)
            return Waiting(received, line, "BESTSHOT");
        std::string_view token = line.tokens[index].text;
        std::string problem;
        if (index < 3 && !ParseCoordinate(token, *coordinates[index - 1], problem))
            return Faulty(line, ReplyFault::BadNumber, problem);
        if (index == 3 && token != "0" && token != "1")
            return Faulty(line, ReplyFault::BadSpin, "spin \"" + QuoteReply(token) + "\" is neither 0 nor 1");
    }
    reply.shot.spin = line.tokens[3].text == "1" ? 1 : 0;
    return Finished(line, 4, reply);
}

Reply ParseReadyOk(std::string_view received)
{
    ReplyLine line = SplitLine(received, 2);
    if (line.tokens.empty() || (!line.tokens[0].whole && MayBecome(line.tokens[0].text, READYOK)))
        return Waiting(received, line, "READYOK");
    if (!EqualIgnoringCase(line.tokens[0].text, READYOK))
        return Judged(ReplyStatus::Malformed, line, ReplyFault::NotTheReply,
                      "answered ISREADY with \"" + QuoteReply(Trimmed(line)) + "\" instead of READYOK");
    return Finished(line, 1, Reply{});
}

std::string QuoteReply(std::string_view received)
{
    constexpr std::size_t SHOWN = 80;
    std::string quoted;
    for (std::size_t i = 0; i < received.size() && i < SHOWN; ++i) {
        auto byte = static_cast<unsigned char>(received[i]);
        if (byte == '"' || byte == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(byte);
        } else if (std::isprint(byte)) {
            quoted += static_cast<char>(byte);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            quoted += escaped;
        }
    }
    if (received.size() > SHOWN)
        quoted += "...";
    return quoted;
}

}  // namespace match::protocol
