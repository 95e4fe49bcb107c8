// The real game process, played from outside as a player would.
//
// Each test starts the built game (TARKABAB_GAME) with its own settings
// directory and a state dump (GameWindow.h), sends keys with xdotool and,
// with a private PulseAudio server, speaks words into the server's null
// sink with paplay. The dump is read back as the board the player sees:
// balls, pegs, the revealed code.
//
// GTK takes keys only in the window that has the X focus, and a newly
// mapped window takes it. So the game gets an X server of its own (Xvfb):
// suites running beside it on the shared display can neither take its
// keys nor be sent them.
//
// The game's prompts are routed to a second null sink (PULSE_SINK), so the
// game never hears itself through the monitor it records and the tests can
// record what it said. Every wait has a deadline and every child process
// is killed when a test ends.
#include "alaw.h"
#include "pulse_server.h"
#include "resources.h"
#include "wave.h"
#include "words.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char **environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Env = std::vector<std::pair<std::string, std::string>>;

constexpr int kWindowTimeoutMs = 15000;      // game start-up under Xvfb, cold caches
constexpr int kKeyWordTimeoutMs = 3000;      // a typed word reaches the dump
constexpr int kSpokenWordTimeoutMs = 6000;   // word, 243 ms of silence, one block, the event
constexpr int kExitTimeoutMs = 10000;        // quit confirmed until the process is gone
constexpr int kQuitAfterPlayTimeoutMs = 30000;  // ... behind the prompts a played row queues
constexpr int kToolTimeoutMs = 10000;        // Xvfb, xdotool, pactl, espeak-ng, paplay
constexpr int kPollMs = 10;
constexpr int kMaxExitAfterLastPromptMs = 2000;
constexpr double kAudibleLevel = 100.0;      // 16-bit magnitude above A-law's quietest steps
constexpr int kRecordRate = 8000;
constexpr double kTimingSlackS = 0.25;       // recorder latency and chunking
constexpr double kSilenceBetweenWordsS = 1.0;
constexpr int kSayAttempts = 3;
constexpr const char *kDumpLineBreak = "\\n";  // the dump writes the tip's line breaks as backslash, n
constexpr const char *kPromptSink = "tarkabab_prompts";
constexpr int kPositions = 4;
constexpr int kBlackPeg = 2;
constexpr int kWhitePeg = 1;

double SecondsBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// ---- files and child processes -----------------------------------------

class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/tarkabab-e2e-XXXXXX";
        if (mkdtemp(tmpl)) path_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    const std::string &Path() const { return path_; }
    std::string operator/(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// This process's environment with the given names replaced or added.
std::vector<std::string> MergedEnvironment(const Env &overrides) {
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const auto &o : overrides) replaced |= o.first == name;
        if (!replaced) env.push_back(entry);
    }
    for (const auto &o : overrides) env.push_back(o.first + "=" + o.second);
    return env;
}

// One child process; killed and reaped when the object goes.
class Child {
public:
    Child() = default;
    Child(const Child &) = delete;
    Child &operator=(const Child &) = delete;
    ~Child() { Kill(); }

