#include "test_path.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

ScratchPath::ScratchPath() {
    char tmpl[] = "/tmp/tarkabab-help-XXXXXX";
    const char *made = mkdtemp(tmpl);
    dir_ = made ? made : "";
    const char *old = std::getenv("PATH");
    hadPath_ = old != nullptr;
    if (old) oldPath_ = old;
    setenv("PATH", dir_.c_str(), 1);
}

ScratchPath::~ScratchPath() {
    if (hadPath_)
        setenv("PATH", oldPath_.c_str(), 1);
    else
        unsetenv("PATH");
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
}

std::string ScratchPath::AddFile(const std::string &name, const std::string &text, int mode) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path) << text;
    chmod(path.c_str(), mode);
    return path;
}
