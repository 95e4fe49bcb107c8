// The launcher and the AppStream metadata that `make install` puts in place:
// both must pass their validators, and they must name the installed program,
// icon and launcher consistently.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace {

const std::string kData = std::string(TARKABAB_SOURCE_DIR) + "/data/";
const std::string kDesktop = kData + "tarkabab.desktop";
const std::string kMetainfo = kData + "io.github.vextorn.tarkabab.metainfo.xml";

bool have(const char *program) {
    const std::string cmd = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

struct Output {
    int status;
    std::string output;
};

// Runs a shell command, collecting stdout and stderr.
Output run(const std::string &cmd) {
    Output r{-1, ""};
    FILE *p = popen((cmd + " 2>&1").c_str(), "r");
    if (!p) return r;
    std::array<char, 256> buf;
    while (fgets(buf.data(), buf.size(), p)) r.output += buf.data();
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

std::string slurp(const std::string &path) {
    std::ifstream f(path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// Keys of the [Desktop Entry] group.
std::map<std::string, std::string> desktop_entry(const std::string &path) {
    std::map<std::string, std::string> keys;
    std::istringstream in(slurp(path));
    std::string line, group;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[') group = line;
        const size_t eq = line.find('=');
        if (group == "[Desktop Entry]" && eq != std::string::npos) keys[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return keys;
}

TEST(Desktop, LauncherPassesDesktopFileValidate) {
    if (!have("desktop-file-validate"))
        GTEST_SKIP() << "desktop-file-validate is not installed (Debian package desktop-file-utils)";
    const Output r = run("desktop-file-validate '" + kDesktop + "'");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "") << "warnings or hints";
}

TEST(Desktop, MetainfoPassesAppstreamValidate) {
    if (!have("appstreamcli"))
        GTEST_SKIP() << "appstreamcli is not installed (Debian package appstream)";
    const Output r = run("appstreamcli validate --no-net --pedantic '" + kMetainfo + "'");
    EXPECT_EQ(r.status, 0) << r.output;
}

TEST(Desktop, LauncherStartsTheGameWithItsIconInBothLanguages) {
    auto keys = desktop_entry(kDesktop);
    EXPECT_EQ(keys["Type"], "Application");
    EXPECT_EQ(keys["Exec"], "tarkabab");
    EXPECT_EQ(keys["Icon"], "tarkabab");
    EXPECT_NE(keys["Categories"].find("Game;"), std::string::npos);
    EXPECT_NE(keys["Categories"].find("BoardGame;"), std::string::npos);
    for (const char *key : {"Name", "Comment", "Keywords"}) {
        EXPECT_FALSE(keys[key].empty()) << key;
        EXPECT_FALSE(keys[std::string(key) + "[hu]"].empty()) << key << "[hu]";
    }
}

// The metadata must point at the launcher by the name it is installed under.
TEST(Desktop, MetainfoNamesTheInstalledLauncherAndBinary) {
    const std::string xml = slurp(kMetainfo);
    const std::string open = "<launchable type=\"desktop-id\">", close = "</launchable>";
    const size_t from = xml.find(open);
    ASSERT_NE(from, std::string::npos);
    const size_t to = xml.find(close, from);
    ASSERT_NE(to, std::string::npos);
    const std::string launcher = xml.substr(from + open.size(), to - from - open.size());
    EXPECT_TRUE(std::ifstream(kData + launcher).good()) << launcher << " is not in data/";
    EXPECT_EQ(kData + launcher, kDesktop);
    EXPECT_NE(xml.find("<binary>" + desktop_entry(kDesktop)["Exec"] + "</binary>"), std::string::npos);
}

}  // namespace
