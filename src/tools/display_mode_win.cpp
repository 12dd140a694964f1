// The Resolution submenu of the tools menu.
#include "tools/tools_menu_win.h"

#include "tools/display_modes.h"
#include "tools/system_actions_win.h"
#include "win/application.h"
#include "win/message_seam.h"

static_assert(sizeof(DEVMODEA) == DisplayModeRecordSize);
static_assert(ModeBitsPerPel == DM_BITSPERPEL && ModePelsWidth == DM_PELSWIDTH && ModePelsHeight == DM_PELSHEIGHT);

void ChangeDisplayMode(int32_t bitsPerPel, int32_t width, int32_t height)
{
    DisplayModeRecord record = MakeDisplayModeRecord(bitsPerPel, width, height);
    DEVMODEA mode{};
    mode.dmSize = record.size;
    mode.dmFields = record.fields;
    mode.dmBitsPerPel = record.bitsPerPel;
    mode.dmPelsWidth = record.pelsWidth;
    mode.dmPelsHeight = record.pelsHeight;
    std::string text = DisplayChangeResultText(System().SwitchDisplayMode(mode, CDS_UPDATEREGISTRY));
    if (!text.empty()) ShowMessageBox(MainWindow(), text, ResolutionErrorCaption, MB_ICONERROR | MB_OK);
}

namespace {
void SwitchTo(const DisplayModeEntry& entry) { ChangeDisplayMode(entry.bitsPerPel, entry.width, entry.height); }
}  // namespace

void ToolsMenu::TPMConfigure1Click() { System().RunCommandLine(DisplaySettingsCommand, SW_SHOW); }
void ToolsMenu::TPMSwitchto640x480Click() { SwitchTo(DisplayModeTable[0]); }
void ToolsMenu::TPMSwitchto800x600Click() { SwitchTo(DisplayModeTable[1]); }
void ToolsMenu::TPMSwitchto1024x768Click() { SwitchTo(DisplayModeTable[2]); }
void ToolsMenu::TPMSwitchto1280x1024Click() { SwitchTo(DisplayModeTable[3]); }
void ToolsMenu::TPMSwitchto8BitClick() { SwitchTo(DisplayModeTable[4]); }
void ToolsMenu::TPMSwitchto16bitClick() { SwitchTo(DisplayModeTable[5]); }
void ToolsMenu::TPMSwitchTo24bitClick() { SwitchTo(DisplayModeTable[6]); }
void ToolsMenu::TPMSwitchTo32bitClick() { SwitchTo(DisplayModeTable[7]); }
