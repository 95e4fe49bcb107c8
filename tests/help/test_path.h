// test_path.h — a throw-away directory that stands in for PATH.
#pragma once

#include <string>

// Creates a fresh directory and makes it the only entry of PATH; the old
// PATH comes back and the directory is removed when the object goes.
class ScratchPath {
public:
    ScratchPath();
    ~ScratchPath();
    ScratchPath(const ScratchPath &) = delete;
    ScratchPath &operator=(const ScratchPath &) = delete;

    const std::string &dir() const { return dir_; }

    // Writes a file called name with the given text; mode as for chmod.
    std::string AddFile(const std::string &name, const std::string &text, int mode);

private:
    std::string dir_;
    std::string oldPath_;
    bool hadPath_;
};
