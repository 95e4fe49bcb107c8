#include "pulse_server.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace {

constexpr int kStartTimeoutMs = 10000;

bool socket_answers(const std::string &path) {
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    bool ok = connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

}  // namespace

PulseServer::~PulseServer() { Stop(); }

std::string PulseServer::Start() {
    char tmpl[] = "/tmp/tarkabab-pulse-XXXXXX";
    if (!mkdtemp(tmpl)) return "mkdtemp failed";
    dir_ = tmpl;
    const std::string socket_path = dir_ + "/native";
    const std::string sink_arg = std::string("module-null-sink sink_name=") + kSinkName;
    const std::string proto_arg = "module-native-protocol-unix auth-anonymous=1 socket=" + socket_path;
    const std::string log_path = dir_ + "/server.log";

    pid_t pid = fork();
    if (pid < 0) return "fork failed";
    if (pid == 0) {
        setenv("HOME", dir_.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir_ + "/config").c_str(), 1);
        setenv("PULSE_RUNTIME_PATH", (dir_ + "/pulse").c_str(), 1);
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        unsetenv("PULSE_SERVER");
        if (!freopen(log_path.c_str(), "w", stderr)) _exit(126);
        execlp("pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
               "--use-pid-file=no", "--system=no", "--log-target=stderr", "--log-level=error",
               "-L", sink_arg.c_str(), "-L", proto_arg.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    pid_ = pid;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    while (!socket_answers(socket_path)) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            std::ifstream log(log_path);
            std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
            if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
                return "pulseaudio is not installed (Debian package pulseaudio; run make deps)";
            return "pulseaudio exited at start: " + text;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            Stop();
            return "pulseaudio did not open its socket within 10 s";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    setenv("PULSE_SERVER", ("unix:" + socket_path).c_str(), 1);

    const std::string keeper_out = dir_ + "/keeper.raw";
    const std::string monitor = std::string(kSinkName) + ".monitor";
    pid_t keeper = fork();
    if (keeper < 0) return "fork failed";
    if (keeper == 0) {
        if (!freopen("/dev/null", "w", stderr)) _exit(126);
        execlp("parec", "parec", "--latency-msec=20", "--rate=8000", "--channels=1", "--format=u8",
               "--raw", "-d", monitor.c_str(), keeper_out.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    keeper_pid_ = keeper;
    const auto awake_by = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    std::error_code ec;
    while (std::filesystem::file_size(keeper_out, ec) == 0 || ec) {
        int status = 0;
        if (waitpid(keeper_pid_, &status, WNOHANG) == keeper_pid_) {
            keeper_pid_ = -1;
            return "parec exited at start (Debian package pulseaudio-utils)";
        }
        if (std::chrono::steady_clock::now() > awake_by) return "the null sink did not start within 10 s";
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return {};
}

void PulseServer::Reap(int signal) {
    if (keeper_pid_ > 0) {
        kill(keeper_pid_, SIGKILL);
        waitpid(keeper_pid_, nullptr, 0);
        keeper_pid_ = -1;
    }
    if (pid_ > 0) {
        kill(pid_, SIGCONT);
        kill(pid_, signal);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }
}

void PulseServer::Freeze(bool frozen) {
    if (pid_ > 0) kill(pid_, frozen ? SIGSTOP : SIGCONT);
}

void PulseServer::Crash() { Reap(SIGKILL); }

void PulseServer::Stop() {
    Reap(SIGTERM);
    if (!dir_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
        dir_.clear();
    }
}

void PulseServer::UseNoServer() { setenv("PULSE_SERVER", "unix:/nonexistent/tarkabab/native", 1); }

bool WriteToneWav(const std::string &path, int rate, double freq, int amp, double seconds,
                  double lead_silence) {
    const int lead = static_cast<int>(lead_silence * rate);
    const int tone = static_cast<int>(seconds * rate);
    std::vector<int16_t> samples(lead + tone, 0);
    for (int i = 0; i < tone; ++i)
        samples[lead + i] = static_cast<int16_t>(amp * std::sin(2.0 * M_PI * freq * i / rate));
    const uint32_t data_bytes = static_cast<uint32_t>(samples.size() * 2);
    auto put32 = [](std::ofstream &f, uint32_t v) { f.write(reinterpret_cast<const char *>(&v), 4); };
    auto put16 = [](std::ofstream &f, uint16_t v) { f.write(reinterpret_cast<const char *>(&v), 2); };
    std::ofstream f(path, std::ios::binary);
    f.write("RIFF", 4);
    put32(f, 36 + data_bytes);
    f.write("WAVEfmt ", 8);
    put32(f, 16);
    put16(f, 1);
    put16(f, 1);
    put32(f, static_cast<uint32_t>(rate));
    put32(f, static_cast<uint32_t>(rate * 2));
    put16(f, 2);
    put16(f, 16);
    f.write("data", 4);
    put32(f, data_bytes);
    f.write(reinterpret_cast<const char *>(samples.data()), data_bytes);
    return static_cast<bool>(f);
}

int Paplay(const std::string &path) {
    const std::string cmd =
        std::string("paplay --device=") + PulseServer::kSinkName + " '" + path + "' 2>/dev/null";
    return std::system(cmd.c_str());
}

// ThreadSanitizer cannot see the synchronisation inside the (uninstrumented)
// PulseAudio client library and reports its own mutex as racing with the
// thread that allocated it; only that report is silenced.
extern "C" const char *__tsan_default_suppressions() { return "race:pa_mutex_lock\n"; }
