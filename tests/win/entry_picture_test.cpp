// Entry pictures made for the worker thread: the true-size picture of icon files and
// programs, the shell's type pictures, and which entries share one.
#include "menu_pictures.h"
#include "menus/entry_icon_win.h"
#include "menus/entry_picture_win.h"
#include "menus/icon_pixels_win.h"
#include "shell/idlist_win.h"
#include "unicode_files.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <cstring>
#include <functional>
#include <optional>
#include <thread>
#include <string>
#include <vector>

namespace {

using namespace menu_pictures;

constexpr uint32_t Opaque(uint32_t rgb) { return 0xFF000000u | rgb; }

std::string Le16(uint32_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

// An icon file with one solid, opaque 32-bit picture per side.
std::string SolidIconFile(const std::vector<std::pair<int, uint32_t>>& pictures)
{
    std::string directory = Le16(0) + Le16(1) + Le16(static_cast<uint32_t>(pictures.size())), images;
    uint32_t offset = static_cast<uint32_t>(6 + 16 * pictures.size());
    for (auto [side, rgb] : pictures) {
        std::string image = Le32(40) + Le32(side) + Le32(2 * side) + Le16(1) + Le16(32) + Le32(0) +
                            Le32(0) + Le32(0) + Le32(0) + Le32(0) + Le32(0);
        for (int i = 0; i < side * side; ++i) image += Le32(Opaque(rgb));
        image += std::string(static_cast<size_t>(side) * ((side + 31) / 32) * 4, '\0');  // AND mask: all shown
        directory += std::string{static_cast<char>(side), static_cast<char>(side), 0, 0} + Le16(1) + Le16(32) +
                     Le32(static_cast<uint32_t>(image.size())) + Le32(offset);
        offset += static_cast<uint32_t>(image.size());
        images += image;
    }
    return directory + images;
}

EntryIconRequest Request(std::string pfad, int32_t iconNum = DefaultIconNum, std::string iconPfad = {},
                         bool isPidl = false)
{
    return EntryIconRequest{std::move(pfad), isPidl, iconNum, std::move(iconPfad)};
}

// Every pixel of the picture when all are one colour; nothing otherwise.
std::optional<uint32_t> OnlyColour(const PixelImage& picture)
{
    for (uint32_t p : picture.pixels)
        if (p != picture.pixels.front()) return std::nullopt;
    return picture.pixels.front();
}

bool AnyShown(const PixelImage& picture)
{
    for (uint32_t p : picture.pixels)
        if (p >> 24) return true;
    return false;
}

// A document type whose registered icon is each file's own. Wine 8 reads types from the
// machine's classes only, so it is registered there for the test and removed after.
constexpr char TypeKey[] = ".mgwpic", ClassKey[] = "Marigoldwick.TestPicture";
bool RegisterTypeIconPerFile()
{
    const auto set = [](const std::string& key, const char* value) {
        return RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value, static_cast<DWORD>(strlen(value))) ==
               ERROR_SUCCESS;
    };
    return set(TypeKey, "Marigoldwick.TestPicture") && set(std::string(ClassKey) + "\\DefaultIcon", "%1");
}
void UnregisterTypeIconPerFile()
{
    RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(ClassKey) + "\\DefaultIcon").c_str());
    RegDeleteKeyA(HKEY_CLASSES_ROOT, ClassKey);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, TypeKey);
}

class EntryPictureMaker : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        folder = TempFolder::Create();
        ASSERT_TRUE(folder);
        std::optional<std::string> copied = CopyProgram(*folder, "TOOL.EXE");
        ASSERT_TRUE(copied) << BinFolder();
        program = *copied;
        ASSERT_TRUE(folder->Write("colours.ico", SolidIconFile({{16, 0xFF0000}, {32, 0x00FF00}, {48, 0x0000FF},
                                                                 {64, 0xFFFF00}})));
        ASSERT_TRUE(folder->Write("a.txt", "a") && folder->Write("b.txt", "b"));
        for (const char* name : {"Docs", "More", "Build.exe"})
            ASSERT_TRUE(CreateDirectoryA(folder->File(name).c_str(), nullptr)) << name;
    }
    void TearDown() override { CoUninitialize(); }

    std::optional<TempFolder> folder;
    std::string program;
};

TEST_F(EntryPictureMaker, IconFileGivesItsOwnPictureOfEachSizeElseTheNearestLarger)
{
    const EntryIconRequest colours = Request("C:\\whatever.txt", 0, folder->File("colours.ico"));
    for (auto [size, rgb] : {std::pair{16, 0xFF0000u}, {32, 0x00FF00u}, {48, 0x0000FFu}, {64, 0xFFFF00u},
                             {24, 0x00FF00u}, {40, 0x0000FFu}, {20, 0x00FF00u}, {1, 0xFF0000u}, {96, 0xFFFF00u}}) {
        SCOPED_TRACE(size);
        std::optional<PixelImage> picture = MakeEntryPicture(colours, size);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width, size);
        EXPECT_EQ(picture->height, size);
        EXPECT_EQ(OnlyColour(*picture), Opaque(rgb));
    }
    // An icon file holds a single icon.
    EXPECT_FALSE(MakeEntryPicture(Request("C:\\whatever.txt", 1, folder->File("colours.ico")), 32));
}