    // stdout goes to a pipe when out_fd is given, otherwise with stderr to
    // log_path (or /dev/null).
    bool Start(const std::vector<std::string> &argv, const Env &env, const std::string &log_path,
               int *out_fd = nullptr) {
        std::vector<std::string> env_strings = MergedEnvironment(env);
        std::vector<char *> args, envp;
        for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        for (const std::string &e : env_strings) envp.push_back(const_cast<char *>(e.c_str()));
        envp.push_back(nullptr);
        const int log_fd = open(log_path.empty() ? "/dev/null" : log_path.c_str(),
                                O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (log_fd < 0) return false;
        int pipe_fds[2] = {-1, -1};
        if (out_fd && pipe2(pipe_fds, O_CLOEXEC) != 0) {
            close(log_fd);
            return false;
        }
        // Only async-signal-safe calls between fork and exec: other threads run.
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out_fd ? pipe_fds[1] : log_fd, STDOUT_FILENO);
            dup2(log_fd, STDERR_FILENO);
            execvpe(args[0], args.data(), envp.data());
            _exit(127);
        }
        close(log_fd);
        if (out_fd) {
            close(pipe_fds[1]);
            if (pid_ < 0) {
                close(pipe_fds[0]);
                return false;
            }
            *out_fd = pipe_fds[0];
        }
        return pid_ > 0;
    }

    // Waits for the exit up to timeout_ms; fills the wait status and the
    // moment the exit was seen (within kPollMs).
    bool Wait(int timeout_ms, int *status = nullptr, Clock::time_point *when = nullptr) {
        if (pid_ <= 0) return false;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
        for (;;) {
            int st = 0;
            if (waitpid(pid_, &st, WNOHANG) == pid_) {
                if (when) *when = Clock::now();
                if (status) *status = st;
                pid_ = -1;
                return true;
            }
            if (Clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        }
    }

    bool Alive() {
        if (pid_ <= 0) return false;
        int st = 0;
        if (waitpid(pid_, &st, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        return true;
    }

    // Asks politely first, so a server can remove its socket and lock file.
    void Terminate(int grace_ms) {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        if (!Wait(grace_ms)) Kill();
    }

    void Kill() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

    int Pid() const { return pid_; }

private:
    int pid_ = -1;
};

// Runs a tool to completion; its exit code, or -1 when it failed to run or
// overran the deadline (it is killed then). Stdout lands in *out if given.
int RunTool(const std::vector<std::string> &argv, std::string *out = nullptr, const Env &env = {},
            int timeout_ms = kToolTimeoutMs) {
    Child child;
    int fd = -1;
    if (!child.Start(argv, env, "", &fd)) return -1;
    std::string text;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    char buf[4096];
    for (;;) {
        const int left = static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
        if (left <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, left) <= 0) break;
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) break;
        text.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    int status = 0;
    const int left = std::max<int>(
        0, static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                                .count()));
    if (!child.Wait(left, &status)) return -1;
    if (out) *out = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// ---- the state dump -----------------------------------------------------

using Dump = std::map<std::string, std::string>;

Dump ParseDump(const std::string &text) {
    Dump dump;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos) dump[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return dump;
}

std::vector<int> Ints(const std::string &text) {
    std::vector<int> values;
    std::istringstream in(text);
    int v;
    while (in >> v) values.push_back(v);
    return values;
}

int IntOf(const Dump &d, const std::string &key, int missing = -100) {
    auto it = d.find(key);
    return it == d.end() || it->second.empty() ? missing : std::atoi(it->second.c_str());
}

struct Row {
    std::vector<int> guess, pegs;
};

// "row<N>=g g g g | p p p p"
Row RowOf(const Dump &d, int row) {
    Row r;
    auto it = d.find("row" + std::to_string(row));
    if (it == d.end()) return r;
    const size_t bar = it->second.find('|');
    r.guess = Ints(it->second.substr(0, bar));
    if (bar != std::string::npos) r.pegs = Ints(it->second.substr(bar + 1));
    return r;
}

int FilledHoles(const Row &r) {
    return static_cast<int>(std::count_if(r.guess.begin(), r.guess.end(), [](int v) { return v != 0; }));
}

std::string Show(const Dump &d) {
    std::string s;
    for (const auto &kv : d) s += "  " + kv.first + "=" + kv.second + "\n";
    return s;
}

// The game's only answer to a rejected word: "Tessék?" as the tip, or,
// while it waits for a yes or no, "Tessék?" above the question (once: a
// second rejection leaves that tip as it is).
bool OnlyPardonAdded(Dump before, Dump after) {
    const std::string pardon = "Tessék?";
    const std::string pardonLine = pardon + kDumpLineBreak;
    const std::string tip = after["tip"];
    const bool pardonLast = tip.size() >= pardon.size() &&
                            tip.compare(tip.size() - pardon.size(), pardon.size(), pardon) == 0;
    const bool pardonAbove = tip == pardonLine + before["tip"] ||
                             (tip == before["tip"] && tip.compare(0, pardonLine.size(), pardonLine) == 0);
    if (!pardonLast && !pardonAbove) return false;
    before.erase("tip");
    after.erase("tip");
    return before == after;
}

// Master Mind scoring, written out independently of the game model: one
// black peg per exact match, one white per further colour in common; the
// result sorted blacks first, empty slots last.
std::vector<int> ExpectedPegs(const std::vector<int> &guess, const std::vector<int> &secret) {
    std::map<int, int> guess_left, secret_left;
    int black = 0;
    for (size_t i = 0; i < guess.size() && i < secret.size(); ++i) {
        if (guess[i] == secret[i]) {
            ++black;
        } else {
            guess_left[guess[i]]++;
            secret_left[secret[i]]++;
        }
    }
    int white = 0;
    for (const auto &g : guess_left) white += std::min(g.second, secret_left[g.first]);
    std::vector<int> pegs(guess.size(), 0);
    for (int i = 0; i < black + white; ++i) pegs[i] = i < black ? kBlackPeg : kWhitePeg;
    return pegs;
}

std::vector<int> SortedDescending(std::vector<int> v) {
    std::sort(v.rbegin(), v.rend());
    return v;
}

// ---- a PulseAudio address that hangs up ---------------------------------

// A Unix socket that accepts every connection and closes it at once: to the
// game, a server address where nothing answers, and to the test a count of
// how often the game tried it.
class HangUpServer {
public:
    ~HangUpServer() { Stop(); }

    bool Start(const std::string &path) {
        fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0) return false;
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
        if (bind(fd_, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || listen(fd_, 16) != 0)
            return false;
        running_ = true;
        thread_ = std::thread([this] {
            while (running_) {
                pollfd p{fd_, POLLIN, 0};
                if (poll(&p, 1, 50) <= 0) continue;
                const int c = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
                if (c < 0) continue;
                close(c);
                accepted_++;
            }
        });
        return true;
    }

    void Stop() {
        running_ = false;
        if (thread_.joinable()) thread_.join();
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

    int Accepted() const { return accepted_; }

private:
    int fd_ = -1;
    std::atomic<bool> running_{false};
    std::atomic<int> accepted_{0};
    std::thread thread_;
};

// ---- what a sink plays --------------------------------------------------

// Records a sink's monitor (parec, 8 kHz, 16-bit) and keeps the moments of
// the first and the last audible sample. Its low latency also keeps the
// null sink awake, so prompts start without the idle sink's 2 s delay.
class SinkRecorder {
public:
    ~SinkRecorder() { Stop(); }

    bool Start(const std::string &sink) {
        const std::string rate = "--rate=" + std::to_string(kRecordRate);
        if (!parec_.Start({"parec", "--latency-msec=20", rate, "--channels=1", "--format=s16le",
                           "--raw", "-d", sink + ".monitor"},
                          {}, "", &fd_))
            return false;
        running_ = true;
        thread_ = std::thread([this] { Loop(); });
        const auto deadline = Clock::now() + std::chrono::milliseconds(kToolTimeoutMs);
        while (samples_ == 0) {
            if (Clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        }
        return true;
    }

    void Stop() {
        parec_.Kill();
        running_ = false;
        if (thread_.joinable()) thread_.join();
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

    bool Heard() const {
        std::lock_guard<std::mutex> g(lock_);
        return heard_;
    }
    Clock::time_point FirstAudible() const {
        std::lock_guard<std::mutex> g(lock_);
        return first_;
    }
    Clock::time_point LastAudible() const {
        std::lock_guard<std::mutex> g(lock_);
        return last_;
    }

private:
    void Loop() {
        int16_t buf[1024];
        while (running_) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            const ssize_t n = read(fd_, buf, sizeof buf);
            if (n <= 0) break;
            const auto now = Clock::now();
            const size_t count = static_cast<size_t>(n) / sizeof buf[0];
            for (size_t i = 0; i < count; ++i) {
                if (std::abs(static_cast<int>(buf[i])) <= kAudibleLevel) continue;
                const auto at = now - std::chrono::microseconds((count - i) * 1000000 / kRecordRate);
                std::lock_guard<std::mutex> g(lock_);
                if (!heard_) first_ = at;
                heard_ = true;
                last_ = at;
            }
            samples_ += count;
        }
    }

    Child parec_;
    int fd_ = -1;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<size_t> samples_{0};
    mutable std::mutex lock_;
    bool heard_ = false;
    Clock::time_point first_, last_;
};

// A prompt as the game stores it: its length and the quiet at both ends.
struct PromptSound {
    bool found = false;
    double seconds = 0, lead = 0, trail = 0;
};

PromptSound MeasurePrompt(const std::string &name) {
    PromptSound p;
    const ResEntry *res = res_find(name.c_str());
    WaveInfo w;
    if (!res || wave_parse(res->data, res->size, &w) != kWaveOk || w.format_tag != kWaveAlaw ||
        w.channels != 1)
        return p;
    std::vector<int16_t> pcm(w.bytes);
    alaw_decode_block(w.data, pcm.data(), w.bytes);
    auto loud = [](int16_t v) { return std::abs(static_cast<int>(v)) > kAudibleLevel; };
    const auto first = std::find_if(pcm.begin(), pcm.end(), loud);
    const auto last = std::find_if(pcm.rbegin(), pcm.rend(), loud);
    p.found = true;
    p.seconds = static_cast<double>(w.bytes) / w.rate;
    p.lead = static_cast<double>(first - pcm.begin()) / w.rate;
    p.trail = static_cast<double>(last - pcm.rbegin()) / w.rate;
    return p;
}

std::string ColourPrompt(int value) { return "c_" + std::to_string(value) + ".wav"; }

int ColourOfWord(const std::string &word) {
    for (const ColourInfo &c : kPalette)
        if (word == c.word) return c.value;
    return 0;
}

// ---- the game -----------------------------------------------------------

// For a ThreadSanitizer build of the game: the caller's options, and the
// project's suppressions for uninstrumented system libraries unless the
// caller already names a suppressions file.
std::string GameTsanOptions() {
    const char *given = std::getenv("TSAN_OPTIONS");
    std::string options = given ? given : "";
    if (options.find("suppressions=") == std::string::npos)
        options += std::string(options.empty() ? "" : ":") + "suppressions=" + TARKABAB_TSAN_SUPPRESSIONS;
    return options;
}

// A private X server; Xvfb picks a free display number and reports it.
class XServer {
public:
    ~XServer() { xvfb_.Terminate(kToolTimeoutMs); }

    bool Start() {
        int fd = -1;
        if (!xvfb_.Start({"Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"},
                         {}, "", &fd))
            return false;
        std::string number;
        const auto deadline = Clock::now() + std::chrono::milliseconds(kToolTimeoutMs);
        char c;
        while (Clock::now() < deadline) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, kPollMs * 10) <= 0) continue;
            if (read(fd, &c, 1) != 1 || c == '\n') break;
            number += c;
        }
        close(fd);
        if (number.empty()) return false;
        display_ = ":" + number;
        return true;
    }
    const std::string &Display() const { return display_; }

private:
    Child xvfb_;
    std::string display_;
};

