// Link dispatch to the recording-level control, with the process start faked.
#include "Mixer.h"

#include "test_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::vector<std::string>> g_started;

bool RecordStart(const char *const *argv) {
    std::vector<std::string> args;
    for (; *argv; ++argv) args.push_back(*argv);
    g_started.push_back(args);
    return true;
}

class MixerTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_started.clear();
        previous_ = SetMixerRunner(RecordStart);
    }
    void TearDown() override { SetMixerRunner(previous_); }

    ScratchPath path_;
    MixerRunner previous_ = nullptr;
};

TEST_F(MixerTest, FindOnPathWantsAnExecutableFile) {
    EXPECT_EQ(FindOnPath("pavucontrol"), "");
    path_.AddFile("pavucontrol", "#!/bin/sh\n", 0644);
    EXPECT_EQ(FindOnPath("pavucontrol"), "") << "not executable";
    const std::string exe = path_.AddFile("pavucontrol", "#!/bin/sh\n", 0755);
    EXPECT_EQ(FindOnPath("pavucontrol"), exe);
    EXPECT_EQ(FindOnPath(""), "");
    EXPECT_EQ(FindOnPath(exe), "") << "only bare names are looked up";
}

TEST_F(MixerTest, MixerLinkStartsPavucontrolOnTheInputTab) {
    const std::string exe = path_.AddFile("pavucontrol", "#!/bin/sh\n", 0755);
    EXPECT_TRUE(HandleHelpLink("sr]"));
    ASSERT_EQ(g_started.size(), 1u);
    EXPECT_EQ(g_started[0], (std::vector<std::string>{exe, "--tab=4"}));
}

TEST_F(MixerTest, MixerLinkDoesNothingWithoutPavucontrol) {
    EXPECT_FALSE(HandleHelpLink("sr]"));
    EXPECT_FALSE(LaunchRecordingMixer());
    EXPECT_TRUE(g_started.empty());
}

TEST_F(MixerTest, OtherTargetsStartNothing) {
    path_.AddFile("pavucontrol", "#!/bin/sh\n", 0755);
    for (const char *target : {"#m4", "#st", "sr", "SR]", "sr] ", "", "http://example.org/"})
        EXPECT_FALSE(HandleHelpLink(target)) << target;
    EXPECT_TRUE(g_started.empty());
}

}  // namespace
