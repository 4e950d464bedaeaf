#include "platform/profile.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/temp_dir.h"

namespace {

using profile::GetPrivateProfileString;
using profile::WritePrivateProfileString;

class ProfileTest : public testing::Test {
protected:
    void SetUp() override { ::setenv("XDG_CONFIG_HOME", dir.Dir().c_str(), 1); }
    void TearDown() override { ::unsetenv("XDG_CONFIG_HOME"); }
    TempDir dir;
};

TEST_F(ProfileTest, BareNamesLiveInTheConfigurationDirectory) {
    EXPECT_EQ(profile::ResolveProfilePath("QRLX.INI"), dir.Path("QRLX.INI"));
    EXPECT_EQ(profile::ResolveProfilePath("/etc/x.ini"), "/etc/x.ini");
}

TEST_F(ProfileTest, MissingFileSectionOrKeyGiveTheFallback) {
    EXPECT_EQ(GetPrivateProfileString("QRLX.INI", "QRLX_SEC", "DATA_READ_DIR", ""), "");
    EXPECT_EQ(dir.Listing(), "");  // reading creates nothing
    dir.Write("QRLX.INI", "[OTHER]\nDATA_READ_DIR=/x/\n");
    EXPECT_EQ(GetPrivateProfileString("QRLX.INI", "QRLX_SEC", "DATA_READ_DIR", "none"), "none");
}

TEST_F(ProfileTest, WritingCreatesTheFileAndReadsBackIgnoringCase) {
    ASSERT_TRUE(WritePrivateProfileString("QRLX.INI", "QRLX_SEC", "DATA_READ_DIR", "/data/map/"));
    EXPECT_EQ(TempDir::Read(dir.Path("QRLX.INI")), "[QRLX_SEC]\r\nDATA_READ_DIR=/data/map/\r\n");
    EXPECT_EQ(GetPrivateProfileString("QRLX.INI", "qrlx_sec", "data_read_dir", ""), "/data/map/");
    ASSERT_TRUE(WritePrivateProfileString("QRLX.INI", "qrlx_sec", "DATA_WRTE_DIR", "/out/"));
    ASSERT_TRUE(WritePrivateProfileString("QRLX.INI", "QRLX_SEC", "Data_Read_Dir", "/other/"));
    EXPECT_EQ(GetPrivateProfileString("QRLX.INI", "QRLX_SEC", "DATA_READ_DIR", ""), "/other/");
    EXPECT_EQ(GetPrivateProfileString("QRLX.INI", "QRLX_SEC", "DATA_WRTE_DIR", ""), "/out/");
}

TEST_F(ProfileTest, OtherLinesAndSectionsAreKept) {
    dir.Write(
        "QRLX.INI",
        "; "
        "note\r\n[A]\r\nx=1\r\n\r\n[QRLX_SEC]\r\nDATA_READ_DIR=/old/\r\nkeep=me\r\n[B]\r\ny=2\r\n");
    ASSERT_TRUE(WritePrivateProfileString("QRLX.INI", "QRLX_SEC", "DATA_READ_DIR", "/new/"));
    ASSERT_TRUE(WritePrivateProfileString("QRLX.INI", "QRLX_SEC", "DATA_WRTE_DIR", "/w/"));
    EXPECT_EQ(TempDir::Read(dir.Path("QRLX.INI")),
              "; note\r\n[A]\r\nx=1\r\n\r\n[QRLX_SEC]\r\nDATA_READ_DIR=/new/\r\nkeep=me\r\n"
              "DATA_WRTE_DIR=/w/\r\n[B]\r\ny=2\r\n");
}

TEST_F(ProfileTest, UnwritablePlaceGivesFalse) {
    dir.Write("file", "not a directory");
    ::setenv("XDG_CONFIG_HOME", dir.Path("file/sub").c_str(), 1);
    EXPECT_FALSE(WritePrivateProfileString("QRLX.INI", "QRLX_SEC", "DATA_READ_DIR", "/x/"));
}

}  // namespace
