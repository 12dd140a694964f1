// Entry pictures: which entries share one, the icon directory choice of a true-size
// picture, and the smooth scaling filter.
#include "menus/bitmap_scale.h"
#include "menus/entry_icon_rules.h"
#include "menus/icon_directory.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

constexpr uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return (a << 24) | (r << 16) | (g << 8) | b; }

PixelImage Solid(int width, int height, uint32_t colour)
{
    return PixelImage{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, colour)};
}

// ---- Sharing keys ---------------------------------------------------------------------

TEST(EntryPictureKey, ATypesRegisteredIconNamesAFileAndIndex)
{
    const auto parsed = [](std::string_view value) -> std::string {
        std::optional<PictureLocation> at = ParseDefaultIcon(value);
        return at ? at->file + "|" + std::to_string(at->index) : "none";
    };
    EXPECT_EQ(parsed("%SystemRoot%\\system32\\imageres.dll,-102"), "%SystemRoot%\\system32\\imageres.dll|-102");
    EXPECT_EQ(parsed("C:\\windows\\hh.exe,0"), "C:\\windows\\hh.exe|0");
    EXPECT_EQ(parsed(" url.dll , 3 "), "url.dll|3");
    EXPECT_EQ(parsed("C:\\Tools\\tool.ico"), "C:\\Tools\\tool.ico|0");
    EXPECT_EQ(parsed("\"C:\\Program Files\\a,b\\x.exe\",2"), "C:\\Program Files\\a,b\\x.exe|2");
    EXPECT_EQ(parsed("\"C:\\a,b\\x.ico\""), "C:\\a,b\\x.ico|0") << "a comma inside the quotes";
    // Each file's own icon, or nothing usable: the shell must be asked.
    for (const char* none : {"%1", "\"%1\"", "", "  ", ",3", "x.dll,", "x.dll,two"}) EXPECT_EQ(parsed(none), "none") << none;
}

TEST(EntryPictureKey, PathsAreComparedAsTheFileSystemDoes)
{
    EXPECT_EQ(NormalisedPath("c:/Windows//system32\\.\\NOTEPAD.exe"), "C:\\WINDOWS\\SYSTEM32\\NOTEPAD.EXE");
    EXPECT_EQ(NormalisedPath("C:\\Windows\\Temp\\..\\notepad.exe"), "C:\\WINDOWS\\NOTEPAD.EXE");
    EXPECT_EQ(NormalisedPath("C:\\..\\..\\a.ico"), "C:\\A.ICO");  // never above the drive
    EXPECT_EQ(NormalisedPath("\\\\Server\\share\\x.ico"), "\\\\SERVER\\SHARE\\X.ICO");
    EXPECT_EQ(NormalisedPath("\\\\server\\share\\..\\..\\x.ico"), "\\\\SERVER\\X.ICO");
    EXPECT_EQ(NormalisedPath("\\dir\\..\\x.ico"), "\\X.ICO");
    EXPECT_EQ(NormalisedPath("..\\a\\..\\..\\x.ico"), "..\\..\\X.ICO");  // relative: the ".." stay
    EXPECT_EQ(NormalisedPath("C:x.ico"), "C:X.ICO");
    EXPECT_EQ(NormalisedPath(""), "");
}

TEST(EntryPictureKey, GenericPicturesAreTheShellsOnlyWhenItTellsThemApart)
{
    const PictureLocation app{PictureOrigin::IconFile, "C:\\W\\imageres.dll", -15}, doc{app.origin, app.file, -2};
    EXPECT_EQ(PictureKey(ChooseGenericPictures(app, doc, "S").program), PictureKey(app));
    EXPECT_EQ(PictureKey(ChooseGenericPictures(doc, doc, "S").program), "file:S,-3");  // Wine answers every id alike
}

