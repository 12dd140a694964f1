#include "recorder_log.h"

#include "driver.h"
#include "win/text_conversion.h"

#include <cstdlib>

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string Unescaped(std::string_view field)
{
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '%' && i + 2 < field.size() && HexDigit(field[i + 1]) >= 0 && HexDigit(field[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(field[i + 1]) * 16 + HexDigit(field[i + 2]));
            i += 2;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<std::string_view> Split(std::string_view line, char separator)
{
    std::vector<std::string_view> parts;
    for (size_t start = 0;;) {
        size_t end = line.find(separator, start);
        parts.push_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

}  // namespace

std::vector<RecorderRecord> ParseRecorderLog(std::string_view text)
{
    std::vector<RecorderRecord> records;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string_view::npos; start = end + 2) {
        std::vector<std::string_view> fields = Split(text.substr(start, end - start), '\t');
        if (fields.size() != 3) continue;
        RecorderRecord record;
        record.commandLine = Unescaped(fields[0]);
        record.directory = Unescaped(fields[1]);
        record.showCommand = std::atoi(std::string(fields[2]).c_str());
        records.push_back(std::move(record));
    }
    return records;
}

std::vector<RecorderRecord> ReadRecorderLog(const std::string& path)
{
    UniqueHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    std::string text;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(file.get(), buffer, sizeof(buffer), &n, nullptr) && n > 0) text.append(buffer, n);
    return ParseRecorderLog(text);
}

std::vector<RecorderRecord> WaitForRecords(const std::string& path, size_t count, DWORD timeoutMs)
{
    std::vector<RecorderRecord> records;
    WaitUntil([&] {
        records = ReadRecorderLog(path);
        return records.size() >= count;
    }, timeoutMs);
    return records;
}

std::string RecorderExe() { return BinFolder() + "recorder.exe"; }