TEST_F(EntryPictureMaker, ProgramGivesTheIconGroupsPictureOfEachSize)
{
    for (int size : {16, 32, 48}) {  // the sizes mgoldwk.exe's icons hold
        SCOPED_TRACE(size);
        for (int32_t index : {0, 1}) {
            HICON handle = nullptr;
            UINT id = 0;
            ASSERT_EQ(PrivateExtractIconsA(program.c_str(), index, size, size, &handle, &id, 1, 0), 1u);
            std::optional<PixelImage> own = IconPicture(UniqueIcon(handle).get());
            ASSERT_TRUE(own);
            const EntryIconRequest request = index == 0 ? Request(program) : Request("x.txt", index, program);
            std::optional<PixelImage> picture = MakeEntryPicture(request, size);
            ASSERT_TRUE(picture);
            EXPECT_EQ(picture->pixels, own->pixels) << index;
            EXPECT_TRUE(AnyShown(*picture));
        }
    }
    std::optional<PixelImage> big = MakeEntryPicture(Request(program), 64);  // only 48 held: scaled up
    ASSERT_TRUE(big);
    EXPECT_EQ(big->width, 64);
    EXPECT_TRUE(AnyShown(*big));
}

TEST_F(EntryPictureMaker, UnicodeNamedProgramsIconFilesDocumentsAndFoldersGiveTheirPictures)
{
    const std::string sub = folder->File(MixedName) + "\\";
    ASSERT_TRUE(CreateDirectoryW(Wide(sub).c_str(), nullptr));
    const std::string unicodeProgram = sub + CyrillicName + ".exe", icons = sub + EmojiName + ".ico";
    ASSERT_TRUE(CopyFileW(Wide(program).c_str(), Wide(unicodeProgram).c_str(), FALSE));
    ASSERT_TRUE(WriteUnicodeFile(icons, SolidIconFile({{16, 0xFF0000}, {32, 0x00FF00}})));
    ASSERT_TRUE(WriteUnicodeFile(sub + CjkName + ".txt", "x"));
    for (int size : {16, 32}) {
        SCOPED_TRACE(size);
        std::optional<PixelImage> own = MakeEntryPicture(Request(program), size);
        std::optional<PixelImage> copy = MakeEntryPicture(Request(unicodeProgram), size);
        ASSERT_TRUE(own && copy);
        EXPECT_EQ(copy->pixels, own->pixels);
        std::optional<PixelImage> fromFile = MakeEntryPicture(Request("x.txt", 0, icons), size);
        ASSERT_TRUE(fromFile);
        EXPECT_EQ(OnlyColour(*fromFile), Opaque(size == 16 ? 0xFF0000 : 0x00FF00));
        std::optional<PixelImage> document = MakeEntryPicture(Request(sub + CjkName + ".txt"), size);
        std::optional<PixelImage> plain = MakeEntryPicture(Request(folder->File("a.txt")), size);
        ASSERT_TRUE(document && plain);
        EXPECT_EQ(document->pixels, plain->pixels);
        std::optional<PixelImage> unicodeFolder = MakeEntryPicture(Request(folder->File(MixedName)), size);
        std::optional<PixelImage> docs = MakeEntryPicture(Request(folder->File("Docs")), size);
        ASSERT_TRUE(unicodeFolder && docs);
        EXPECT_EQ(unicodeFolder->pixels, docs->pixels);
    }
    UniqueIcon icon = GetEntryIcon(unicodeProgram, false, DefaultIconNum, {}, nullptr);
    EXPECT_TRUE(icon) << "the menu's own icon of a Unicode program";
}

TEST_F(EntryPictureMaker, ShellTypePicturesComeAtEverySize)
{
    for (const std::string& path : {folder->File("a.txt"), folder->File("Docs"), folder->File("Build.exe")})
        for (int size : {16, 24, 32, 64}) {
            SCOPED_TRACE(path + " at " + std::to_string(size));
            std::optional<PixelImage> picture = MakeEntryPicture(Request(path), size);
            ASSERT_TRUE(picture);
            EXPECT_EQ(picture->width, size);
            EXPECT_EQ(picture->pixels.size(), static_cast<size_t>(size * size));
            EXPECT_TRUE(AnyShown(*picture));
            EXPECT_FALSE(OnlyColour(*picture)) << "a picture, not a filled square";
        }
}

