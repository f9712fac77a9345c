// klv90-sim: stands in for the KLV-90 controller on a pseudo-terminal, so a download can be tried
// without the device. It prints the terminal's path on its first line, then a trace of the line:
//   < 48 45 4C 4C 4F     bytes received, one message a line
//   > WELCOME            a reply sent
//   -- closed            the tool closed the line
// and at "END" the received program as a table. Options change how it answers; see usage().
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view Greeting = "HELLO";
constexpr std::string_view EndOfDownload = "END";
constexpr std::size_t FrameSize = 13;
constexpr std::size_t FieldCount = 11;
// "END" on its own is only told from the start of a frame by what does not follow it.
constexpr int EndQuietMs = 100;
constexpr int PieceGapMs = 30;
constexpr int ClosedLinePollMs = 2;

const char *const FieldNames[FieldCount] = {"keyData", "keyMask",     "controlBits", "speed1",
                                            "level1",  "pause1",      "speed2",      "level2",
                                            "pause2",  "repeatCount", "stepFlag"};

// The user who ran sudo. Under sudo (which a link under /dev needs) the terminal and the saved
// program would belong to root, and the user's tool could not open the terminal: they go to
// this user instead.
struct SudoUser
{
    bool present = false;
    uid_t uid = 0;
    gid_t gid = 0;
};

struct Options
{
    bool silent = false;
    int lateMs = 0;
    int frameLateMs = 0;
    int ngCount = 0;
    std::string ngReply = "NG";
    bool split = false;
    bool noise = false;
    bool smallWelcome = false;
    int silentAfter = -1;
    int vanishAfter = -1;
    int baud = 0;
    std::string savePath;
    std::string linkPath;
    bool once = false;
    SudoUser sudoUser; // from the environment, not the command line
};

void usage(std::FILE *out)
{
    std::fputs(
        "usage: klv90-sim [options]\n"
        "Opens a pseudo-terminal, prints its path and answers on it as the KLV-90 does:\n"
        "\"WELCOME\" to \"HELLO\", \"OK\" to a sound frame, \"NG\" to a bad one; prints the\n"
        "program at \"END\".\n"
        "  --silent            never answer\n"
        "  --late MS           answer every message MS milliseconds late\n"
        "  --frame-late MS     answer every step frame MS milliseconds late (on top of --late),\n"
        "                      the greeting at once\n"
        "  --ng N              answer the first N frames of each download with a refusal\n"
        "  --ng-reply TEXT     the text of that refusal (default NG)\n"
        "  --split             send every reply in two pieces, 30 ms apart\n"
        "  --noise             surround every reply with other characters\n"
        "  --small-welcome     answer \"welcome\" in small letters\n"
        "  --silent-after K    take K frames of each download, then answer nothing more\n"
        "  --vanish-after K    take K frames, then close the line and end (device gone)\n"
        "  --baud RATE         pace the line at RATE baud, 10 bits a byte (default: unpaced)\n"
        "  --save FILE         write each received program to FILE as a .zzr settings file\n"
        "  --once              end after the first complete download\n"
        "  --link PATH         also reach the terminal as PATH (a symbolic link, removed at the\n"
        "                      end), e.g. /dev/ttyUSB0, which the tool tries as port 5\n"
        "Run with sudo (for a link under /dev), it hands the terminal and the saved file to the\n"
        "user who ran sudo, so that user's tool can open the terminal.\n",
        out);
}

// Reads the options; on a mistake returns the error to show, naming the option.
std::string parseOptions(int argc, char *argv[], Options &options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto number = [&](int &target) {
            if (i + 1 >= argc)
                return arg + " needs a number";
            const char *text = argv[++i];
            char *end = nullptr;
            const long value = std::strtol(text, &end, 10);
            if (end == text || *end != '\0' || value < 0 || value > 1000000)
                return arg + " needs a number from 0 to 1000000, not \"" + text + "\"";
            target = int(value);
            return std::string();
        };
        const auto text = [&](std::string &target) {
            if (i + 1 >= argc)
                return arg + " needs a value";
            target = argv[++i];
            return std::string();
        };
        std::string error;
        if (arg == "--silent")
            options.silent = true;
        else if (arg == "--late")
            error = number(options.lateMs);
        else if (arg == "--frame-late")
            error = number(options.frameLateMs);
        else if (arg == "--ng")
            error = number(options.ngCount);
        else if (arg == "--ng-reply")
            error = text(options.ngReply);
        else if (arg == "--split")
            options.split = true;
        else if (arg == "--noise")
            options.noise = true;
        else if (arg == "--small-welcome")
            options.smallWelcome = true;
        else if (arg == "--silent-after")
            error = number(options.silentAfter);
        else if (arg == "--vanish-after")
            error = number(options.vanishAfter);
        else if (arg == "--baud") {
            error = number(options.baud);
            if (error.empty() && options.baud == 0)
                error = "--baud needs a rate above 0";
        } else if (arg == "--save")
            error = text(options.savePath);
        else if (arg == "--once")
            options.once = true;
        else if (arg == "--link")
            error = text(options.linkPath);
        else
            error = "unknown option " + arg;
        if (!error.empty())
            return error;
    }
    return {};
}

