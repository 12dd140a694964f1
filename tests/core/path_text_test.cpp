#include "shell/path_text.h"

#include <gtest/gtest.h>

TEST(PathText, SplitsAtTheLastBackslashOrDriveColon)
{
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    };
    for (const Case& c : {Case{"C:\\Tools\\app.exe", "C:\\Tools\\", "app.exe"}, Case{"C:app.exe", "C:", "app.exe"},
                          Case{"C:\\app.exe", "C:\\", "app.exe"}, Case{"notes.txt", "", "notes.txt"},
                          Case{"", "", ""}, Case{"C:\\dir\\", "C:\\dir\\", ""},
                          Case{"\\\\server\\share\\tool.exe", "\\\\server\\share\\", "tool.exe"},
                          Case{"C:\\v1.0\\setup", "C:\\v1.0\\", "setup"}}) {
        EXPECT_EQ(FolderPart(c.path), c.folder) << c.path;
        EXPECT_EQ(FileNamePart(c.path), c.name) << c.path;
        EXPECT_EQ(WorkingDirectoryOf(c.path), c.folder) << c.path;
    }
}
