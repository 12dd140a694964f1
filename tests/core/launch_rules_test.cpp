#include "launch/launch_rules.h"

#include <gtest/gtest.h>

#include <string>

TEST(LaunchWorkingDirectory, IsTheFolderOfTheProgramWithItsBackslash)
{
    EXPECT_EQ(WorkingDirectoryOf("C:\\Tools\\app.exe"), "C:\\Tools\\");
    EXPECT_EQ(WorkingDirectoryOf("C:\\app.exe"), "C:\\");
    EXPECT_EQ(WorkingDirectoryOf("\\\\server\\share\\dir\\tool.exe"), "\\\\server\\share\\dir\\");
}

TEST(LaunchWorkingDirectory, IsEmptyForABareName)
{
    EXPECT_EQ(WorkingDirectoryOf("notes.txt"), "");
    EXPECT_EQ(WorkingDirectoryOf(""), "");
}

TEST(LaunchWorkingDirectory, StopsAtTheDriveColonOfADriveRelativePath)
{
    EXPECT_EQ(WorkingDirectoryOf("C:app.exe"), "C:");
}

TEST(LaunchWorkingDirectory, TakesTheLastSeparatorOfEitherKind)
{
    EXPECT_EQ(WorkingDirectoryOf("C:\\a\\b.c\\run.exe"), "C:\\a\\b.c\\");
    // A URL's scheme colon comes before its last slash-free part.
    EXPECT_EQ(WorkingDirectoryOf("mailto:someone@example.org"), "mailto:");
    EXPECT_EQ(WorkingDirectoryOf("C:\\dir\\"), "C:\\dir\\");
}

TEST(LaunchWorkingDirectory, AFolderOpensInItselfWithOrWithoutItsBackslash)
{
    EXPECT_EQ(StartFolderOf("C:\\Data\\Docs", true), "C:\\Data\\Docs");
    EXPECT_EQ(StartFolderOf("C:\\Data\\Docs\\", true), "C:\\Data\\Docs\\");
    EXPECT_EQ(StartFolderOf("C:\\", true), "C:\\");
    EXPECT_EQ(StartFolderOf("C:\\Data\\tool.exe", false), "C:\\Data\\") << "a program starts in its folder";
}

TEST(LaunchErrorTexts, NameTheKnownShellResults)
{
    EXPECT_EQ(LaunchErrorText(0), "The operating system is out of memory or resources.");
    EXPECT_EQ(LaunchErrorText(2), "The specified file was not found.");
    EXPECT_EQ(LaunchErrorText(3), "The specified path was not found.");
    EXPECT_EQ(LaunchErrorText(5), "The operating system denied access to the specified file.");
    EXPECT_EQ(LaunchErrorText(8), "There was not enough memory to complete the operation.");
    EXPECT_EQ(LaunchErrorText(11), "Invalid executeable");
    EXPECT_EQ(LaunchErrorText(26), "A sharing violation occurred.");
    EXPECT_EQ(LaunchErrorText(31), "There is no application associated with the given filename extension.");
}

TEST(LaunchErrorTexts, EveryOtherSmallOrNegativeResultIsUnknown)
{
    for (intptr_t r : {1, 4, 6, 7, 9, 10, 12, 25, 27, 30, 32, -1, -32768})
        EXPECT_EQ(LaunchErrorText(r), "Unknown error") << r;
}

TEST(LaunchFailureMessage, NamesTheEntryAndPutsTheReasonOnALineOfItsOwn)
{
    EXPECT_EQ(LaunchFailureText("Editor", "The specified file was not found."),
              "Execution of 'Editor' failed.\rThe specified file was not found.");
    EXPECT_EQ(LaunchFailureText("", "x"), "Execution of '' failed.\rx");
}

TEST(ShellResultCodes, NoResultMapsToSuccessAndFileNotFoundStaysItself)
{
    for (intptr_t r = -40; r <= 32; ++r) EXPECT_NE(SystemCodeOfShellResult(r), 0u) << r;
    EXPECT_EQ(SystemCodeOfShellResult(2), 2u);
    EXPECT_EQ(SystemCodeOfShellResult(31), 1155u);  // not ERROR_GEN_FAILURE, which is also 31
}

TEST(LaunchWorkingDirectory, TheEntrysOwnFolderWinsOverTheRuleWhenItHasOne)
{
    EXPECT_EQ(StartFolderOf("D:\\work", "C:\\Data\\tool.exe", false), "D:\\work");
    EXPECT_EQ(StartFolderOf("D:\\work", "C:\\Data", true), "D:\\work");
    EXPECT_EQ(StartFolderOf("", "C:\\Data\\tool.exe", false), "C:\\Data\\");
    EXPECT_EQ(StartFolderOf("", "C:\\Data", true), "C:\\Data");
}
