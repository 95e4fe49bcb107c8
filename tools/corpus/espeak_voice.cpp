// espeak_voice.cpp — espeak-ng's Hungarian voice, one utterance at a time.
#include "espeak_voice.h"

#include <espeak-ng/speak_lib.h>
#include <dirent.h>

#include <algorithm>
#include <cstdlib>

namespace {

int synth_callback(short *wav, int n, espeak_EVENT *ev) {
    if (!wav || n <= 0) return 0;
    auto *buf = static_cast<std::vector<float> *>(ev->user_data);
    buf->insert(buf->end(), wav, wav + n);
    return 0;
}

}  // namespace

int espeak_voice_start() {
    int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0);
    if (rate <= 0) return 0;
    espeak_SetSynthCallback(synth_callback);
    return rate;
}

std::vector<std::string> espeak_voice_variants() {
    const char *path = nullptr;
    espeak_Info(&path);
    std::string dir = std::string(path ? path : "/usr/lib/x86_64-linux-gnu/espeak-ng-data") + "/voices/!v";
    std::vector<std::string> names;
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *e = readdir(d))
            if (e->d_name[0] != '.') names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool espeak_voice_say(const Speaker &s, const std::string &text, unsigned noiseSeed, std::vector<float> *out) {
    out->clear();
    std::string voice = "hu+" + s.variant;
    if (espeak_SetVoiceByName(voice.c_str()) != EE_OK) return false;
    espeak_SetParameter(espeakRATE, s.rate, 0);
    espeak_SetParameter(espeakPITCH, s.pitch, 0);
    espeak_SetParameter(espeakRANGE, s.range, 0);
    espeak_SetParameter(espeakVOLUME, 100, 0);
    srand(noiseSeed);
    if (espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, out) != EE_OK)
        out->clear();
    return !out->empty();
}

void espeak_voice_stop() { espeak_Terminate(); }