TEST(EntryPictureKey, SameFileAndIndexShareOthersDoNot)
{
    const auto file = [](std::string path, int32_t index) {
        return PictureKey(PictureLocation{PictureOrigin::IconFile, std::move(path), index});
    };
    EXPECT_EQ(file("C:\\Tools\\tool.exe", 0), file("c:/tools/TOOL.EXE", 0));
    EXPECT_EQ(file("C:\\Tools\\tool.exe", -3), file("C:\\Tools\\x\\..\\tool.exe", -3));
    EXPECT_NE(file("C:\\Tools\\tool.exe", 0), file("C:\\Tools\\tool.exe", 1));
    EXPECT_NE(file("C:\\Tools\\tool.exe", 1), file("C:\\Tools\\tool.exe", -1));  // index vs resource id
    EXPECT_NE(file("C:\\Tools\\tool.exe", 0), file("C:\\Tools\\tool2.exe", 0));
    EXPECT_NE(file("C:\\a,1", 2), file("C:\\a", 12));  // the separator cannot be faked: "C:\A,1,2" vs "C:\A,12"

    const auto shell = [](int32_t index) { return PictureKey(PictureLocation{PictureOrigin::ShellImage, {}, index}); };
    EXPECT_EQ(shell(3), shell(3));
    EXPECT_NE(shell(3), shell(4));
    EXPECT_NE(shell(0), file("", 0));
    EXPECT_NE(shell(0), file("0", 0));

    EXPECT_EQ(PictureKey(PictureLocation{}), "");
    EXPECT_EQ(file("", 0), "") << "no file: the placeholder";
    EXPECT_FALSE(shell(0).empty());
}

// ---- Icon directories -------------------------------------------------------------------

