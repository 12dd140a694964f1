// The system's per-key profile functions as a source and sink of configuration values,
// to compare the project's own engine with.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "config/config_file.h"

class SystemSource : public ProfileSource {
public:
    explicit SystemSource(std::string path) : path_(std::move(path)) {}
    std::string GetString(const std::string& section, const char* key, const char* def,
                          size_t bufferSize) const override
    {
        std::string buffer(bufferSize, '\0');
        buffer.resize(GetPrivateProfileStringA(section.c_str(), key, def, buffer.data(),
                                               static_cast<DWORD>(bufferSize), path_.c_str()));
        return buffer;
    }

private:
    std::string path_;
};

class SystemSink : public ProfileSink {
public:
    explicit SystemSink(std::string path) : path_(std::move(path)) {}
    // False once a write has failed.
    bool Ok() const { return ok_; }
    void SetString(const std::string& section, const char* key, std::string_view value) override
    {
        ok_ &= WritePrivateProfileStringA(section.c_str(), key, std::string(value).c_str(), path_.c_str()) != FALSE;
    }
    bool Holds(const std::string& section, const char* key) const override
    {
        // A missing key gives back each default; a present one cannot equal both.
        char value[2][4] = {};
        for (int i = 0; i < 2; ++i)
            GetPrivateProfileStringA(section.c_str(), key, i ? "b" : "a", value[i], sizeof(value[i]), path_.c_str());
        return std::string_view(value[0]) != "a" || std::string_view(value[1]) != "b";
    }

private:
    std::string path_;
    bool ok_ = true;
};
