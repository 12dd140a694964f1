// The one place production names where entry pictures come from; tests hand the
// worker sources of their own.
#include "menus/entry_picture_win.h"
#include "menus/menu_images_win.h"
#include "menus/shell_pictures_win.h"
#include "win/handles.h"

#include <string>
#include <utility>

namespace {

// Tests stand in for a network share that stops answering with a pipe no one writes to:
// with this variable naming one, every picture first waits for a byte from it.
constexpr wchar_t SlowPicturesVariable[] = L"MARIGOLDWICK_SLOW_PICTURES";

void WaitForSlowSource(const std::wstring& pipe)
{
    UniqueHandle source(CreateFileW(pipe.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    char byte = 0;
    DWORD read = 0;
    if (source) (void)ReadFile(source.get(), &byte, 1, &read, nullptr);
}

}  // namespace

PictureSource ProgramPictureSource()
{
    PictureSource source{EntryPictureKey, MakeEntryPicture, ReleaseThreadPictureLists};
    wchar_t pipe[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(SlowPicturesVariable, pipe, MAX_PATH);
    if (n > 0 && n < MAX_PATH)
        source.Key = [key = std::move(source.Key), slow = std::wstring(pipe)](const EntryIconRequest& request) {
            WaitForSlowSource(slow);
            return key(request);
        };
    return source;
}
