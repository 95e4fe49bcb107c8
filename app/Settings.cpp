#include "Settings.h"

#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/sstream.h>
#include <wx/utils.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr long kMaxFileBytes = 64 * 1024;  // a settings file is a few hundred bytes

// The file's text, or an empty text when it cannot be read or is too large
// to be ours.
std::string ReadSmallFile(const wxString &path) {
    std::ifstream in(path.fn_str(), std::ios::binary);
    if (!in) return std::string();
    std::string text(kMaxFileBytes + 1, '\0');
    in.read(&text[0], kMaxFileBytes + 1);
    text.resize(static_cast<size_t>(in.gcount()));
    return text.size() > static_cast<size_t>(kMaxFileBytes) ? std::string() : text;
}

bool WriteAll(int fd, const std::string &data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}
}  // namespace

wxString SettingsStore::FilePath(const wxString &appName) {
    wxString base;
    if (!wxGetEnv("XDG_CONFIG_HOME", &base) || base.empty())
        base = wxFileName::GetHomeDir() + "/.config";
    return base + "/" + kVendor + "/" + appName + ".conf";
}

bool SettingsStore::IsWellFormed(const std::string &text) {
    if (!text.empty() && wxString::FromUTF8(text.data(), text.size()).empty()) return false;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos) continue;
        char c = line[first];
        if (c == '#' || c == ';') continue;
        if (c == '[') {
            if (line.find(']', first) == std::string::npos) return false;
            continue;
        }
        size_t eq = line.find('=', first);
        if (eq == std::string::npos || eq == first) return false;
        for (size_t k = first; k < line.size(); ++k)
            if (static_cast<unsigned char>(line[k]) < ' ' && line[k] != '\t' && line[k] != '\r') return false;
    }
    return true;
}

SettingsStore::SettingsStore(const wxString &path) : path_(path) {
    std::string text = ReadSmallFile(path);
    if (!IsWellFormed(text)) text.clear();
    wxStringInputStream in(wxString::FromUTF8(text.data(), text.size()));
    config_ = std::make_unique<wxFileConfig>(in);
}

SettingsStore::~SettingsStore() = default;

long SettingsStore::ReadLong(const char *key, long fallback) const {
    long value = fallback;
    if (!config_->Read(key, &value)) return fallback;
    return value;
}

bool SettingsStore::ReadBool(const char *key, bool fallback) const {
    bool value = fallback;
    if (!config_->Read(key, &value)) return fallback;
    return value;
}

void SettingsStore::WriteLong(const char *key, long value) { config_->Write(key, value); }

void SettingsStore::WriteBool(const char *key, bool value) { config_->Write(key, value); }

bool SettingsStore::Save() {
    wxFileName name(path_);
    if (!name.DirExists() && !wxFileName::Mkdir(name.GetPath(), 0700, wxPATH_MKDIR_FULL)) return false;
    wxStringOutputStream out;
    if (!config_->Save(out)) return false;
    const wxScopedCharBuffer utf8 = out.GetString().utf8_str();
    std::string data(utf8.data(), utf8.length());

    return WriteFileAtomically(std::string(path_.fn_str()), data, true);
}

bool WriteFileAtomically(const std::string &path, const std::string &data, bool durable) {
    std::string temp = path + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, data) && (!durable || ::fsync(fd) == 0);
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}