// Reads SUDO_UID and SUDO_GID when running as root; on a mistake returns the error to show.
std::string readSudoUser(SudoUser &user)
{
    const char *uid = std::getenv("SUDO_UID");
    if (geteuid() != 0 || uid == nullptr)
        return {};
    const auto id = [](const char *text, unsigned long &value) {
        if (text == nullptr)
            return false;
        char *end = nullptr;
        errno = 0;
        value = std::strtoul(text, &end, 10);
        // (uid_t)-1 would mean "leave unchanged" to chown().
        return end != text && *end == '\0' && errno == 0 && value < 0xFFFFFFFFUL;
    };
    const char *gid = std::getenv("SUDO_GID");
    unsigned long uidValue = 0;
    unsigned long gidValue = 0;
    if (!id(uid, uidValue) || !id(gid, gidValue))
        return "SUDO_UID and SUDO_GID must be user and group ids, not \"" + std::string(uid) +
               "\" and \"" + std::string(gid ? gid : "") + "\"";
    user = {true, uid_t(uidValue), gid_t(gidValue)};
    return {};
}

// Gives the file to the user who ran sudo, if any.
bool handOver(const SudoUser &user, const std::string &path)
{
    if (!user.present || chown(path.c_str(), user.uid, user.gid) == 0)
        return true;
    std::fprintf(stderr, "klv90-sim: cannot hand %s to user %u: %s\n", path.c_str(),
                 unsigned(user.uid), std::strerror(errno));
    return false;
}

std::int64_t nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

