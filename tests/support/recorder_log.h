// Reads what tests/helpers/recorder.exe wrote: one record per start of the program.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct RecorderRecord {
    std::string commandLine;  // as GetCommandLineW gave it, in UTF-8
    std::string directory;    // current directory at start, in UTF-8
    int showCommand = -1;     // STARTUPINFO's wShowWindow, -1 when none was passed
};

// The complete records of a log's text; an unfinished last line is left out.
std::vector<RecorderRecord> ParseRecorderLog(std::string_view text);
// The records in that file (path in UTF-8); empty when there is no file yet.
std::vector<RecorderRecord> ReadRecorderLog(const std::string& path);
// Waits until the file holds at least `count` records and returns them all.
std::vector<RecorderRecord> WaitForRecords(const std::string& path, size_t count, DWORD timeoutMs = 10000);

// recorder.exe in %MGW_BIN%.
std::string RecorderExe();
