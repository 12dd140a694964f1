// Identifier lists made by the real shell (files and folders parsed from their paths)
// and by hand, through the module's allocation, naming, folder and icon operations.
#include "driver.h"
#include "shell/idlist_win.h"
#include "unicode_files.h"
#include "win/text_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

bool SameText(const std::string& a, const std::string& b) { return lstrcmpiW(Wide(a).c_str(), Wide(b).c_str()) == 0; }

std::string WithoutTrailingBackslash(std::string path)
{
    if (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

// An element of `size` bytes: the size field, then `data` padded with 'x'.
std::string Element(size_t size, std::string_view data = {})
{
    std::string e(size, 'x');
    e[0] = static_cast<char>(size & 0xFF);
    e[1] = static_cast<char>(size >> 8);
    e.replace(2, data.size(), data);
    return e;
}
const std::string Terminator("\0\0"s);

class IdListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        ASSERT_TRUE(SUCCEEDED(SHGetDesktopFolder(&desktop)));
        folder = TempFolder::Create();
        ASSERT_TRUE(folder);
        ASSERT_TRUE(CreateDirectoryA(folder->File("sub").c_str(), nullptr));
        ASSERT_TRUE(folder->Write("sub\\notes.txt", "some notes"));
    }
    void TearDown() override
    {
        desktop.Reset();
        CoUninitialize();
    }

    // The shell's own absolute list for a path.
    ShellIdList Parse(const std::string& path)
    {
        std::wstring wide = Wide(path);
        ITEMIDLIST* list = nullptr;
        HRESULT hr = desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &list, nullptr);
        EXPECT_TRUE(SUCCEEDED(hr) && list) << path;
        return ShellIdList(list);
    }

    ComPtr<IShellFolder> desktop;
    std::optional<TempFolder> folder;
};

TEST_F(IdListTest, AllocGivesAZeroFilledShellBlock)
{
    ShellIdList block = IdListAlloc(64);
    ASSERT_TRUE(block);
    const auto* bytes = reinterpret_cast<const uint8_t*>(block.get());
    for (int i = 0; i < 64; ++i) ASSERT_EQ(bytes[i], 0) << i;
    IdListFree(nullptr);
}

TEST_F(IdListTest, BytesOfARealFileRoundTripIntoAUsableList)
{
    std::string path = folder->File("sub\\notes.txt");
    ShellIdList list = Parse(path);
    ASSERT_TRUE(list);
    std::string bytes = IdListToBytes(list.get());
    EXPECT_EQ(bytes.size(), IdListSize(list.get()));
    EXPECT_TRUE(IsCompleteIdList(bytes));
    EXPECT_GE(IdListCount(list.get()), 3u);

    ShellIdList copy = IdListFromBytes(bytes);
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.get(), list.get());
    EXPECT_EQ(IdListToBytes(copy.get()), bytes);
    list.reset();  // the copy stands on its own
    char fromShell[MAX_PATH] = {};
    ASSERT_TRUE(SHGetPathFromIDListA(copy.get(), fromShell));
    EXPECT_TRUE(SameText(fromShell, path)) << fromShell;
}

TEST_F(IdListTest, TheDesktopsEmptyListRoundTrips)
{
    ShellIdList copy = IdListFromBytes(Terminator);
    ASSERT_TRUE(copy);
    EXPECT_EQ(IdListSize(copy.get()), 2u);
    EXPECT_EQ(IdListToBytes(copy.get()), Terminator);
    EXPECT_EQ(IdListToBytes(nullptr), "");
}

TEST_F(IdListTest, BytesThatAreNotExactlyOneCompleteListGiveNoList)
{
    const std::string cases[] = {
        "",                                              // nothing stored
        "\0"s,                                           // half a terminator
        Element(6, "abcd"),                              // no terminator
        Element(6, "abcd") + "\0"s,                      // terminator cut short
        "\x01\x00"s + Terminator,                        // an element shorter than its size field
        "\x09\x00" "ab"s + Terminator,                   // an element running past the end
        Element(6) + Terminator + "junk",                // bytes after the list
        Element(6) + Terminator + Terminator,            // two lists
    };
    for (const std::string& bytes : cases) EXPECT_FALSE(IdListFromBytes(bytes)) << testing::PrintToString(bytes);
}

