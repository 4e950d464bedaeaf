#include "platform/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/iofault.h"
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

namespace {

class ProfileSafetyTest : public ProfileTest {};

TEST_F(ProfileSafetyTest, AFileThatCannotBeReadIsNotOverwritten) {
    const std::string path = dir.Write("QRLX.INI", "[OTHER]\nKEEP=1\n");
    iofault::Fail(iofault::opRead);
    EXPECT_FALSE(WritePrivateProfileString("QRLX.INI", "QRLX_SEC", "DATA_READ_DIR", "/x/"));
    iofault::Reset();
    EXPECT_EQ(TempDir::Read(path), "[OTHER]\nKEEP=1\n");
    if (::getuid() != 0) {  // the owner's own read permission taken away
        ::chmod(path.c_str(), 0222);
        EXPECT_FALSE(WritePrivateProfileString("QRLX.INI", "QRLX_SEC", "DATA_READ_DIR", "/x/"));
        ::chmod(path.c_str(), 0600);
        EXPECT_EQ(TempDir::Read(path), "[OTHER]\nKEEP=1\n");
    }
}

TEST_F(ProfileSafetyTest, AWriteThatFailsKeepsTheOldFile) {
    ASSERT_TRUE(WritePrivateProfileString("QRLX.INI", "QRLX_SEC", "DATA_READ_DIR", "/old/"));
    const std::string before = TempDir::Read(dir.Path("QRLX.INI"));
    for (iofault::Operation operation : {iofault::opWrite, iofault::opSync, iofault::opRename}) {
        iofault::Fail(operation);
        EXPECT_FALSE(WritePrivateProfileString("QRLX.INI", "QRLX_SEC", "DATA_READ_DIR", "/new/"));
        iofault::Reset();
        EXPECT_EQ(TempDir::Read(dir.Path("QRLX.INI")), before) << operation;
        EXPECT_EQ(dir.Listing(), "QRLX.INI") << operation;
    }
}

TEST_F(ProfileSafetyTest, ValuesReadBackAsTheyWereWritten) {
    for (const std::string value : {" /lead", "/trail\t", "\"/in quotes\"", "\"", "a=b", ""}) {
        ASSERT_TRUE(WritePrivateProfileString("QRLX.INI", "S", "K", value)) << value;
        EXPECT_EQ(GetPrivateProfileString("QRLX.INI", "S", "K", "fallback"), value);
    }
    // A line break cannot stand in a line; the write says so and changes nothing.
    EXPECT_FALSE(WritePrivateProfileString("QRLX.INI", "S", "K", "/two\nlines"));
    EXPECT_EQ(GetPrivateProfileString("QRLX.INI", "S", "K", "fallback"), "");
    EXPECT_EQ(GetPrivateProfileString("QRLX.INI", "S", "K2", "fallback"), "fallback");
}

TEST_F(ProfileSafetyTest, ALinkedFileIsWrittenThroughTheLink) {
    const std::string real = dir.Write("real.ini", "[S]\nOLD=1\n");
    ASSERT_EQ(::symlink("real.ini", dir.Path("QRLX.INI").c_str()), 0);
    ASSERT_TRUE(WritePrivateProfileString("QRLX.INI", "S", "K", "v"));
    EXPECT_EQ(TempDir::Read(real), "[S]\r\nOLD=1\r\nK=v\r\n");
    struct stat link {};
    ASSERT_EQ(::lstat(dir.Path("QRLX.INI").c_str(), &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode));
}

}  // namespace
