#include <gtest/gtest.h>

#include <wx/init.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "Settings.h"

namespace {

class Store : public ::testing::Test {
protected:
    std::string dir;
    wxString path;
    void SetUp() override {
        char tmpl[] = "/tmp/tarkabab-settings-XXXXXX";
        dir = mkdtemp(tmpl);
        setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        path = SettingsStore::FilePath("tarkabab");
    }
    void TearDown() override { std::system(("rm -rf " + dir).c_str()); }
    void WriteFile(const std::string &text) {
        mkdir((dir + "/Vextorn").c_str(), 0700);
        std::ofstream(std::string(path.utf8_str()), std::ios::binary) << text;
    }
    std::string ReadFile() {
        std::ifstream in(std::string(path.utf8_str()));
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(Store, PathFollowsXdgConfigHome) {
    EXPECT_EQ(path, wxString(dir + "/Vextorn/tarkabab.conf"));
    setenv("XDG_CONFIG_HOME", "", 1);
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(SettingsStore::FilePath("x"), "/home/someone/.config/Vextorn/x.conf");
}

TEST_F(Store, MissingFileGivesDefaultsAndSaveCreatesTheFolder) {
    SettingsStore store(path);
    EXPECT_EQ(store.ReadLong("PosX", 160), 160);
    EXPECT_FALSE(store.ReadBool("Sugo", false));
    store.WriteLong("PosX", 321);
    store.WriteLong("SNR", 27);
    store.WriteBool("Sugo", true);
    ASSERT_TRUE(store.Save());
    SettingsStore again(path);
    EXPECT_EQ(again.ReadLong("PosX", 0), 321);
    EXPECT_EQ(again.ReadLong("SNR", 30), 27);
    EXPECT_TRUE(again.ReadBool("Sugo", false));
    EXPECT_EQ(access((std::string(path.utf8_str()) + ".tmp").c_str(), F_OK), -1) << "no temporary left";
}

TEST_F(Store, SavingKeepsKeysItDoesNotKnow) {
    WriteFile("Other=5\nPosX=1\n");
    SettingsStore store(path);
    store.WriteLong("PosX", 2);
    ASSERT_TRUE(store.Save());
    SettingsStore again(path);
    EXPECT_EQ(again.ReadLong("Other", 0), 5);
    EXPECT_EQ(again.ReadLong("PosX", 0), 2);
}

TEST_F(Store, CorruptFilesReadAsDefaults) {
    const char *bad[] = {
        "PosX=100\n\x01\x02\x03garbage\n",
        "\xff\xfe\x00\x01PosX=100",
        "PosX=100\n[broken\n",
        "just some words\n",
    };
    for (const char *text : bad) {
        WriteFile(text);
        SettingsStore store(path);
        EXPECT_EQ(store.ReadLong("PosX", 160), 160) << text;
    }
    WriteFile("PosX=notanumber\nPosY=77\n");
    SettingsStore store(path);
    EXPECT_EQ(store.ReadLong("PosX", 160), 160);
    EXPECT_EQ(store.ReadLong("PosY", 50), 77);
}

TEST_F(Store, UnwritableFolderFailsQuietly) {
    if (geteuid() == 0) {
        // root ignores permissions: make the folder a file instead
        std::ofstream(dir + "/Vextorn") << "x";
    } else {
        chmod(dir.c_str(), 0500);
    }
    SettingsStore store(path);
    store.WriteLong("PosX", 1);
    EXPECT_FALSE(store.Save());
    chmod(dir.c_str(), 0700);
}

TEST(WellFormed, AcceptsWhatTheStoreWrites) {
    EXPECT_TRUE(SettingsStore::IsWellFormed(""));
    EXPECT_TRUE(SettingsStore::IsWellFormed("# c\n; c\n[grp]\nPosX=1\n\n  Sugo=1\r\n"));
    EXPECT_FALSE(SettingsStore::IsWellFormed("=1\n"));
}

}  // namespace

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    wxInitializer init;
    return RUN_ALL_TESTS();
}
