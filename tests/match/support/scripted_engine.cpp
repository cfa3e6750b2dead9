// A stand-in engine for the runner's tests: speaks the protocol and misbehaves
// on request. Usage: scripted_engine MODE [PIDFILE]; it appends its process id
// to PIDFILE at start.
//   steady       answers every GO with a draw toward the tee
//   terminated   the same, each reply followed by a line feed
//   weak         answers every GO with a throw that stops short of play
//   split        the same reply, written in pieces with pauses between them
//   one-read     takes each read of its input as one command, as a minimal
//                engine may, and answers like steady
//   crash        exits with status 3 before reading anything
//   quit-mid     exits after answering three GOs
//   silent       answers ISREADY, never GO
//   mute         never answers at all
//   deaf         never reads its input
//   garbage      answers GO with text that is no reply
//   markup       answers GO with HTML and script, and a byte that is no UTF-8
//   nonfinite    answers GO with nan and inf
//   bad-spin     answers GO with a spin of 2
//   flood        answers GO with a number that never ends
//   partial      answers GO with a line that lacks the spin, then waits
//   trailing     answers GO with a whole reply and a word after it on its line
//   chatty       answers like terminated, writing a line to standard error in
//                two pieces before each reply
//   complains    answers like steady, and answers a line it does not know
//                with an error message on standard output
//   slow         answers like steady, 300 ms after each GO
//   sleep-MS     answers like steady, MS milliseconds after each GO
//   spawn        starts a child that sleeps (its id appended to PIDFILE too),
//                then answers like silent
//   stays        answers like steady, and keeps running when its input closes
//   regular-only answers like steady, and exits when told of an end beyond
//                the last regular end
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char *TEE_DRAW = "BESTSHOT 0.079850 -2.128900 0";

void Send(const std::string &text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t written = write(STDOUT_FILENO, text.data() + done, text.size() - done);
        if (written <= 0)
            _exit(1);
        done += static_cast<std::size_t>(written);
    }
}

void Pause(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool Is(const std::string &line, const char *keyword)
{
    return line.rfind(keyword, 0) == 0;
}

bool Known(const std::string &line)
{
    for (const char *keyword : {"NEWGAME", "ISREADY", "POSITION", "SETSTATE", "SCORE", "GO"})
        if (Is(line, keyword))
            return true;
    return false;
}

// SETSTATE shot currentEnd lastEnd flag with currentEnd beyond lastEnd.
bool ExtraEnd(const std::string &line)
{
    int shot = 0;
    int end = 0;
    int lastEnd = 0;
    return std::sscanf(line.c_str(), "SETSTATE %d %d %d", &shot, &end, &lastEnd) == 3 && end > lastEnd;
}

void AnswerGo(const std::string &mode, int &goCount)
{
    ++goCount;
    if (mode == "quit-mid" && goCount > 3)
        _exit(0);
    if (mode == "silent" || mode == "spawn")
        return;
    if (mode == "garbage")
        return Send("HELLO THERE");
    if (mode == "markup")
        return Send(
            "<img src=x onerror=\"window.injected=1\"></script><script>window.injected=2</script><b>bold</b> \xff");
    if (mode == "nonfinite")
        return Send("BESTSHOT nan inf 0");
    if (mode == "bad-spin")
        return Send("BESTSHOT 0.079850 -2.128900 2");
    if (mode == "flood") {
        Send("BESTSHOT 1");
        std::string chunk(4096, '1');
        for (;;)
            Send(chunk);
    }
    if (mode == "partial")
        return Send("BESTSHOT 0.079850 -2.128900\n");
    if (mode == "trailing")
        return Send(std::string(TEE_DRAW) + " thinking\n");
    if (mode == "chatty") {
        std::cerr << "thinking about " << std::flush;
        Pause(5);
        std::cerr << "GO " << goCount << std::endl;
    }
    if (mode == "split") {
        Send("BEST");
        Pause(20);
        Send("SHOT 0.0798");
        Pause(20);
        Send("50 -2.128900");
        Pause(20);
        return Send(" 0");
    }
    if (mode == "slow")
        Pause(300);
    if (mode.starts_with("sleep-"))
        Pause(std::stoi(mode.substr(6)));
    if (mode == "weak")
        return Send("BESTSHOT 0.000000 -1.000000 0");
    if (mode == "terminated" || mode == "chatty")
        return Send(std::string(TEE_DRAW) + "\n");
    Send(TEE_DRAW);
}

void AppendPid(const char *path)
{
    if (FILE *file = std::fopen(path, "a")) {
        std::fprintf(file, "%d\n", static_cast<int>(getpid()));
        std::fclose(file);
    }
}

}  // namespace

int main(int argc, char **argv)
{
    std::string mode = argc > 1 ? argv[1] : "steady";
    if (argc > 2)
        AppendPid(argv[2]);
    if (mode == "spawn" && fork() == 0) {
        if (argc > 2)
            AppendPid(argv[2]);
        for (;;)
            Pause(1000);
    }
    if (mode == "crash")
        return 3;
    if (mode == "deaf")
        for (;;)
            Pause(1000);
    int goCount = 0;
    if (mode == "one-read") {
        char chunk[1024];
        for (ssize_t got; (got = read(STDIN_FILENO, chunk, sizeof chunk)) > 0;) {
            std::string first(chunk, static_cast<std::size_t>(got));
            first = first.substr(0, first.find('\n'));
            if (Is(first, "ISREADY"))
                Send("READYOK");
            else if (Is(first, "GO"))
                AnswerGo(mode, goCount);
        }
        return 0;
    }
    std::string line;
    while (std::getline(std::cin, line)) {
        if (Is(line, "ISREADY") && mode != "mute")
            Send("READYOK");
        else if (Is(line, "GO"))
            AnswerGo(mode, goCount);
        else if (mode == "complains" && !Known(line))
            Send("ERROR unknown command\n");
        else if (mode == "regular-only" && ExtraEnd(line))
            return 0;
    }
    if (mode == "stays")
        for (;;)
            Pause(1000);
    return 0;
}
