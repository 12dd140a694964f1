// Reads what tests/helpers/recorder.exe wrote: one record per start of the program.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct RecorderRecord {
    std::string commandLine;  // as GetCommandLineA gave it
    std::string directory;    // current directory at start
    int showCommand = -1;     // STARTUPINFO's wShowWindow, -1 when none was passed
};

// The complete records of a log's text; an unfinished last line is left out.
std::vector<RecorderRecord> ParseRecorderLog(std::string_view text);
// The records in that file; empty when there is no file yet.
std::vector<RecorderRecord> ReadRecorderLog(const std::string& path);
// Waits until the file holds at least `count` records and returns them all.
std::vector<RecorderRecord> WaitForRecords(const std::string& path, size_t count, DWORD timeoutMs = 10000);

// recorder.exe in %MGW_BIN%.
std::string RecorderExe();
