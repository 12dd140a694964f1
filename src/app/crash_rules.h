// The platform-neutral parts of the crash reports: the names of the dump files, which
// of them are kept, whether the next start tells the user, and the test-only switch.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t DumpsKept = 5;

struct DumpStamp {
    unsigned year, month, day, hour, minute, second, millisecond;
};

// "mgoldwk-2026-12-08-004419-123.dmp" and a terminating null. Written into a fixed buffer:
// the crash path must not need the heap, which the fault may have left broken.
inline constexpr std::size_t DumpNameCapacity = 40;
std::size_t FormatDumpName(const DumpStamp& stamp, char (&out)[DumpNameCapacity]);
bool IsDumpName(std::string_view name);

struct DumpFile {
    std::string name;
    std::uint64_t writeTime = 0;  // any unit that grows with time
};
// The dumps beyond the `keep` newest (by write time, then by name); other files never.
std::vector<std::string> DumpsToDelete(std::vector<DumpFile> files, std::size_t keep = DumpsKept);
// The newest dump, unless it is the one the user was already told about.
std::optional<std::string> DumpToReport(const std::vector<DumpFile>& files, std::string_view reported);
// The message of the next start; folder is where the dumps are.
std::string CrashReportText(std::string_view folder);

enum class CrashTest { UiThread, WorkerThread, Terminate };
// "/crashtest", "/crashtest=worker" or "/crashtest=terminate" among the arguments, honoured
// only when the environment variable CrashTestVariable is "1": a shipped copy started with
// the switch alone runs as usual.
inline constexpr char CrashTestVariable[] = "MARIGOLDWICK_CRASH_TEST";
std::optional<CrashTest> CrashTestFor(std::string_view commandLine, std::string_view variable);