void sleepUntil(std::int64_t ns)
{
    const timespec ts{time_t(ns / 1000000000), long(ns % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

void sleepMs(int ms)
{
    sleepUntil(nowNs() + std::int64_t(ms) * 1000000);
}

std::string hex(std::string_view bytes)
{
    std::string text;
    char digits[4];
    for (unsigned char byte : bytes) {
        std::snprintf(digits, sizeof digits, "%s%02X", text.empty() ? "" : " ", byte);
        text += digits;
    }
    return text;
}

// Control characters shown as escapes, so a trace line stays one line.
std::string printable(std::string_view bytes)
{
    std::string text;
    for (unsigned char byte : bytes) {
        if (byte == '\r')
            text += "\\r";
        else if (byte == '\n')
            text += "\\n";
        else if (byte < 0x20 || byte >= 0x7F) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            text += escape;
        } else
            text += char(byte);
    }
    return text;
}

// The line as the controller sees it: unpaced, or at a baud rate in both directions.
class Line
{
public:
    Line(int fd, int baud) : m_fd(fd), m_byteNs(baud > 0 ? 10000000000LL / baud : 0) {}

    // Bytes read at once from the terminal were written at once by the tool; on a paced line
    // the last of them arrives after their line time.
    void received(std::size_t count)
    {
        if (m_byteNs == 0)
            return;
        m_rxFree = std::max(m_rxFree, nowNs()) + std::int64_t(count) * m_byteNs;
        sleepUntil(m_rxFree);
    }

    void send(std::string_view bytes)
    {
        if (m_byteNs == 0) {
            writeAll(bytes);
            return;
        }
        // Each byte is handed over when its last bit would have reached the tool. A UART sends
        // queued bytes back to back, so a late wake-up here does not delay the next byte.
        m_txFree = std::max(m_txFree, nowNs());
        for (char byte : bytes) {
            m_txFree += m_byteNs;
            sleepUntil(m_txFree);
            writeAll(std::string_view(&byte, 1));
        }
    }

private:
    void writeAll(std::string_view bytes)
    {
        while (!bytes.empty()) {
            const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return; // nobody listens; a controller does not care
            bytes.remove_prefix(std::size_t(n));
        }
    }

    int m_fd;
    std::int64_t m_byteNs;
    std::int64_t m_rxFree = 0;
    std::int64_t m_txFree = 0;
};

class Controller
{
public:
    Controller(const Options &options, Line &line) : m_options(options), m_line(line) {}

    // Takes what arrived; answers every complete message in it.
    void received(std::string_view bytes)
    {
        m_heard = true;
        m_line.received(bytes.size());
        m_pending.append(bytes);
        process();
    }

    // The tool closed the line: whatever the download had reached ends here.
    void lineClosed()
    {
        if (m_receiving && m_pending == EndOfDownload)
            finishDownload();
        if (m_heard)
            say("-- closed");
        m_heard = false;
        m_receiving = false;
        m_pending.clear();
    }

    // Nothing followed a lone "END" for a while: it was the end of the download.
    void quiet()
    {
        if (awaitingQuiet())
            finishDownload();
    }

    bool awaitingQuiet() const { return m_receiving && m_pending == EndOfDownload; }
    bool done() const { return m_done; }

private:
    void process()
    {
        for (;;) {
            if (!m_receiving) {
                if (!greeted())
                    return;
                continue;
            }
            // The tool may close and reopen the line faster than the hang-up shows here. A
            // frame never starts with these texts, as its second byte (keyMask) has bit 7 set.
            const std::string_view pending = m_pending;
            if (pending.starts_with(Greeting)) {
                m_receiving = false;
                continue;
            }
            if (pending.starts_with(EndOfDownload) &&
                pending.substr(EndOfDownload.size()).starts_with(Greeting)) {
                finishDownload();
                continue;
            }
            if (pending.size() < FrameSize)
                return;
            const std::string frame = m_pending.substr(0, FrameSize);
            m_pending.erase(0, FrameSize);
            say("< " + hex(frame));
            takeFrame(frame);
        }
    }

    // Waits for "HELLO", ignoring whatever comes before it, and answers it.
    bool greeted()
    {
        const std::size_t at = m_pending.find(Greeting);
        if (at == std::string::npos)
            return false;
        if (at > 0)
            say("< " + hex(std::string_view(m_pending).substr(0, at)) + " (ignored)");
        say("< " + hex(Greeting));
        m_pending.erase(0, at + Greeting.size());
        m_receiving = true;
        m_steps.clear();
        m_taken = 0;
        m_refused = 0;
        m_silent = m_options.silent;
        reply(m_options.smallWelcome ? "welcome" : "WELCOME", m_options.lateMs);
        if (m_options.vanishAfter == 0)
            vanish();
        return true;
    }

    void takeFrame(const std::string &frame)
    {
        if (m_silent || (m_options.silentAfter >= 0 && m_taken >= m_options.silentAfter))
            return;
        unsigned sum = 0;
        for (std::size_t i = 0; i < FieldCount; ++i)
            sum += static_cast<unsigned char>(frame[i]);
        const bool sound = (sum % 256) == static_cast<unsigned char>(frame[FieldCount]) &&
                           frame[FrameSize - 1] == '\0';
        // The controller may take its time over a frame while it greets at once.
        const int lateMs = m_options.lateMs + m_options.frameLateMs;
        if (!sound) {
            reply("NG", lateMs);
            return;
        }
        if (m_refused < m_options.ngCount) {
            ++m_refused;
            reply(m_options.ngReply, lateMs);
            return;
        }
        m_steps.push_back(frame.substr(0, FieldCount));
        ++m_taken;
        reply("OK", lateMs);
        if (m_taken == m_options.vanishAfter)
            vanish();
    }

    // The device is gone: the terminal closes with the process.
    static void vanish()
    {
        say("-- vanished");
        std::exit(0);
    }

    void reply(std::string text, int lateMs)
    {
        if (m_silent)
            return;
        if (m_options.noise)
            text = "#?" + text + "?#\r\n";
        if (lateMs > 0)
            sleepMs(lateMs);
        say("> " + printable(text));
        if (!m_options.split) {
            m_line.send(text);
            return;
        }
        const std::size_t half = text.size() / 2;
        m_line.send(std::string_view(text).substr(0, half));
        sleepMs(PieceGapMs);
        m_line.send(std::string_view(text).substr(half));
    }

    void finishDownload()
    {
        say("< " + hex(EndOfDownload));
        m_pending.erase(0, EndOfDownload.size());
        m_receiving = false;
        printProgram();
        if (!m_options.savePath.empty())
            saveProgram();
        if (m_options.once)
            m_done = true;
    }

    void printProgram() const
    {
        std::printf("END: %zu steps\n", m_steps.size());
        std::printf("%4s", "step");
        for (const char *name : FieldNames)
            std::printf(" %*s", std::max(3, int(std::strlen(name))), name);
        std::printf("\n");
        for (std::size_t s = 0; s < m_steps.size(); ++s) {
            std::printf("%4zu", s + 1);
            for (std::size_t f = 0; f < FieldCount; ++f) {
                std::printf(" %*u", std::max(3, int(std::strlen(FieldNames[f]))),
                            unsigned(static_cast<unsigned char>(m_steps[s][f])));
            }
            std::printf("\n");
        }
        std::fflush(stdout);
    }

    // The settings file: "KLV", then the eleven field bytes of each step. Written beside and
    // renamed over, so a reader never sees half a file.
    void saveProgram() const
    {
        const std::string temporary = m_options.savePath + ".part";
        {
            std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
            file << "KLV";
            for (const std::string &step : m_steps)
                file << step;
            if (!file.flush()) {
                std::fprintf(stderr, "klv90-sim: cannot write %s\n", temporary.c_str());
                return;
            }
        }
        handOver(m_options.sudoUser, temporary);
        if (std::rename(temporary.c_str(), m_options.savePath.c_str()) != 0)
            std::fprintf(stderr, "klv90-sim: cannot write %s\n", m_options.savePath.c_str());
        else
            say("saved " + m_options.savePath);
    }

    static void say(const std::string &line)
    {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }

    const Options &m_options;
    Line &m_line;
    std::string m_pending;
    std::vector<std::string> m_steps;
    bool m_receiving = false;
    bool m_heard = false;
    bool m_silent = false;
    bool m_done = false;
    int m_taken = 0;
    int m_refused = 0;
};

// The link to the terminal, removed however the simulator ends.
char linkToRemove[4096];

void removeLink()
{
    if (linkToRemove[0] != '\0')
        unlink(linkToRemove);
}

void endOnSignal(int)
{
    removeLink();
    _exit(0);
}

bool makeLink(const std::string &path, const char *terminal)
{
    if (path.size() >= sizeof linkToRemove || symlink(terminal, path.c_str()) != 0) {
        std::fprintf(stderr, "klv90-sim: cannot create %s: %s\n", path.c_str(),
                     std::strerror(errno));
        return false;
    }
    std::memcpy(linkToRemove, path.c_str(), path.size() + 1);
    std::atexit(removeLink);
    signal(SIGINT, endOnSignal);
    signal(SIGTERM, endOnSignal);
    signal(SIGHUP, endOnSignal);
    return true;
}

int openTerminal()
{
    const int fd = posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0)
        return -1;
    // Raw, or the terminal would echo and hold bytes back for line editing.
    termios settings{};
    if (tcgetattr(fd, &settings) == 0) {
        cfmakeraw(&settings);
        tcsetattr(fd, TCSANOW, &settings);
    }
    return fd;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        usage(stdout);
        return 0;
    }
    Options options;
    if (const std::string error = parseOptions(argc, argv, options); !error.empty()) {
        std::fprintf(stderr, "klv90-sim: %s\nklv90-sim --help lists the options.\n", error.c_str());
        return 2;
    }
    if (const std::string error = readSudoUser(options.sudoUser); !error.empty()) {
        std::fprintf(stderr, "klv90-sim: %s\n", error.c_str());
        return 2;
    }
    signal(SIGPIPE, SIG_IGN);

    const int fd = openTerminal();
    if (fd < 0) {
        std::perror("klv90-sim: cannot open a pseudo-terminal");
        return 1;
    }
    if (!handOver(options.sudoUser, ptsname(fd)))
        return 1;
    // An existing device is never replaced: symlink() fails when the path exists.
    if (!options.linkPath.empty() && !makeLink(options.linkPath, ptsname(fd)))
        return 1;
    std::printf("%s\n", ptsname(fd));
    std::fflush(stdout);

    Line line(fd, options.baud);
    Controller controller(options, line);
    std::array<char, 4096> buffer{};
    while (!controller.done()) {
        pollfd poll{fd, POLLIN, 0};
        const int ready = ::poll(&poll, 1, controller.awaitingQuiet() ? EndQuietMs : -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            controller.quiet();
            continue;
        }
        if (poll.revents & POLLIN) {
            const ssize_t n = ::read(fd, buffer.data(), buffer.size());
            if (n > 0) {
                controller.received(std::string_view(buffer.data(), std::size_t(n)));
                continue;
            }
        }
        // No one has the terminal open: wait for the tool to open it again.
        controller.lineClosed();
        sleepMs(ClosedLinePollMs);
    }
    return 0;
}