TEST_F(IdListTest, ParentFolderOfADeepItemHoldsItAndLeavesTheListAsItWas)
{
    ShellIdList list = Parse(folder->File("sub\\notes.txt"));
    ASSERT_TRUE(list);
    std::string before = IdListToBytes(list.get());

    ParentFolder parent = GetParentFolder(list.get());
    EXPECT_EQ(IdListToBytes(list.get()), before);
    ASSERT_TRUE(parent.folder);
    EXPECT_EQ(parent.last, IdListLast(list.get()));
    EXPECT_NE(parent.last, list.get());
    EXPECT_EQ(IdListSize(IdListNext(parent.last)), 2u);  // the last element is followed by the terminator
    // The parent names its child by the child's full path: it is the file's own folder.
    std::string name = GetDisplayNameInFolder(parent.folder.Get(), parent.last, true);
    EXPECT_TRUE(SameText(name, folder->File("sub\\notes.txt"))) << name;
}

TEST_F(IdListTest, ParentFolderRestoresTheListWhateverTheBindGives)
{
    // The file's own element twice: the "parent" is a file, not a folder.
    ShellIdList file = Parse(folder->File("sub\\notes.txt"));
    ASSERT_TRUE(file);
    std::string bytes = IdListToBytes(file.get());
    const auto* raw = reinterpret_cast<const uint8_t*>(bytes.data());
    size_t lastAt = static_cast<size_t>(IdListLast(raw) - raw);
    std::string twice = bytes.substr(0, bytes.size() - 2) + bytes.substr(lastAt);
    ShellIdList odd = IdListFromBytes(twice);
    ASSERT_TRUE(odd);
    ParentFolder parent = GetParentFolder(odd.get());
    EXPECT_EQ(IdListToBytes(odd.get()), twice);

    ShellIdList bogus = IdListFromBytes(Element(9, "nothing") + Element(5, "abc") + Terminator);
    ASSERT_TRUE(bogus);
    std::string bogusBytes = IdListToBytes(bogus.get());
    ParentFolder none = GetParentFolder(bogus.get());
    EXPECT_EQ(IdListToBytes(bogus.get()), bogusBytes);
}

TEST_F(IdListTest, ParentOfADesktopItemIsTheDesktopAndTheListIsUntouched)
{
    ITEMIDLIST* raw = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &raw), S_OK);
    ShellIdList drives(raw);
    ASSERT_EQ(IdListCount(drives.get()), 1u);
    std::string before = IdListToBytes(drives.get());

    ParentFolder parent = GetParentFolder(drives.get());
    ASSERT_TRUE(parent.folder);
    EXPECT_EQ(parent.last, drives.get());
    EXPECT_EQ(IdListToBytes(drives.get()), before);
    std::string name = GetDisplayNameInFolder(parent.folder.Get(), drives.get(), false);
    EXPECT_FALSE(name.empty());
    EXPECT_EQ(name, GetDisplayNameInFolder(desktop.Get(), drives.get(), false));
    EXPECT_EQ(GetIdListDisplayName(drives.get(), false, false, false), name);  // outside the file system

    ShellIdList empty = IdListFromBytes(Terminator);
    ParentFolder ofDesktop = GetParentFolder(empty.get());
    EXPECT_TRUE(ofDesktop.folder);
    EXPECT_EQ(ofDesktop.last, empty.get());
}

TEST_F(IdListTest, DisplayNamesOfARealFileAndFolder)
{
    std::string path = folder->File("sub\\notes.txt");
    ShellIdList file = Parse(path);
    ASSERT_TRUE(file);
    EXPECT_TRUE(SameText(GetIdListDisplayName(file.get(), false, false, true), path));
    EXPECT_TRUE(SameText(GetIdListDisplayName(file.get(), true, false, true), "notes.txt"));
    EXPECT_TRUE(SameText(GetDisplayNameInFolder(desktop.Get(), file.get(), true), path));
    std::string shown = GetIdListDisplayName(file.get(), true, false, false);
    EXPECT_EQ(shown.rfind("notes", 0), 0u) << shown;

    std::string sub = WithoutTrailingBackslash(folder->File("sub"));
    ShellIdList dir = Parse(sub);
    ASSERT_TRUE(dir);
    EXPECT_TRUE(SameText(GetIdListDisplayName(dir.get(), false, false, true), sub));
    EXPECT_TRUE(SameText(GetIdListDisplayName(dir.get(), true, false, false), "sub"));
}