std::string Le16(uint32_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

struct Entry {
    int side, bits;
    uint32_t bytes, where;
};

std::string Directory(const std::vector<Entry>& entries, bool group)
{
    std::string d = Le16(0) + Le16(1) + Le16(static_cast<uint32_t>(entries.size()));
    for (const Entry& e : entries) {
        d += static_cast<char>(e.side & 0xFF);  // 256 is stored as 0
        d += static_cast<char>(e.side & 0xFF);
        d += std::string(2, '\0') + Le16(1) + Le16(static_cast<uint32_t>(e.bits)) + Le32(e.bytes);
        d += group ? Le16(e.where) : Le32(e.where);
    }
    return d;
}

TEST(IconDirectory, ReadsFilesAndGroupResources)
{
    const std::vector<Entry> listed{{16, 8, 100, 70}, {256, 32, 5000, 170}, {48, 32, 900, 5170}};
    for (bool group : {false, true}) {
        SCOPED_TRACE(group);
        std::vector<IconDirEntry> got = ParseIconDirectory(Directory(listed, group), group);
        ASSERT_EQ(got.size(), 3u);
        EXPECT_EQ(got[1].width, 256);
        EXPECT_EQ(got[1].height, 256);
        EXPECT_EQ(got[1].bitCount, 32);
        EXPECT_EQ(got[2].bytes, 900u);
        EXPECT_EQ(got[2].where, 5170u);
    }
    const std::string good = Directory(listed, false);
    EXPECT_TRUE(ParseIconDirectory(good.substr(0, good.size() - 1), false).empty()) << "cut short";
    EXPECT_TRUE(ParseIconDirectory(Directory(listed, true), false).empty()) << "group bytes read as a file";
    std::string cursor = good;
    cursor[2] = 2;
    EXPECT_TRUE(ParseIconDirectory(cursor, false).empty()) << "a cursor is no icon";
    EXPECT_TRUE(ParseIconDirectory("", false).empty());
    EXPECT_TRUE(ParseIconDirectory(Directory({}, false), false).empty());

    // Old files give the palette size instead of the bit count.
    std::string old = Directory({{32, 0, 10, 22}}, false);
    old[6 + 2] = 16;
    EXPECT_EQ(ParseIconDirectory(old, false).at(0).bitCount, 4);
}

TEST(IconDirectory, ChoosesTheOwnSizeElseTheNearestLargerElseTheLargest)
{
    std::vector<IconDirEntry> e;
    for (auto [side, bits] : {std::pair{32, 8}, {16, 32}, {64, 32}, {32, 32}, {48, 32}, {32, 4}})
        e.push_back(IconDirEntry{side, side, bits, 1, 0});
    EXPECT_EQ(ChooseIconEntry(e, 16), 1u);
    EXPECT_EQ(ChooseIconEntry(e, 32), 3u) << "the most colours among equals";
    EXPECT_EQ(ChooseIconEntry(e, 24), 3u) << "32 is the nearest larger, not 16";
    EXPECT_EQ(ChooseIconEntry(e, 40), 4u);
    EXPECT_EQ(ChooseIconEntry(e, 64), 2u);
    EXPECT_EQ(ChooseIconEntry(e, 96), 2u) << "nothing larger: the largest";
    EXPECT_EQ(ChooseIconEntry(e, 1), 1u);
    EXPECT_FALSE(ChooseIconEntry({}, 16));
}

TEST(IconDirectory, PictureBytesMustLieInsideTheFile)
{
    const std::string file = "0123456789";
    EXPECT_EQ(IconFileImage(file, IconDirEntry{16, 16, 32, 4, 6}), "6789");
    EXPECT_FALSE(IconFileImage(file, IconDirEntry{16, 16, 32, 5, 6}));
    EXPECT_FALSE(IconFileImage(file, IconDirEntry{16, 16, 32, 0xFFFFFFFFu, 6})) << "no wrap-around";
    EXPECT_FALSE(IconFileImage(file, IconDirEntry{16, 16, 32, 1, 11}));
    EXPECT_FALSE(IconFileImage(file, IconDirEntry{16, 16, 32, 0, 0}));
}

// ---- Smooth scaling ---------------------------------------------------------------------

TEST(ScalePicture, SameSizeAndSolidPicturesKeepTheirPixels)
{
    PixelImage odd = Solid(3, 2, 0);
    for (size_t i = 0; i < odd.pixels.size(); ++i) odd.pixels[i] = Argb(static_cast<uint32_t>(40 * i), 1, 2, 3);
    EXPECT_EQ(ScalePicture(odd, 3, 2).pixels, odd.pixels);

    const uint32_t colour = Argb(255, 10, 200, 30);
    for (auto [from, to] : {std::pair{32, 16}, {48, 24}, {32, 24}, {64, 40}, {16, 64}, {16, 24}, {1, 5}, {7, 1}}) {
        SCOPED_TRACE(std::to_string(from) + " to " + std::to_string(to));
        PixelImage scaled = ScalePicture(Solid(from, from, colour), to, to);
        ASSERT_EQ(scaled.width, to);
        ASSERT_EQ(scaled.height, to);
        EXPECT_EQ(scaled.pixels, std::vector<uint32_t>(static_cast<size_t>(to) * to, colour));
    }
}

TEST(ScalePicture, HalvingAveragesEachTwoByTwoBlock)
{
    PixelImage image = Solid(4, 2, 0);
    // Left block: four opaque colours; right block: two opaque reds beside two clear pixels.
    image.At(0, 0) = Argb(255, 0, 0, 0);
    image.At(1, 0) = Argb(255, 100, 0, 0);
    image.At(0, 1) = Argb(255, 0, 200, 0);
    image.At(1, 1) = Argb(255, 0, 0, 41);
    image.At(2, 0) = image.At(3, 1) = Argb(255, 240, 0, 0);
    image.At(3, 0) = image.At(2, 1) = Argb(0, 0, 255, 255);  // clear: its colour must not show
    PixelImage half = ScalePicture(image, 2, 1);
    ASSERT_EQ(half.pixels.size(), 2u);
    EXPECT_EQ(half.At(0, 0), Argb(255, 25, 50, 10));   // 41/4 = 10.25
    EXPECT_EQ(half.At(1, 0), Argb(128, 240, 0, 0));    // half covered, straight red

    EXPECT_EQ(ScalePicture(Solid(2, 2, Argb(0, 9, 9, 9)), 1, 1).pixels, std::vector<uint32_t>{0u})
        << "all clear: clear, colour zero";
}

TEST(ScalePicture, NonMultipleSizesWeighPartlyCoveredPixels)
{
    // 3 -> 2 columns: each target column takes one whole source column and half the middle.
    PixelImage row = Solid(3, 1, 0);
    row.At(0, 0) = Argb(255, 90, 0, 0);
    row.At(1, 0) = Argb(255, 0, 90, 0);
    row.At(2, 0) = Argb(255, 0, 0, 90);
    PixelImage two = ScalePicture(row, 2, 1);
    EXPECT_EQ(two.At(0, 0), Argb(255, 60, 30, 0));
    EXPECT_EQ(two.At(1, 0), Argb(255, 0, 30, 60));

    // 32 -> 24 of a picture whose left half is white, right half black: the middle
    // column mixes, the outer ones stay pure.
    PixelImage split = Solid(32, 32, Argb(255, 0, 0, 0));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 16; ++x) split.At(x, y) = Argb(255, 255, 255, 255);
    PixelImage small = ScalePicture(split, 24, 24);
    EXPECT_EQ(small.At(0, 5), Argb(255, 255, 255, 255));
    EXPECT_EQ(small.At(23, 5), Argb(255, 0, 0, 0));
    EXPECT_EQ(small.At(11, 5), Argb(255, 255, 255, 255));
    EXPECT_EQ(small.At(12, 5), Argb(255, 0, 0, 0));  // 16 source = 12 target: the edge falls between

    PixelImage forty = ScalePicture(split, 40, 40);  // enlarged: a soft edge, no blocks
    EXPECT_EQ(forty.At(0, 0), Argb(255, 255, 255, 255));
    EXPECT_EQ(forty.At(39, 39), Argb(255, 0, 0, 0));
    const uint32_t edge = (forty.At(19, 7) >> 16) & 0xFF, after = (forty.At(20, 7) >> 16) & 0xFF;
    EXPECT_GT(edge, after);
    EXPECT_GT(edge, 0u);
    EXPECT_LT(edge, 255u);
}

