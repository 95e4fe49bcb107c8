// playback.h — plays one recorded prompt, synchronously.
//
// A prompt is a WAVE resource (resources.h) named like "m_szia.wav"; the
// lookup ignores case. prompt_play_sync returns when the prompt has finished
// playing, or at once when there is no such resource, the data is not a
// valid prompt, or no sound server can be reached: nothing blocks and no
// message is shown.
//
// Returns 0 when the prompt was played, -1 no such resource, -2 bad or
// truncated WAVE data, -3 no sound output.
#pragma once

#include <cstddef>

int prompt_play_sync(const char *name);

// Plays WAVE data held in memory, as prompt_play_sync plays a resource:
// 0 played, -2 bad or truncated WAVE data, -3 no sound output.
int prompt_play_wave(const unsigned char *data, std::size_t size);