TEST_F(EntryPictureMaker, DocumentsAndFoldersShowTheShellsPictureOfTheirType)
{
    // Read from the type's registration, not asked of the shell: the same picture.
    ASSERT_TRUE(folder->Write("c.zzqx", "c"));
    for (const std::string& path : {folder->File("a.txt"), folder->File("c.zzqx"), folder->File("Docs")}) {
        SCOPED_TRACE(path);
        SHFILEINFOA info{};
        ASSERT_NE(SHGetFileInfoA(path.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_LARGEICON), 0u);
        std::optional<PixelImage> shell = IconPicture(UniqueIcon(info.hIcon).get());
        std::optional<PixelImage> own = MakeEntryPicture(Request(path), 32);
        ASSERT_TRUE(shell && own);
        ASSERT_EQ(shell->width, 32);
        EXPECT_EQ(own->pixels, shell->pixels);
    }
    // A type whose registered icon names a file shows that file's picture of each size.
    const std::string icon = "\"" + folder->File("colours.ico") + "\",0";
    ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, ".mgwreg", REG_SZ, "Marigoldwick.TestRegistered", 0), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "Marigoldwick.TestRegistered\\DefaultIcon", REG_SZ, icon.c_str(), 0),
              ERROR_SUCCESS);
    ScopeGuard unregister([] {
        RegDeleteKeyA(HKEY_CLASSES_ROOT, "Marigoldwick.TestRegistered\\DefaultIcon");
        RegDeleteKeyA(HKEY_CLASSES_ROOT, "Marigoldwick.TestRegistered");
        RegDeleteKeyA(HKEY_CLASSES_ROOT, ".mgwreg");
    });
    ASSERT_TRUE(folder->Write("d.mgwreg", "d"));
    const EntryIconRequest registered = Request(folder->File("d.mgwreg"));
    EXPECT_EQ(EntryPictureKey(registered), EntryPictureKey(Request("C:\\x.txt", 0, folder->File("colours.ico"))));
    for (auto [size, rgb] : {std::pair{16, 0xFF0000u}, {64, 0xFFFF00u}}) {
        std::optional<PixelImage> picture = MakeEntryPicture(registered, size);
        ASSERT_TRUE(picture) << size;
        EXPECT_EQ(OnlyColour(*picture), Opaque(rgb)) << size;
    }
}

TEST_F(EntryPictureMaker, EntriesShowingOnePictureShareAKey)
{
    const auto key = [](const EntryIconRequest& r) { return EntryPictureKey(r); };
    const std::string txt = key(Request(folder->File("a.txt")));
    const std::string docs = key(Request(folder->File("Docs")));
    EXPECT_FALSE(txt.empty());
    EXPECT_EQ(txt, key(Request(folder->File("b.txt")))) << "documents of one type";
    EXPECT_EQ(docs, key(Request(folder->File("More"))));
    EXPECT_EQ(docs, key(Request(folder->File("Build.exe")))) << "a folder named like a program";
    EXPECT_NE(txt, docs);
    // Documents of a type whose icon is drawn from each file show their own pictures.
    ASSERT_TRUE(RegisterTypeIconPerFile());
    ScopeGuard unregister([] { UnregisterTypeIconPerFile(); });
    ASSERT_TRUE(folder->Write("one.mgwpic", SolidIconFile({{32, 0x123456}})));
    ASSERT_TRUE(folder->Write("two.mgwpic", SolidIconFile({{32, 0x654321}})));
    for (int pass = 0; pass < 2; ++pass)
        EXPECT_NE(key(Request(folder->File("one.mgwpic"))), key(Request(folder->File("two.mgwpic")))) << pass;

    std::string lower = program;
    CharLowerA(lower.data());
    const std::string own = key(Request(program));
    EXPECT_FALSE(own.empty());
    EXPECT_EQ(own, key(Request(lower))) << "letter case";
    EXPECT_EQ(own, key(Request("C:\\other.txt", 0, program))) << "a program's own icon is its icon 0";
    EXPECT_NE(own, key(Request("C:\\other.txt", 1, program)));
    EXPECT_NE(key(Request("C:\\other.txt", 1, program)), key(Request("C:\\other.txt", 2, program)));
    EXPECT_NE(own, key(Request("C:\\other.txt", 0, folder->File("colours.ico"))));
    EXPECT_NE(own, txt);

    // What cannot show a picture shares the placeholder.
    for (const EntryIconRequest& none : {Request(""), Request(folder->File("missing.exe")),
                                         Request(folder->File("missing.txt")), Request(program, 0, ""),
                                         Request(program, 0, folder->File("missing.ico"))}) {
        SCOPED_TRACE(none.Pfad + " / " + none.IconPfad);
        EXPECT_EQ(key(none), "");
        EXPECT_FALSE(MakeEntryPicture(none, 32));
    }
    EXPECT_FALSE(MakeEntryPicture(Request("x.txt", 50, program), 32)) << "no icon 50";
    EXPECT_FALSE(MakeEntryPicture(Request("x.txt", 0, folder->File("a.txt")), 32)) << "no icon file";
}