TEST(ScalePicture, OnePixelEdgesAndMalformedPictures)
{
    PixelImage dot = Solid(1, 1, Argb(200, 1, 2, 3));
    EXPECT_EQ(ScalePicture(dot, 4, 4).pixels, std::vector<uint32_t>(16, Argb(200, 1, 2, 3)));
    PixelImage line = Solid(5, 1, Argb(255, 50, 50, 50));
    line.At(4, 0) = Argb(255, 100, 100, 100);
    EXPECT_EQ(ScalePicture(line, 1, 1).At(0, 0), Argb(255, 60, 60, 60));
    EXPECT_EQ(ScalePicture(line, 5, 3).height, 3);

    EXPECT_TRUE(ScalePicture(PixelImage{}, 16, 16).pixels.empty());
    EXPECT_TRUE(ScalePicture(PixelImage{4, 4, std::vector<uint32_t>(15)}, 2, 2).pixels.empty());
    EXPECT_TRUE(ScalePicture(dot, 0, 4).pixels.empty());
    EXPECT_TRUE(ScalePicture(dot, 4, -1).pixels.empty());
}

}  // namespace

namespace {

// A stored icon picture: header, palette, colour rows bottom up, then the mask rows.
std::string IconBits(int width, int height, int bitCount, const std::vector<uint32_t>& palette,
                     const std::string& colourRows, const std::string& maskRows)
{
    std::string b = Le32(40) + Le32(static_cast<uint32_t>(width)) + Le32(static_cast<uint32_t>(2 * height)) + Le16(1) +
                    Le16(static_cast<uint32_t>(bitCount)) + Le32(0) + Le32(0) + Le32(0) + Le32(0) +
                    Le32(static_cast<uint32_t>(palette.size())) + Le32(0);
    for (uint32_t c : palette) b += Le32(c);
    return b + colourRows + maskRows;
}

TEST(IconDirectory, DecodesStoredPicturesWithAlphaOrMask)
{
    // 2x2, 32-bit with alpha: rows bottom up, each pixel B, G, R, A; the mask is ignored.
    const std::string withAlpha = IconBits(2, 2, 32, {}, Le32(Argb(255, 1, 2, 3)) + Le32(Argb(0, 9, 9, 9)) +
                                                             Le32(Argb(128, 4, 5, 6)) + Le32(Argb(255, 7, 8, 9)),
                                           std::string(8, '\xFF'));
    std::optional<PixelImage> a = DecodeIconImage(withAlpha);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->pixels, (std::vector<uint32_t>{Argb(128, 4, 5, 6), Argb(255, 7, 8, 9), Argb(255, 1, 2, 3), 0u}));
    EXPECT_TRUE(DecodeIconImage(withAlpha.substr(0, withAlpha.size() - 8))) << "the mask is not needed";

