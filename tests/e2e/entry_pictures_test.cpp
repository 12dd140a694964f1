// The real program making its entries' pictures: another process asks how many are not
// final yet, and quitting while thousands are still to be made, or while a source hangs,
// ends at once with 0.
#include "app_test.h"

#include "win/command_ids.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A 32x32 two-colour icon file whose rows are the bits of `n`: no two files look alike.
std::string MonochromeIconFile(unsigned n)
{
    std::string b;
    auto word = [&](unsigned v) { b += static_cast<char>(v & 0xFF); b += static_cast<char>((v >> 8) & 0xFF); };
    auto dword = [&](unsigned v) { word(v & 0xFFFF); word(v >> 16); };
    const unsigned image = 40 + 8 + 128 + 128;
    word(0), word(1), word(1);                               // icon file, one picture
    b.append("\x20\x20\x02\x00", 4), word(1), word(1), dword(image), dword(22);  // 32x32, 2 colours
    dword(40), dword(32), dword(64), word(1), word(1), dword(0), dword(256);
    dword(0), dword(0), dword(0), dword(0);
    dword(0x00000000), dword(0x00FFFFFF);                    // black, white
    for (unsigned row = 0; row < 32; ++row) dword(n * 2654435761u + row);
    b.append(128, '\0');                                     // all opaque
    return b;
}

class EntryPicturesE2e : public AppTest {
protected:
    // `menus` menus of `entries` entries, each showing one of `files` files: icon files,
    // or documents each of a type of its own (asking the shell for a type's picture is the
    // slowest source there is).
    void LaunchWith(int menus, int entries, int files, bool documents = false)
    {
        const std::string exe = sandbox->ExePath();
        const std::string dir = exe.substr(0, exe.find_last_of('\\') + 1);
        auto nameOf = [&](int f) {
            return dir + (documents ? "d" + std::to_string(f) + ".t" + std::to_string(f) : "p" + std::to_string(f) + ".ico");
        };
        for (int f = 0; f < files; ++f) {
            UniqueHandle file(CreateFileA(nameOf(f).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
            const std::string bytes = documents ? std::string("text") : MonochromeIconFile(static_cast<unsigned>(f));
            DWORD written = 0;
            ASSERT_TRUE(file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        }
        std::string ini = "[GLOBAL]\r\nSelfAutostart=0\r\nAskBeforeQuit=0\r\nMenuCount=" + std::to_string(menus) + "\r\n";
        for (int m = 0; m < menus; ++m) {
            ini += "[M" + std::to_string(m) + "]\r\nMenuName=Menu " + std::to_string(m) + "\r\nItemCount=" +
                   std::to_string(entries) + "\r\n";
            for (int e = 0; e < entries; ++e) {
                const std::string file = nameOf((m * entries + e) % files);
                ini += "[M" + std::to_string(m) + "I" + std::to_string(e + 1) + "]\r\nPfad=" + file + "\r\n" +
                       (documents ? "" : "IconPfad=" + file + "\r\nIconNum=0\r\n") + "Description=Entry\r\n";
            }
        }
        Launch(ini);
    }
    // The main window's answer, or -1 when it gives none.
    long long Pending() const
    {
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutA(main, WmPendingPictures, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer)) return -1;
        return static_cast<long long>(answer);
    }
};

TEST_F(EntryPicturesE2e, PendingCountFallsToZeroOncePicturesAreFinal)
{
    LaunchWith(3, 40, 12);
    long long first = Pending();
    EXPECT_GE(first, 0);
    EXPECT_LE(first, 120);
    EXPECT_TRUE(WaitUntil([&] { return Pending() == 0; }, 20000)) << Pending();
}

TEST_F(EntryPicturesE2e, QuittingWhilePicturesAreMadeEndsPromptlyWithExitCode0)
{
    LaunchWith(30, 100, 3000, true);
    // The tray icons are there: start-up did not wait for the pictures.
    ASSERT_NE(app->WaitForWindow({"MarigoldwickTrayIcon", "Menu 29", false}, 10000), nullptr);
    const long long pending = Pending();
    ASSERT_GT(pending, 1000) << "the pictures must still be in the making for this test to mean anything";
    const DWORD start = GetTickCount();
    ASSERT_TRUE(Post(main, WM_CLOSE));
    EXPECT_EQ(app->WaitForExit(5000), std::optional<DWORD>(0u));
    EXPECT_LT(GetTickCount() - start, 3000u) << "making " << pending << " pictures would take far longer";
}

TEST_F(EntryPicturesE2e, ASourceThatStopsAnsweringLeavesPlaceholdersAWorkingPopupAndAQuickQuit)
{
    // Every picture first reads from a pipe this process never writes to, as from a share
    // that stopped answering.
    const std::string pipe = "\\\\.\\pipe\\mgw-slow-" + std::to_string(GetCurrentProcessId());
    UniqueHandle server(CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT,
                                         PIPE_UNLIMITED_INSTANCES, 64, 64, 0, nullptr));
    ASSERT_TRUE(server);
    ScopedVariable slow(L"MARIGOLDWICK_SLOW_PICTURES", pipe);
    LaunchWith(1, 12, 3);
    Sleep(1000);
    EXPECT_EQ(Pending(), 12) << "every entry still shows its placeholder, and the program answers";
    HWND icon = app->WaitForWindow({"MarigoldwickTrayIcon", "Menu 0", false}, 5000);
    ASSERT_TRUE(icon && Post(icon, 1027, 0, WM_RBUTTONUP));
    ASSERT_TRUE(app->WaitForPopup());
    const DWORD start = GetTickCount();
    PressKeys({'Q'});  // "&Quit Marigoldwick"
    EXPECT_EQ(app->WaitForExit(5000), std::optional<DWORD>(0u));
    EXPECT_LT(GetTickCount() - start, 1000u);
}

}  // namespace
