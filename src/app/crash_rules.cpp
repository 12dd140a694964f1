#include "app/crash_rules.h"

#include <algorithm>
#include <tuple>

namespace {

constexpr std::string_view DumpPrefix = "mgoldwk-";
constexpr std::string_view DumpSuffix = ".dmp";
constexpr std::string_view Switch = "/crashtest";

char* PutNumber(char* out, unsigned value, int digits)
{
    for (int i = digits - 1; i >= 0; --i, value /= 10) out[i] = static_cast<char>('0' + value % 10);
    return out + digits;
}

bool NewerFirst(const DumpFile& a, const DumpFile& b)
{
    return std::tie(a.writeTime, a.name) > std::tie(b.writeTime, b.name);
}

std::vector<DumpFile> DumpsNewestFirst(std::vector<DumpFile> files)
{
    std::erase_if(files, [](const DumpFile& f) { return !IsDumpName(f.name); });
    std::sort(files.begin(), files.end(), NewerFirst);
    return files;
}

}  // namespace

std::size_t FormatDumpName(const DumpStamp& t, char (&out)[DumpNameCapacity])
{
    char* p = std::copy(DumpPrefix.begin(), DumpPrefix.end(), out);
    p = PutNumber(p, t.year % 10000, 4);
    *p++ = '-';
    p = PutNumber(p, t.month % 100, 2);
    *p++ = '-';
    p = PutNumber(p, t.day % 100, 2);
    *p++ = '-';
    p = PutNumber(p, t.hour % 100, 2);
    p = PutNumber(p, t.minute % 100, 2);
    p = PutNumber(p, t.second % 100, 2);
    *p++ = '-';
    p = PutNumber(p, t.millisecond % 1000, 3);
    p = std::copy(DumpSuffix.begin(), DumpSuffix.end(), p);
    *p = '\0';
    return static_cast<std::size_t>(p - out);
}

bool IsDumpName(std::string_view name)
{
    return name.size() > DumpPrefix.size() + DumpSuffix.size() && name.starts_with(DumpPrefix) &&
           name.ends_with(DumpSuffix);
}

std::vector<std::string> DumpsToDelete(std::vector<DumpFile> files, std::size_t keep)
{
    std::vector<std::string> doomed;
    const std::vector<DumpFile> dumps = DumpsNewestFirst(std::move(files));
    for (std::size_t i = keep; i < dumps.size(); ++i) doomed.push_back(dumps[i].name);
    return doomed;
}

std::optional<std::string> DumpToReport(const std::vector<DumpFile>& files, std::string_view reported)
{
    const std::vector<DumpFile> dumps = DumpsNewestFirst(files);
    if (dumps.empty() || dumps.front().name == reported) return std::nullopt;
    return dumps.front().name;
}

std::string CrashReportText(std::string_view folder)
{
    return "Marigoldwick ended unexpectedly last time.\rA report of the fault stays on this computer, in:\r" +
           std::string(folder);
}

std::optional<CrashTest> CrashTestFor(std::string_view commandLine, std::string_view variable)
{
    if (variable != "1") return std::nullopt;
    for (std::size_t at = commandLine.find(Switch); at != std::string_view::npos;
         at = commandLine.find(Switch, at + 1)) {
        if (at > 0 && commandLine[at - 1] != ' ') continue;
        std::string_view rest = commandLine.substr(at + Switch.size());
        rest = rest.substr(0, rest.find(' '));
        if (rest.empty()) return CrashTest::UiThread;
        if (rest == "=worker") return CrashTest::WorkerThread;
        if (rest == "=terminate") return CrashTest::Terminate;
    }
    return std::nullopt;
}