    // 32-bit without alpha and 24-bit: the mask decides (top row: left shown, right clear).
    const std::string mask = Le32(0) + std::string{'\x40', 0, 0, 0};  // bottom row all shown
    std::optional<PixelImage> noAlpha = DecodeIconImage(IconBits(
        2, 2, 32, {}, Le32(0x010203) + Le32(0x040506) + Le32(0x0A0B0C) + Le32(0x0D0E0F), mask));
    ASSERT_TRUE(noAlpha);
    EXPECT_EQ(noAlpha->pixels,
              (std::vector<uint32_t>{Argb(255, 10, 11, 12), 0u, Argb(255, 1, 2, 3), Argb(255, 4, 5, 6)}));
    const std::string rows24 = std::string{1, 2, 3, 4, 5, 6, 0, 0} + std::string{10, 11, 12, 13, 14, 15, 0, 0};
    std::optional<PixelImage> rgb = DecodeIconImage(IconBits(2, 2, 24, {}, rows24, mask));
    ASSERT_TRUE(rgb);
    EXPECT_EQ(rgb->pixels, (std::vector<uint32_t>{Argb(255, 12, 11, 10), 0u, Argb(255, 3, 2, 1), Argb(255, 6, 5, 4)}));

    // 4-bit with a palette: 3 pixels wide, high nibble first.
    const std::string rows4 = std::string{'\x12', '\x00', 0, 0} + std::string{'\x21', '\x00', 0, 0};
    std::optional<PixelImage> paletted =
        DecodeIconImage(IconBits(3, 2, 4, {0x000000, 0xFF0000, 0x00FF00}, rows4, std::string(8, '\0')));
    ASSERT_TRUE(paletted);
    EXPECT_EQ(paletted->pixels, (std::vector<uint32_t>{Argb(255, 0, 255, 0), Argb(255, 255, 0, 0), Argb(255, 0, 0, 0),
                                                       Argb(255, 255, 0, 0), Argb(255, 0, 255, 0), Argb(255, 0, 0, 0)}));
    EXPECT_FALSE(DecodeIconImage(IconBits(3, 2, 4, {0x000000, 0xFF0000}, rows4, std::string(8, '\0'))))
        << "a colour beyond the palette";

    EXPECT_FALSE(DecodeIconImage(IconBits(2, 2, 24, {}, rows24, mask.substr(0, 7)))) << "cut short";
    EXPECT_FALSE(DecodeIconImage(std::string("\x89PNG\r\n\x1a\n", 8) + std::string(40, '\0'))) << "PNG";
    std::string odd = IconBits(2, 2, 24, {}, rows24, mask);
    odd[8] = 3;  // an odd height
    EXPECT_FALSE(DecodeIconImage(odd));
    odd = IconBits(2, 2, 16, {}, rows24, mask);
    EXPECT_FALSE(DecodeIconImage(odd)) << "16-bit pictures are left to the system";
    EXPECT_FALSE(DecodeIconImage(""));
}

}  // namespace