class Game {
public:
    explicit Game(const TempDir &dir) : dir_(dir) {}

    bool Start(const Env &extra) {
        if (!x_.Start()) return false;
        fs::create_directories(dir_ / "config");
        Env env = {{"XDG_CONFIG_HOME", dir_ / "config"},
                   {"TARKABAB_STATE_DUMP", DumpPath()},
                   {"DISPLAY", x_.Display()},
                   {"NO_AT_BRIDGE", "1"},
                   {"TSAN_OPTIONS", GameTsanOptions()}};
        env.insert(env.end(), extra.begin(), extra.end());
        return process_.Start({TARKABAB_GAME}, env, dir_ / "game.log");
    }

    // Waits until this process shows its game window and has written its
    // first dump; false if it does not within kWindowTimeoutMs.
    bool FindWindow() {
        const auto deadline = Clock::now() + std::chrono::milliseconds(kWindowTimeoutMs);
        while (Clock::now() < deadline && process_.Alive()) {
            std::string out;
            if (RunTool({"xdotool", "search", "--all", "--onlyvisible", "--pid",
                         std::to_string(process_.Pid()), "--name", "^Tarkabab 1\\.5$"},
                        &out, XEnv()) == 0) {
                window_ = std::strtoul(out.c_str(), nullptr, 10);
                if (window_ != 0 && fs::exists(DumpPath()))
                    return RunTool({"xdotool", "windowfocus", "--sync", std::to_string(window_)}, nullptr,
                                   XEnv()) == 0;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    // Sent to the game window (which holds the focus), in order. A key that
    // closes the window goes through LastKey: its release may find the
    // window gone, which xdotool reports as a failure.
    bool Keys(const std::vector<std::string> &keys) {
        std::vector<std::string> argv = {"xdotool", "key", "--window", std::to_string(window_), "--delay",
                                         "30"};
        argv.insert(argv.end(), keys.begin(), keys.end());
        return RunTool(argv, nullptr, XEnv()) == 0;
    }

    // The game window's pixels as a PNG file (imagemagick).
    bool Screenshot(const std::string &path) {
        return RunTool({"import", "-display", x_.Display(), "-window", std::to_string(window_), path}) == 0;
    }

    void LastKey(const std::string &key) { Keys({key}); }

    Dump State() const { return ParseDump(ReadFile(DumpPath())); }

    // Polls the dump until done(dump) holds; the last dump read lands in *last.
    bool WaitFor(const std::function<bool(const Dump &)> &done, int timeout_ms, Dump *last = nullptr) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
        for (;;) {
            Dump d = State();
            if (last) *last = d;
            if (done(d)) return true;
            if (Clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        }
    }

    bool WaitExit(int *status, Clock::time_point *when = nullptr, int timeout_ms = kExitTimeoutMs) {
        return process_.Wait(timeout_ms, status, when);
    }
    bool Alive() { return process_.Alive(); }
    std::string Log() const { return ReadFile(dir_ / "game.log"); }
    std::string SettingsFile() const {
        std::error_code ec;
        for (const auto &e : fs::recursive_directory_iterator(dir_ / "config", ec))
            if (e.path().filename() == "tarkabab.conf") return e.path().string();
        return {};
    }

private:
    std::string DumpPath() const { return dir_ / "state"; }
    Env XEnv() const { return {{"DISPLAY", x_.Display()}}; }

    const TempDir &dir_;
    XServer x_;  // outlives the game: members go in reverse order
    Child process_;
    unsigned long window_ = 0;
};

// Starts the private server with a second null sink for the game's prompts
// and a recorder on it. Fails the test (returns false) if any of it fails.
bool StartSoundServer(PulseServer &server, SinkRecorder &prompts) {
    const std::string error = server.Start();
    EXPECT_EQ(error, "");
    if (!error.empty()) return false;
    const int loaded = RunTool({"pactl", "load-module", "module-null-sink",
                                std::string("sink_name=") + kPromptSink});
    EXPECT_EQ(loaded, 0) << "pactl load-module module-null-sink";
    if (loaded != 0) return false;
    const bool recording = prompts.Start(kPromptSink);
    EXPECT_TRUE(recording) << "parec on the prompt sink's monitor";
    return recording;
}

// The game records the test sink's monitor and speaks into the prompt sink.
Env SoundRouting() {
    return {{"PULSE_SINK", kPromptSink}, {"PULSE_SOURCE", std::string(PulseServer::kSinkName) + ".monitor"}};
}

// Whether two pictures have the same pixels: imagemagick's compare exits
// with 0 when they do, 1 when they differ.
int PixelsDiffer(const std::string &a, const std::string &b) {
    return RunTool({"compare", "-metric", "AE", a, b, "null:"});
}

// Waits until the game's recording stream is connected to the server.
bool WaitForCaptureStream() {
    const auto deadline = Clock::now() + std::chrono::milliseconds(kWindowTimeoutMs);
    while (Clock::now() < deadline) {
        std::string out;
        if (RunTool({"pactl", "list", "source-outputs"}, &out) == 0 &&
            out.find("application.name = \"Tarkabab\"") != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

void ExpectCleanQuit(Game &game) {
    ASSERT_TRUE(game.Keys({"Escape"}));
    game.LastKey("i");
    int status = -1;
    ASSERT_TRUE(game.WaitExit(&status, nullptr, kQuitAfterPlayTimeoutMs))
        << "the game did not exit after Esc, i\n" << game.Log();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status << "\n"
                                                               << game.Log();
    const std::string settings = game.SettingsFile();
    ASSERT_NE(settings, "") << "no settings file was written";
    EXPECT_NE(ReadFile(settings).find("Sugo"), std::string::npos) << ReadFile(settings);
}

}  // namespace

// Without a sound server the game starts, plays from the keyboard, keeps
// trying to open the microphone once a second and quits cleanly.
// The spoken test's judge of a rejected word, on dumps as the game writes
// them (line breaks in the tip as backslash, n).
TEST(E2eJudge, OnlyThePardonCountsAsARejection) {
    const Dump playing = {{"row", "0"}, {"tip", "Mondj egy színt!"}};
    const Dump question = {{"state", "2"}, {"tip", "Biztos megmondjam a megfejtést?\\n\"igen\"\\n\"nem\""}};
    Dump pardoned = question;
    pardoned["tip"] = "Tessék?\\n" + question.at("tip");

    Dump rejected = playing;
    rejected["tip"] = "Tessék?";
    EXPECT_TRUE(OnlyPardonAdded(playing, rejected));
    EXPECT_TRUE(OnlyPardonAdded(question, pardoned)) << "pardon above the question";
    EXPECT_TRUE(OnlyPardonAdded(pardoned, pardoned)) << "second rejection leaves the stacked tip";

    EXPECT_FALSE(OnlyPardonAdded(playing, playing)) << "nothing heard is not a rejection";
    EXPECT_FALSE(OnlyPardonAdded(question, question));
    Dump moved = rejected;
    moved["row"] = "1";
    EXPECT_FALSE(OnlyPardonAdded(playing, moved)) << "the word did something";
    Dump newline = question;
    newline["tip"] = "Tessék?\n" + question.at("tip");
    EXPECT_FALSE(OnlyPardonAdded(question, newline)) << "a raw line break is not how the dump writes one";
}

TEST(E2eGame, NoServerStillPlays) {
    TempDir dir;
    ASSERT_FALSE(dir.Path().empty());
    HangUpServer nobody;
    ASSERT_TRUE(nobody.Start(dir / "pulse"));
    Game game(dir);
    ASSERT_TRUE(game.Start({{"PULSE_SERVER", "unix:" + (dir / "pulse")}}));
    ASSERT_TRUE(game.FindWindow()) << game.Log();

    // The greeting's two prompts fail at once; after that only the
    // capture retries knock. Meanwhile the level meter stays still: the
    // board does not change at all.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const int before = nobody.Accepted();
    const auto t0 = Clock::now();
    ASSERT_TRUE(game.Screenshot(dir / "before.png"));
    std::this_thread::sleep_for(std::chrono::seconds(4));
    const double retries_per_s = (nobody.Accepted() - before) / SecondsBetween(t0, Clock::now());
    EXPECT_GE(retries_per_s, 0.5);
    EXPECT_LE(retries_per_s, 1.5);
    ASSERT_TRUE(game.Screenshot(dir / "after.png"));
    EXPECT_EQ(PixelsDiffer(dir / "before.png", dir / "after.png"), 0) << "the board changed while idle";

    ASSERT_TRUE(game.Keys({"p", "f", "k", "r", "Return"}));
    Dump d;
    ASSERT_TRUE(game.WaitFor([](const Dump &s) { return IntOf(s, "row") == 1 || IntOf(s, "entry") <= -2; },
                             kKeyWordTimeoutMs, &d))
        << Show(d);
    const Row row0 = RowOf(d, 0);
    EXPECT_EQ(row0.guess, (std::vector<int>{1, 2, 8, 6}));
    ASSERT_EQ(row0.pegs.size(), static_cast<size_t>(kPositions));

    // Reveal the code to check the pegs against it.
    ASSERT_TRUE(game.Keys({"g", "i"}));
    ASSERT_TRUE(game.WaitFor([](const Dump &s) { return IntOf(s, "revealed") == 1; }, kKeyWordTimeoutMs, &d))
        << Show(d);
    const std::vector<int> secret = Ints(d["secret"]);
    ASSERT_EQ(secret.size(), static_cast<size_t>(kPositions));
    EXPECT_EQ(SortedDescending(RowOf(d, 0).pegs), ExpectedPegs(row0.guess, secret)) << Show(d);

    // Still running and still trying the microphone.
    const int later = nobody.Accepted();
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    EXPECT_GE(nobody.Accepted() - later, 1);
    ASSERT_TRUE(game.Alive());

    ExpectCleanQuit(game);
}

// Quitting while prompts are queued: every queued prompt is still said,
// then the game is gone within 2 s.
TEST(E2eGame, QuitWhilePromptsQueuedDrainsThenExits) {
    PulseServer server;
    SinkRecorder said;
    if (!StartSoundServer(server, said)) return;
    TempDir dir;
    Game game(dir);
    ASSERT_TRUE(game.Start(SoundRouting()));
    ASSERT_TRUE(game.FindWindow()) << game.Log();

    // Four colours, reveal, quit: queued behind the greeting in well under
    // the greeting's own length. What the reveal says is known only from
    // the code, so the exit is awaited for the longest it could take.
    const std::vector<std::string> before_code = {"m_szia.wav", "m_kezd.wav", "c_1.wav", "c_2.wav",
                                                  "c_8.wav", "c_6.wav", "q_szabad.wav", "m_megfejtes.wav"};
    const std::vector<std::string> after_code = {"q_kilep.wav", "m_szia.wav"};
    double longest_colour = 0;
    for (const ColourInfo &c : kPalette)
        longest_colour = std::max(longest_colour, MeasurePrompt(ColourPrompt(c.value)).seconds);
    double most = kPositions * longest_colour;
    for (const auto *list : {&before_code, &after_code})
        for (const std::string &name : *list) most += MeasurePrompt(name).seconds;

    const auto keys_at = Clock::now();
    ASSERT_TRUE(game.Keys({"p", "f", "k", "r", "g", "i", "Escape"}));
    game.LastKey("i");
    int status = -1;
    Clock::time_point exited;
    ASSERT_TRUE(game.WaitExit(&status, &exited, static_cast<int>(most * 1000) + kExitTimeoutMs))
        << game.Log();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << game.Log();
    Dump d = game.State();
    EXPECT_EQ(IntOf(d, "state"), 1) << Show(d);
    const std::vector<int> secret = Ints(d["secret"]);
    ASSERT_EQ(secret.size(), static_cast<size_t>(kPositions)) << Show(d);

    std::vector<std::string> queued = before_code;
    for (int colour : secret) queued.push_back(ColourPrompt(colour));
    queued.insert(queued.end(), after_code.begin(), after_code.end());
    double total = 0;
    for (const std::string &name : queued) {
        const PromptSound p = MeasurePrompt(name);
        ASSERT_TRUE(p.found) << name;
        total += p.seconds;
    }
    const PromptSound first = MeasurePrompt(queued.front());
    const PromptSound last = MeasurePrompt(queued.back());

    ASSERT_TRUE(said.Heard()) << "no prompt reached the prompt sink";
    const double heard_span = SecondsBetween(said.FirstAudible(), said.LastAudible());
    const double needed_span = total - first.lead - last.trail - kTimingSlackS;
    const double exit_after_last = SecondsBetween(said.LastAudible(), exited) - last.trail;
    std::printf("[ timing ] %zu prompts, %.2f s of recordings; heard for %.2f s; keys sent %.2f s after the "
                "first sound; exit %.3f s after the last prompt ended\n",
                queued.size(), total, heard_span, SecondsBetween(said.FirstAudible(), keys_at),
                exit_after_last);
    ::testing::Test::RecordProperty("exit_after_last_prompt_ms", static_cast<int>(exit_after_last * 1000));
    EXPECT_GE(heard_span, needed_span) << "fewer prompts were played than queued";
    EXPECT_GE(exit_after_last, -kTimingSlackS) << "sound after the exit?";
    EXPECT_LE(exit_after_last, kMaxExitAfterLastPromptMs / 1000.0);
}

// The real thing: a row spoken into the microphone, scored, then the code
// revealed by voice.
TEST(E2eGame, SpokenGame) {
    const std::vector<std::string> colours = {"piros", "kék", "zöld", "sárga"};
    TempDir dir;
    std::vector<std::string> words = colours;
    words.insert(words.end(), {"rendben", "szabad a gazda", "igen"});
    std::map<std::string, std::string> wav;
    for (size_t i = 0; i < words.size(); ++i) {
        wav[words[i]] = dir / ("word" + std::to_string(i) + ".wav");
        ASSERT_EQ(RunTool({"espeak-ng", "-v", "hu", "-w", wav[words[i]], words[i]}), 0) << words[i];
    }

    PulseServer server;
    SinkRecorder said;
    if (!StartSoundServer(server, said)) return;
    Game game(dir);
    ASSERT_TRUE(game.Start(SoundRouting()));
    ASSERT_TRUE(game.FindWindow()) << game.Log();
    ASSERT_TRUE(WaitForCaptureStream()) << "the game never opened its recording stream";
    std::this_thread::sleep_for(std::chrono::duration<double>(kSilenceBetweenWordsS));

    // Says a word until done() holds. A word the game rejects (it only
    // adds "Tessék?") is said again, as a player would, up to
    // kSayAttempts times; a word taken for another one is a failure.
    auto say = [&](const std::string &word, const std::function<bool(const Dump &)> &done, Dump *d) {
        const std::string device = std::string("--device=") + PulseServer::kSinkName;
        for (int attempt = 1; attempt <= kSayAttempts; ++attempt) {
            const Dump before = game.State();
            if (RunTool({"paplay", device, wav[word]}) != 0) return false;
            game.WaitFor([&](const Dump &s) { return done(s) || s != before; }, kSpokenWordTimeoutMs, d);
            std::this_thread::sleep_for(std::chrono::duration<double>(kSilenceBetweenWordsS));
            *d = game.State();
            if (done(*d)) {
                std::printf("[ spoken ] \"%s\" taken at attempt %d\n", word.c_str(), attempt);
                return true;
            }
            if (!OnlyPardonAdded(before, *d)) {
                std::printf("[ spoken ] \"%s\" at attempt %d: neither taken nor only answered with the pardon; before:\n%s", word.c_str(),
                            attempt, Show(before).c_str());
                return false;
            }
            std::printf("[ spoken ] \"%s\" rejected at attempt %d\n", word.c_str(), attempt);
        }
        return false;
    };

    Dump d;
    std::vector<int> expected_row;
    for (size_t i = 0; i < colours.size(); ++i) {
        expected_row.push_back(ColourOfWord(colours[i]));
        const int filled = static_cast<int>(i) + 1;
        ASSERT_TRUE(say(colours[i], [&](const Dump &s) { return FilledHoles(RowOf(s, 0)) == filled; }, &d))
            << "\"" << colours[i] << "\" did not fill hole " << i << "\n" << Show(d);
        ASSERT_EQ(RowOf(d, 0).guess[i], expected_row[i]) << "heard another colour for \"" << colours[i]
                                                         << "\"\n" << Show(d);
    }
    EXPECT_EQ(RowOf(d, 0).guess, expected_row);

    ASSERT_TRUE(say("rendben", [](const Dump &s) { return IntOf(s, "row") == 1 || IntOf(s, "entry") <= -2; },
                    &d))
        << Show(d);
    const bool won = IntOf(d, "entry") == -2;
    if (!won) {
        ASSERT_TRUE(say("szabad a gazda", [](const Dump &s) { return IntOf(s, "state") == 2; }, &d))
            << Show(d);
        ASSERT_TRUE(say("igen", [](const Dump &s) { return IntOf(s, "revealed") == 1; }, &d)) << Show(d);
    }
    EXPECT_EQ(IntOf(d, "revealed"), 1) << Show(d);
    EXPECT_EQ(IntOf(d, "entry"), won ? -2 : -3) << Show(d);
    const std::vector<int> secret = Ints(d["secret"]);
    ASSERT_EQ(secret.size(), static_cast<size_t>(kPositions)) << Show(d);
    EXPECT_EQ(SortedDescending(RowOf(d, 0).pegs), ExpectedPegs(expected_row, secret)) << Show(d);
    EXPECT_TRUE(said.Heard()) << "the game said nothing";

    ExpectCleanQuit(game);
}
