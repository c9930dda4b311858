#include "checkmutes.h"
#include "tempdir.h"

#include <gtest/gtest.h>

using verbolt::Check;
using verbolt::CheckMutes;

TEST(CheckMutes, OneLanguageOrAllAndIdsAsTheWriterComparesThem)
{
    CheckMutes mutes;
    mutes.parse(
        "# reviewed\npunctuation GERMAN IDS_SAVE AS\r\nnumbers * IDS_VERSION\nnosuch * X\n");
    EXPECT_TRUE(mutes.muted("ids_save as", Check::Punctuation, "GERMAN")) << "ID holds a blank";
    EXPECT_FALSE(mutes.muted("IDS_SAVE AS", Check::Punctuation, "ENGLISH"));
    EXPECT_TRUE(mutes.muted(" IDS_VERSION ", Check::Numbers, "SPANISH"));
    EXPECT_FALSE(mutes.muted("IDS_VERSION", Check::Spaces, "SPANISH"));

    mutes.mute("IDS_OK", Check::Empty, "ITALIAN");
    mutes.mute("IDS_OK", Check::Empty, "ITALIAN");
    mutes.unmute("IDS_VERSION", Check::Numbers);
    EXPECT_EQ(mutes.text(), "# reviewed\npunctuation GERMAN IDS_SAVE AS\nnosuch * X\n"
                            "empty ITALIAN IDS_OK\n")
        << "comments and unknown checks are kept, a mute is written once";
}

TEST(CheckMutes, TravelsInTheLabelFolder)
{
    verbolt::test::TempDir dir;
    CheckMutes mutes;
    ASSERT_TRUE(mutes.read(dir.path()).ok()) << "no file is no mute";
    mutes.mute("IDS_A", Check::Urls);
    ASSERT_TRUE(mutes.write(dir.path()).ok());
    EXPECT_EQ(dir.read("checks.ignore"), "urls * IDS_A\n");
    CheckMutes again;
    ASSERT_TRUE(again.read(dir.path()).ok());
    EXPECT_TRUE(again.muted("IDS_A", Check::Urls, "GERMAN"));
}
