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

int prompt_play_sync(const char *name);