TEST_F(IdListTest, RealFileHasLargeAndSmallIcons)
{
    ShellIdList file = Parse(folder->File("sub\\notes.txt"));
    ASSERT_TRUE(file);
    for (bool large : {true, false}) {
        UniqueIcon icon = GetIdListIcon(file.get(), large, false);
        ASSERT_TRUE(icon) << large;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon.get(), &info));
        UniqueGdiObject mask(info.hbmMask), color(info.hbmColor);
        BITMAP bm{};
        ASSERT_TRUE(GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm));
        EXPECT_EQ(bm.bmWidth, GetSystemMetrics(large ? SM_CXICON : SM_CXSMICON)) << large;
    }
    ShellIdList dir = Parse(WithoutTrailingBackslash(folder->File("sub")));
    EXPECT_TRUE(GetIdListIcon(dir.get(), true, true));
}

// A folder whose only job is to answer GetDisplayNameOf the way it was told to.
class ScriptedFolder final : public IShellFolder {
public:
    HRESULT result = S_OK;
    STRRET reply{};
    const ITEMIDLIST* listAsked = nullptr;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        if (riid == IID_IUnknown || riid == IID_IShellFolder) {
            *out = static_cast<IShellFolder*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*, ULONG*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*, void**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD list, SHGDNF, STRRET* name) override
    {
        listAsked = list;
        *name = reply;
        return result;
    }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD*) override
    {
        return E_NOTIMPL;
    }
};

// Counts the blocks the task allocator frees, to see the wide name given back.
class FreeCounter final : public IMallocSpy {
public:
    std::vector<void*> freed;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        if (riid == IID_IUnknown || riid == IID_IMallocSpy) {
            *out = static_cast<IMallocSpy*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T cb) override { return cb; }
    void* STDMETHODCALLTYPE PostAlloc(void* p) override { return p; }
    void* STDMETHODCALLTYPE PreFree(void* p, BOOL) override
    {
        freed.push_back(p);
        return p;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* p, SIZE_T cb, void** out, BOOL) override
    {
        *out = p;
        return cb;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* p, BOOL) override { return p; }
    void* STDMETHODCALLTYPE PreGetSize(void* p, BOOL) override { return p; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T cb, BOOL) override { return cb; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* p, BOOL) override { return p; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}
};

TEST_F(IdListTest, NameGivenAsOffsetEndsAtItsZero)
{
    ScriptedFolder shell;
    std::string bytes = Element(14, "\x01" "Printer\0zz"s) + Terminator;
    shell.reply.uType = STRRET_OFFSET;
    shell.reply.uOffset = 3;
    auto* list = reinterpret_cast<const ITEMIDLIST*>(bytes.data());
    EXPECT_EQ(GetDisplayNameInFolder(&shell, list, false), "Printer");
    EXPECT_EQ(shell.listAsked, list);
}

TEST_F(IdListTest, NameGivenAsOffsetNeverRunsPastItsElement)
{
    ScriptedFolder shell;
    // No zero inside the element; the next element's size byte is not part of the name.
    std::string bytes = Element(8, "hello!") + Element(4, "XY") + Terminator;
    auto* list = reinterpret_cast<const ITEMIDLIST*>(bytes.data());
    shell.reply.uType = STRRET_OFFSET;
    shell.reply.uOffset = 2;
    EXPECT_EQ(GetDisplayNameInFolder(&shell, list, false), "hello!");
    shell.reply.uOffset = 8;
    EXPECT_EQ(GetDisplayNameInFolder(&shell, list, false), "");
    shell.reply.uOffset = 40000;
    EXPECT_EQ(GetDisplayNameInFolder(&shell, list, false), "");
    EXPECT_EQ(GetDisplayNameInFolder(&shell, nullptr, false), "");
}

TEST_F(IdListTest, NameGivenInlineIsReadUpToItsZeroOrTheBufferEnd)
{
    ScriptedFolder shell;
    shell.reply.uType = STRRET_CSTR;
    std::strcpy(shell.reply.cStr, "Control Panel");
    std::string bytes = Element(4) + Terminator;
    auto* list = reinterpret_cast<const ITEMIDLIST*>(bytes.data());
    EXPECT_EQ(GetDisplayNameInFolder(&shell, list, false), "Control Panel");
    std::memset(shell.reply.cStr, 'n', sizeof(shell.reply.cStr));
    EXPECT_EQ(GetDisplayNameInFolder(&shell, list, false), std::string(sizeof(shell.reply.cStr), 'n'));
}