TEST_F(EntryPictureMaker, IdentifierListSharesByTheShellsPicture)
{
    ComPtr<IShellFolder> desktop;
    ASSERT_TRUE(SUCCEEDED(SHGetDesktopFolder(&desktop)));
    std::string docs = folder->File("Docs");
    std::wstring wide(docs.begin(), docs.end());
    ITEMIDLIST* parsed = nullptr;
    ASSERT_TRUE(SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &parsed, nullptr)));
    const std::string bytes = IdListToBytes(ShellIdList(parsed).get());

    EXPECT_EQ(EntryPictureKey(Request(bytes, DefaultIconNum, {}, true)), EntryPictureKey(Request(docs)));
    std::optional<PixelImage> picture = MakeEntryPicture(Request(bytes, DefaultIconNum, {}, true), 16);
    ASSERT_TRUE(picture);
    EXPECT_TRUE(AnyShown(*picture));
    // Bytes that are no complete list never reach the shell.
    EXPECT_EQ(EntryPictureKey(Request(bytes.substr(0, bytes.size() - 1), DefaultIconNum, {}, true)), "");
    EXPECT_FALSE(MakeEntryPicture(Request(bytes.substr(0, bytes.size() - 1), DefaultIconNum, {}, true), 16));
}

TEST_F(EntryPictureMaker, EnvironmentVariablesAreExpandedForTheLookup)
{
    char windows[MAX_PATH] = {};
    ASSERT_NE(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    const std::string notepad = std::string(windows) + "\\notepad.exe";
    const std::string key = EntryPictureKey(Request("%WINDIR%\\notepad.exe"));
    EXPECT_FALSE(key.empty());
    EXPECT_EQ(key, EntryPictureKey(Request(notepad)));
    EXPECT_EQ(key, EntryPictureKey(Request("C:\\x.txt", 0, "%windir%\\NOTEPAD.EXE")));
    std::optional<PixelImage> picture = MakeEntryPicture(Request("%WINDIR%\\notepad.exe"), 32);
    ASSERT_TRUE(picture);
    EXPECT_TRUE(AnyShown(*picture));

    // The settings window's preview expands them too.
    UniqueIcon placeholder = MakeIcon(RGB(10, 20, 30), 32);
    UniqueIcon shown = GetEntryIcon("%WINDIR%\\notepad.exe", false, DefaultIconNum, {}, placeholder.get());
    UniqueIcon direct = GetEntryIcon(notepad, false, DefaultIconNum, {}, placeholder.get());
    EXPECT_EQ(IconPixels(shown.get()), IconPixels(direct.get()));
    EXPECT_NE(IconPixels(shown.get()), IconPixels(placeholder.get()));
}

TEST_F(EntryPictureMaker, AWorkerThreadGetsWhatTheUiThreadGets)
{
    const std::vector<EntryIconRequest> requests{Request(folder->File("a.txt")), Request(folder->File("Docs")),
                                                 Request(program), Request("x.txt", 0, folder->File("colours.ico"))};
    // Two workers at once, each with COM in an apartment of its own, as the picture maker
    // runs; they come first, so the shell and the type answers are asked from them.
    std::vector<std::string> keys, workerKeys, otherKeys;
    std::vector<std::optional<PixelImage>> pictures, workerPictures;
    const auto work = [&requests](std::vector<std::string>& k, std::vector<std::optional<PixelImage>>* p) {
        if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return;
        for (const EntryIconRequest& r : requests) {
            k.push_back(EntryPictureKey(r));
            if (p) p->push_back(MakeEntryPicture(r, 24));
        }
        CoUninitialize();
    };
    std::thread first(work, std::ref(workerKeys), &workerPictures), second(work, std::ref(otherKeys), nullptr);
    first.join();
    second.join();
    for (const EntryIconRequest& r : requests) {
        keys.push_back(EntryPictureKey(r));
        pictures.push_back(MakeEntryPicture(r, 24));
    }
    EXPECT_EQ(workerKeys, keys);
    EXPECT_EQ(otherKeys, keys);
    ASSERT_EQ(workerPictures.size(), pictures.size());
    for (size_t i = 0; i < pictures.size(); ++i) {
        SCOPED_TRACE(requests[i].Pfad);
        ASSERT_TRUE(pictures[i] && workerPictures[i]);
        EXPECT_EQ(workerPictures[i]->pixels, pictures[i]->pixels);
    }
}

}  // namespace
