#include "win/system_message.h"

#include <windows.h>

std::string SystemMessageText(uint32_t code)
{
    char buffer[256] = {};
    // Without IGNORE_INSERTS a message with %1 would read arguments from a null array.
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                             sizeof(buffer), nullptr);
    std::string text = TrimSystemMessage(std::string_view(buffer, n < sizeof(buffer) ? n : 0));
    return text.empty() ? std::string(UnknownErrorText) : text;
}
