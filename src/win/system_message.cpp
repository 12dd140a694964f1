#include "win/system_message.h"

#include "win/text_conversion.h"

#include <windows.h>

std::string SystemMessageText(uint32_t code)
{
    wchar_t buffer[256] = {};
    // Without IGNORE_INSERTS a message with %1 would read arguments from a null array.
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                             256, nullptr);
    std::string text = TrimSystemMessage(Utf8(std::wstring_view(buffer, n < 256 ? n : 0)));
    return text.empty() ? std::string(UnknownErrorText) : text;
}
