// Settings.h — the per-user settings file.
//
// Lives in $XDG_CONFIG_HOME/Vextorn/<app name>.conf (~/.config when the
// variable is unset or empty), in the GUI library's file-config format
// with every key at the top level:
//   PosX PosY            game window position          (long)
//   HelpPosX HelpPosY    help window position          (long)
//   HelpSizeX HelpSizeY  help window size              (long)
//   SNR                  recogniser sensitivity, dB    (long)
//   Sugo                 help has been offered once    (bool)
// A missing, unreadable or corrupt file reads as empty, so every key takes
// its default; nothing is reported. Save writes a temporary file next to
// the real one and renames it over it, so an interrupted save never leaves
// a broken file.
#pragma once

#include <wx/string.h>

#include <memory>
#include <string>

class wxFileConfig;

class SettingsStore {
public:
    static constexpr const char *kVendor = "Vextorn";

    // Path of the settings file for an application name.
    static wxString FilePath(const wxString &appName);

    // Opens (reads) the file; a bad file counts as empty.
    explicit SettingsStore(const wxString &path);
    ~SettingsStore();

    long ReadLong(const char *key, long fallback) const;
    bool ReadBool(const char *key, bool fallback) const;
    void WriteLong(const char *key, long value);
    void WriteBool(const char *key, bool value);

    bool Save();  // false when the file could not be written

    // True when text looks like a settings file: groups, comments,
    // key=value lines and blank lines only, valid UTF-8.
    static bool IsWellFormed(const std::string &text);

private:
    wxString path_;
    std::unique_ptr<wxFileConfig> config_;
};

// Replaces the file at path with data through a temporary file and a rename,
// so neither a reader nor an interrupted write ever sees half a file; durable
// also syncs the data to disk before the rename. False when it failed.
bool WriteFileAtomically(const std::string &path, const std::string &data, bool durable);
