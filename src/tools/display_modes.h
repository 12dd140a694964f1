// The fixed display modes of the Resolution submenu and the record a switch hands to
// the system, without any Windows call.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct DisplayModeEntry {
    const char* caption;
    int32_t bitsPerPel;  // 0: the colour depth stays
    int32_t width;       // 0: the resolution stays
    int32_t height;
};
inline constexpr std::array<DisplayModeEntry, 8> DisplayModeTable{{
    {"&1 Switch to 640x480", 0, 640, 480},
    {"&2 Switch to 800x600", 0, 800, 600},
    {"&3 Switch to 1024x768", 0, 1024, 768},
    {"&4 Switch to 1280x1024", 0, 1280, 1024},
    {"&5 Switch to 8 bit", 8, 0, 0},
    {"&6 Switch to 16 bit", 16, 0, 0},
    {"&7 Switch to 24 bit", 24, 0, 0},
    {"&8 Switch to 32 bit", 32, 0, 0},
}};

// DEVMODEA's dmFields flags.
inline constexpr uint32_t ModeBitsPerPel = 0x40000;
inline constexpr uint32_t ModePelsWidth = 0x80000;
inline constexpr uint32_t ModePelsHeight = 0x100000;
inline constexpr uint16_t DisplayModeRecordSize = 156;  // sizeof(DEVMODEA)

// The members of the zeroed DEVMODEA that a switch fills in; the others stay zero so
// the system keeps their current values.
struct DisplayModeRecord {
    uint16_t size = DisplayModeRecordSize;
    uint32_t fields = 0;
    uint32_t bitsPerPel = 0;
    uint32_t pelsWidth = 0;
    uint32_t pelsHeight = 0;
    bool operator==(const DisplayModeRecord&) const = default;
};
DisplayModeRecord MakeDisplayModeRecord(int32_t bitsPerPel, int32_t width, int32_t height);

// The message for a ChangeDisplaySettingsA result; empty for success.
std::string DisplayChangeResultText(int32_t result);

// "&Configure (1024x768 16 bit)".
std::string ConfigureCaption(int width, int height, int bitsPerPel);

inline constexpr char ResolutionErrorCaption[] = "Marigoldwick - Resolution Change Error";
inline constexpr char DisplaySettingsCommand[] = "rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,3";
