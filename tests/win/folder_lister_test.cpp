// Folder listings made on the worker: in the shell's order, kept while unchanged, read
// again after a change, and the lister ended at once.
#include "driver.h"
#include "menus/folder_lister_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace {

// The shown names in order, a folder's with a trailing "/", or the state's name.
std::string Shown(const FolderAnswer& answer)
{
    if (answer.state == FolderState::Loading) return "(loading)";
    if (answer.state == FolderState::NotAvailable) return "(not available)";
    if (answer.state == FolderState::Empty) return "(empty)";
    std::string text;
    for (size_t k = 0; k < answer.listing->Count(); ++k)
        text += std::string(answer.listing->ShownName(k)) + (answer.listing->IsFolder(k) ? "/ " : " ");
    return text;
}

std::string WaitFor(FolderLister& lister, const std::string& path, const std::string& wanted)
{
    std::string shown;
    for (int k = 0; k < 250 && (shown = Shown(lister.Request(path))) != wanted; ++k) Sleep(20);
    return shown;
}

}  // namespace

TEST(FolderLister, ListsInTheShellsOrderKeepsListingsAndFollowsChanges)
{
    auto folder = TempFolder::Create();
    ASSERT_TRUE(folder);
    ASSERT_TRUE(CreateDirectoryW(Wide(folder->File("Sub")).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Wide(folder->File("Empty")).c_str(), nullptr));
    for (const char* file :
         {"file10.txt", "Файл2.txt", "file2.txt", "file19.txt", "file1a.txt", "Notes.lnk", "hidden.txt"})
        ASSERT_TRUE(folder->Write(file, "x")) << file;
    ASSERT_TRUE(SetFileAttributesW(Wide(folder->File("hidden.txt")).c_str(), FILE_ATTRIBUTE_HIDDEN));
    const ScopedVariable variable(L"MGW_LISTED", folder->Path());

    std::atomic<int> wakes{0};
    auto lister = std::make_unique<FolderLister>([&] { ++wakes; });
    const std::string path = "%MGW_LISTED%Sub\\..";
    EXPECT_EQ(Shown(lister->Request(path)), "(loading)");
    const std::string listed = "Empty/ Sub/ file1a.txt file2.txt file10.txt file19.txt Notes Файл2.txt ";
    EXPECT_EQ(WaitFor(*lister, folder->Path(), listed), listed);
    EXPECT_GT(wakes.load(), 0);
    // Kept while unchanged: the same listing, however the path is spelt.
    const auto kept = lister->Request(folder->Path()).listing;
    EXPECT_EQ(lister->Request(folder->Path() + "\\").listing, kept);
    EXPECT_EQ(lister->Listing(folder->File("sub\\..")).listing, kept);

    ASSERT_TRUE(folder->Write("file3.txt", "x"));
    const std::string added = "Empty/ Sub/ file1a.txt file2.txt file3.txt file10.txt file19.txt Notes Файл2.txt ";
    EXPECT_EQ(WaitFor(*lister, folder->Path(), added), added);
    EXPECT_EQ(WaitFor(*lister, folder->File("Empty"), "(empty)"), "(empty)");
    EXPECT_EQ(WaitFor(*lister, folder->File("missing"), "(not available)"), "(not available)");

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Shown(lister->Request(folder->File("Sub"))), "(loading)");
    lister.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_FALSE(FolderLister::AnyLeftRunning());
}

TEST(FolderLister, GivesUpOnAFolderThatHangsWithoutHoldingBackOthers)
{
    const UniqueHandle released(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    // A share that never answers until released, beside folders that answer at once.
    FolderReader read = [release = released.get()](const std::wstring& path, FolderListing& into,
                                                    std::atomic<uint32_t>&) {
        if (path.find(L"\\\\unreachable") == 0) {
            WaitForSingleObject(release, 20000);
            return false;
        }
        into.Add(Utf8(path.substr(path.rfind(L'\\') + 1)), false, false, false);
        return true;
    };
    auto lister = std::make_unique<FolderLister>([] {}, read);
    const auto start = std::chrono::steady_clock::now();
    const auto since = [&] { return std::chrono::steady_clock::now() - start; };
    EXPECT_EQ(Shown(lister->Request("\\\\unreachable\\share")), "(loading)");
    EXPECT_EQ(WaitFor(*lister, "C:\\answers", "answers "), "answers ");
    EXPECT_LT(since(), std::chrono::seconds(1));
    EXPECT_EQ(WaitFor(*lister, "\\\\unreachable\\share", "(not available)"), "(not available)");
    EXPECT_GE(since(), std::chrono::milliseconds(FolderLister::GiveUpMillis));
    // Not read again at once, nor while its reading still hangs: the answer comes at once.
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(Shown(lister->Request("\\\\UNREACHABLE\\share\\")), "(not available)");
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(50));
    SetEvent(released.get());
    const auto ending = std::chrono::steady_clock::now();
    lister.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - ending, std::chrono::seconds(1));
}
