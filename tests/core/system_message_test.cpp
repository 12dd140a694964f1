// The trimming of the system's message texts.
#include "win/system_message.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

TEST(SystemMessageTrimming, RemovesTheLineBreakAndFullStopTheTableAppends)
{
    EXPECT_EQ(TrimSystemMessage("The system cannot find the file specified.\r\n"),
              "The system cannot find the file specified");
    EXPECT_EQ(TrimSystemMessage("File not found.\n"), "File not found");
}

TEST(SystemMessageTrimming, RemovesAnyMixOfBlanksControlsAndStopsAtTheEnd)
{
    EXPECT_EQ(TrimSystemMessage("Done . .\t\x01\x7F \r\n..."), "Done");
    EXPECT_EQ(TrimSystemMessage("...\r\n"), "");
    EXPECT_EQ(TrimSystemMessage(""), "");
}

TEST(SystemMessageTrimming, KeepsInnerStopsAndEightBitLetters)
{
    EXPECT_EQ(TrimSystemMessage("Version 1.2 failed. Try again.\r\n"), "Version 1.2 failed. Try again");
    EXPECT_EQ(TrimSystemMessage("Zugriff verweigert \xE4\xA0"), "Zugriff verweigert \xE4\xA0");
    EXPECT_EQ(TrimSystemMessage("inner\0nul."s), "inner\0nul"s);
}
