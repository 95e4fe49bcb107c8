// pulse_server.h — a private PulseAudio server for tests.
//
// Start() runs `pulseaudio` in a fresh temporary runtime directory with a
// null sink (whose monitor becomes the default source) and an anonymous
// native socket, then points this process's PULSE_SERVER at it, so the
// code under test and any paplay child use it. Stop() (also the destructor)
// kills it and removes the directory.
//
// A null sink that has been idle sleeps on its longest latency (2 s) and
// only notices new streams after that, which would add up to 2 s to the
// first capture and to every prompt. Start() therefore keeps a small
// low-latency recording of the sink's monitor running (parec, 8 kHz u8, to
// a file) and returns once it delivers audio: from then on the sink ticks
// every 20 ms, as a real sound card does. UseNoServer() points PULSE_SERVER at
// a socket that does not exist.
#pragma once

#include <string>

class PulseServer {
public:
    ~PulseServer();
    // Empty string on success, otherwise what went wrong.
    std::string Start();
    void Stop();    // SIGTERM, wait, clean up
    void Crash();   // SIGKILL, as if the server died
    void Freeze(bool frozen);  // SIGSTOP / SIGCONT: a server that stops answering
    bool Running() const { return pid_ > 0; }
    const std::string &Dir() const { return dir_; }

    static constexpr const char *kSinkName = "tarkabab_test_sink";
    static void UseNoServer();

private:
    void Reap(int signal);
    int pid_ = -1;
    int keeper_pid_ = -1;
    std::string dir_;
};

// Writes a mono 16-bit PCM WAVE file: a sine of freq Hz at amplitude amp
// (0..32767) for seconds, preceded by lead_silence seconds of silence.
bool WriteToneWav(const std::string &path, int rate, double freq, int amp, double seconds,
                  double lead_silence = 0.0);

// Plays a file into the test server's null sink with paplay; returns its
// exit status (0 = played).
int Paplay(const std::string &path);