TEST_F(IdListTest, WideNameIsConvertedAndGivenBackToTheShellAllocator)
{
    FreeCounter spy;
    ASSERT_EQ(CoRegisterMallocSpy(&spy), S_OK);
    auto* wide = static_cast<wchar_t*>(CoTaskMemAlloc(sizeof(L"Gr\u00FC\u00DFe")));
    ASSERT_TRUE(wide);
    std::memcpy(wide, L"Gr\u00FC\u00DFe", sizeof(L"Gr\u00FC\u00DFe"));
    ScriptedFolder shell;
    shell.reply.uType = STRRET_WSTR;
    shell.reply.pOleStr = wide;
    std::string bytes = Element(4) + Terminator;
    std::string name = GetDisplayNameInFolder(&shell, reinterpret_cast<const ITEMIDLIST*>(bytes.data()), false);
    std::vector<void*> freed = spy.freed;
    EXPECT_EQ(CoRevokeMallocSpy(), S_OK);
    EXPECT_EQ(name, "Gr\xC3\xBC\xC3\x9F" "e");
    EXPECT_EQ(std::count(freed.begin(), freed.end(), static_cast<void*>(wide)), 1);
}

TEST_F(IdListTest, EightBitNamesAreReadInTheCodePage)
{
    ScriptedFolder shell;
    shell.reply.uType = STRRET_CSTR;
    std::strcpy(shell.reply.cStr, "Gr\xFC\xDF" "e");  // code page 1252
    std::string bytes = Element(4) + Terminator;
    auto* list = reinterpret_cast<const ITEMIDLIST*>(bytes.data());
    EXPECT_EQ(GetDisplayNameInFolder(&shell, list, false), "Gr\xC3\xBC\xC3\x9F" "e");
    std::string offset = Element(8, "\x01" "\xE9t\xE9\0"s) + Terminator;
    shell.reply.uType = STRRET_OFFSET;
    shell.reply.uOffset = 3;
    EXPECT_EQ(GetDisplayNameInFolder(&shell, reinterpret_cast<const ITEMIDLIST*>(offset.data()), false),
              "\xC3\xA9t\xC3\xA9");
}

TEST_F(IdListTest, UnicodeFileAndFolderKeepTheirNamesAndIcons)
{
    const std::string sub = folder->File(MixedName);
    ASSERT_TRUE(CreateDirectoryW(Wide(sub).c_str(), nullptr));
    const std::string path = sub + "\\" + EmojiName + ".txt";
    ASSERT_TRUE(WriteUnicodeFile(path, "x"));
    ShellIdList file = Parse(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(GetIdListDisplayName(file.get(), false, false, true), path);
    EXPECT_EQ(GetIdListDisplayName(file.get(), true, false, true), EmojiName + ".txt"s);
    EXPECT_EQ(GetDisplayNameInFolder(desktop.Get(), file.get(), true), path);
    ShellIdList dir = Parse(sub);
    ASSERT_TRUE(dir);
    EXPECT_EQ(GetIdListDisplayName(dir.get(), true, false, false), MixedName);
    EXPECT_TRUE(GetIdListIcon(file.get(), false, false));
    EXPECT_TRUE(GetIdListIcon(dir.get(), true, true));
}

TEST_F(IdListTest, UnknownFormsAndRefusalsGiveNoName)
{
    ScriptedFolder shell;
    std::string bytes = Element(4) + Terminator;
    auto* list = reinterpret_cast<const ITEMIDLIST*>(bytes.data());
    shell.reply.uType = 7;
    EXPECT_EQ(GetDisplayNameInFolder(&shell, list, false), "");
    shell.reply.uType = STRRET_CSTR;
    std::strcpy(shell.reply.cStr, "refused");
    shell.result = E_FAIL;
    EXPECT_EQ(GetDisplayNameInFolder(&shell, list, false), "");
    shell.result = S_FALSE;
    EXPECT_EQ(GetDisplayNameInFolder(&shell, list, false), "");
    EXPECT_EQ(GetDisplayNameInFolder(nullptr, list, false), "");
}

}  // namespace
