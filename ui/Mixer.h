// Mixer.h — starting the desktop's recording-level control.
//
// The help page's microphone section has a link with target "sr]". The game
// window's kHelpLinkEvent handler passes every target to HandleHelpLink,
// which starts the PulseAudio volume control on its input-devices tab
// ("pavucontrol --tab=4") without waiting for it. When pavucontrol is not on
// PATH nothing happens and nothing is shown: the player gets no message box
// either way.
//
// Tests replace the part that actually starts the process with
// SetMixerRunner; the PATH lookup stays real.
#pragma once

#include <wx/string.h>

// Program and arguments of the recording-level control.
inline constexpr const char kMixerProgram[] = "pavucontrol";
inline constexpr const char kMixerTabArgument[] = "--tab=4";  // Input Devices

// Starts argv[0] with the arguments argv[1..] (null-terminated) without
// waiting; returns whether the process was started.
using MixerRunner = bool (*)(const char *const *argv);

// Replaces the runner; nullptr restores the default (asynchronous wxExecute
// with logging suppressed). Returns the previous runner.
MixerRunner SetMixerRunner(MixerRunner runner);

// Full path of program if it is an executable file in a PATH directory,
// otherwise an empty string.
wxString FindOnPath(const wxString &program);

// Starts the recording-level control if it is installed. Returns whether it
// was started.
bool LaunchRecordingMixer();

// Runs a help-page link target: "sr]" launches the mixer, anything else does
// nothing. Returns whether something was launched.
bool HandleHelpLink(const wxString &target);
