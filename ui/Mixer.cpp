// Mixer.cpp — starting the recording-level control.
#include "Mixer.h"

#include "HelpPage.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/tokenzr.h>
#include <wx/utils.h>

#include <unistd.h>

namespace {

bool RunDetached(const char *const *argv) {
    wxLogNull quiet;  // a failed start must not show a message box
    return wxExecute(argv, wxEXEC_ASYNC) > 0;
}

MixerRunner g_runner = RunDetached;

}  // namespace

MixerRunner SetMixerRunner(MixerRunner runner) {
    MixerRunner previous = g_runner;
    g_runner = runner ? runner : RunDetached;
    return previous;
}

wxString FindOnPath(const wxString &program) {
    wxString path;
    if (program.empty() || program.Contains("/") || !wxGetEnv("PATH", &path)) return wxString();
    wxStringTokenizer dirs(path, ":", wxTOKEN_STRTOK);
    while (dirs.HasMoreTokens()) {
        const wxFileName candidate(dirs.GetNextToken(), program);
        const wxString full = candidate.GetFullPath();
        if (wxFileName::FileExists(full) && access(full.fn_str(), X_OK) == 0) return full;
    }
    return wxString();
}

bool LaunchRecordingMixer() {
    const wxString program = FindOnPath(kMixerProgram);
    if (program.empty()) return false;
    const auto path = program.fn_str();
    const char *const argv[] = {path.data(), kMixerTabArgument, nullptr};
    return g_runner(argv);
}

bool HandleHelpLink(const wxString &target) {
    return target == kHelpLinkMixer && LaunchRecordingMixer();
}
