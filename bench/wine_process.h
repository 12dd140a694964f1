// What Wine does not report about another process, read from the Linux side through Z:\proc:
// its Unix process and that process's anonymous resident memory.
#pragma once

#include <windows.h>
#include <psapi.h>

#include "win/handles.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

// Files under Z:\proc report no size: read until the end.
inline std::string ReadWholeFile(const std::string& path)
{
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string text;
    if (!file) return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) text.append(buffer, got);
    return text;
}

// The Unix process behind a Wine process: its command line is the program's Windows path.
inline std::optional<unsigned long> UnixProcessOf(const std::string& exe)
{
    std::string wanted = exe;
    CharLowerA(wanted.data());
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    ScopeGuard close([&] { FindClose(search); });
    do {
        char* end = nullptr;
        unsigned long pid = std::strtoul(found.cFileName, &end, 10);
        if (end == found.cFileName || *end) continue;
        std::string commandLine = ReadWholeFile("Z:\\proc\\" + std::string(found.cFileName) + "\\cmdline");
        std::replace(commandLine.begin(), commandLine.end(), '\0', ' ');
        CharLowerA(commandLine.data());
        if (commandLine.find(wanted) != std::string::npos) return pid;
    } while (FindNextFileA(search, &found));
    return std::nullopt;
}

// Kilobytes of anonymous resident memory: the private memory Wine itself does not report.
inline std::optional<double> RssAnonKb(unsigned long unixPid)
{
    std::string status = ReadWholeFile("Z:\\proc\\" + std::to_string(unixPid) + "\\status");
    size_t at = status.find("RssAnon:");
    if (at == std::string::npos) return std::nullopt;
    return std::strtod(status.c_str() + at + 8, nullptr);
}

// This process's private memory in bytes: the anonymous resident memory of its Unix side
// under Wine (which reports no private bytes of its own; Z:\proc\self would be the
// server's), else PrivateUsage. `exe` is this program's file name.
inline double OwnPrivateBytes(const char* exe)
{
    static const std::optional<unsigned long> unixPid = UnixProcessOf(exe);
    if (unixPid)
        if (std::optional<double> kb = RssAnonKb(*unixPid)) return *kb * 1024;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    return static_cast<double>(memory.PrivateUsage);
}
