// A simulated serial cable for the link's tests and benchmarks: two pseudo-terminals joined by a
// relay that carries each way at most a given number of bytes a second (960 for 9600 baud, 8N1)
// and garbles or drops bytes with a given probability, from a seeded generator so that a failing
// run can be repeated.
//
//   cable A B [--rate BYTES_PER_SECOND] [--garble P] [--drop P] [--seed N]
//
// A and B become symbolic links to the two terminals' devices; either end may be opened, closed and
// opened again. The relay runs until it is killed. A rate of 0 carries bytes as fast as they come.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <random>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {
using TClock = std::chrono::steady_clock;

struct TLine {
    double Rate = 960;
    double Garble = 0;
    double Drop = 0;
    unsigned Seed = 1;
};

// One end: the terminal's master side, and its device held open by the relay itself so that the
// terminal never hangs up when the program at that end closes it.
struct TEnd {
    int Master = -1;
    int Slave = -1;
};

// One direction of the cable: bytes read from one end wait here until the line has carried them.
// Each byte is due when its last bit is through, one slot after the line is free for it, so a
// packet written after a pause takes as long as one written at once: an idle line saves up no time.
struct TDirection {
    struct TByte {
        unsigned char Value;
        TClock::time_point Due;
    };
    std::deque<TByte> Waiting;
    TClock::time_point LineFree = TClock::now();
};

bool OpenEnd(const char *Link, TEnd &End)
{
    if (openpty(&End.Master, &End.Slave, nullptr, nullptr, nullptr) != 0)
        return false;
    termios raw{};
    tcgetattr(End.Slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(End.Slave, TCSANOW, &raw);
    fcntl(End.Master, F_SETFL, fcntl(End.Master, F_GETFL) | O_NONBLOCK);
    unlink(Link);
    return symlink(ttyname(End.Slave), Link) == 0;
}

// Reads what the program at From wrote, damaged as the line damages it.
void Take(int From, TDirection &Way, const TLine &Line, std::mt19937 &Random)
{
    unsigned char buffer[4096];
    const ssize_t n = read(From, buffer, sizeof buffer);
    std::uniform_real_distribution<double> chance(0, 1);
    std::uniform_int_distribution<int> bits(1, 255);
    const auto now = TClock::now();
    const auto slot = std::chrono::duration_cast<TClock::duration>(
        std::chrono::duration<double>(Line.Rate > 0 ? 1.0 / Line.Rate : 0));
    for (ssize_t i = 0; i < n; ++i) {
        // A dropped byte still took its time on the line; it is simply never delivered.
        Way.LineFree = std::max(Way.LineFree, now) + slot;
        if (chance(Random) < Line.Drop)
            continue;
        unsigned char b = buffer[i];
        if (chance(Random) < Line.Garble)
            b = static_cast<unsigned char>(b ^ bits(Random));
        Way.Waiting.push_back({b, Way.LineFree});
    }
}

// Hands the bytes whose time has come to the program at To; the time until the next one is due, in
// milliseconds, or -1 when nothing waits.
int Deliver(int To, TDirection &Way)
{
    const auto now = TClock::now();
    unsigned char buffer[4096];
    size_t n = 0;
    while (n < Way.Waiting.size() && n < sizeof buffer && Way.Waiting[n].Due <= now) {
        buffer[n] = Way.Waiting[n].Value;
        ++n;
    }
    const ssize_t written = n ? write(To, buffer, n) : 0;
    if (written > 0)
        Way.Waiting.erase(Way.Waiting.begin(), Way.Waiting.begin() + written);
    if (Way.Waiting.empty())
        return -1;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(Way.Waiting.front().Due - TClock::now()).count();
    return wait > 0 ? int(wait) : 1;
}

int Usage()
{
    std::fputs("usage: cable A B [--rate BYTES_PER_SECOND] [--garble P] [--drop P] [--seed N]\n", stderr);
    return 2;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return Usage();
    TLine line;
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            return Usage();
        const char *value = argv[++i];
        char *end = nullptr;
        const double number = std::strtod(value, &end);
        if (end == value || *end != '\0' || number < 0)
            return Usage();
        if (option == "--rate")
            line.Rate = number;
        else if (option == "--garble")
            line.Garble = number;
        else if (option == "--drop")
            line.Drop = number;
        else if (option == "--seed")
            line.Seed = unsigned(number);
        else
            return Usage();
    }
    TEnd a, b;
    if (!OpenEnd(argv[1], a) || !OpenEnd(argv[2], b)) {
        std::fprintf(stderr, "cable: cannot create the terminals: %s\n", std::strerror(errno));
        return 1;
    }
    std::mt19937 random(line.Seed);
    TDirection aToB, bToA;
    for (;;) {
        const int waitAB = Deliver(b.Master, aToB);
        const int waitBA = Deliver(a.Master, bToA);
        int timeout = -1;
        for (const int w : {waitAB, waitBA})
            if (w >= 0 && (timeout < 0 || w < timeout))
                timeout = w;
        pollfd fds[2] = {{a.Master, POLLIN, 0}, {b.Master, POLLIN, 0}};
        if (poll(fds, 2, timeout) < 0 && errno != EINTR)
            return 1;
        if (fds[0].revents & POLLIN)
            Take(a.Master, aToB, line, random);
        if (fds[1].revents & POLLIN)
            Take(b.Master, bToA, line, random);
    }
}
