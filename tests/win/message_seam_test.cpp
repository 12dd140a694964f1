// The real message boxes behind the seam: UTF-8 texts shown as the same characters.
#include "driver.h"
#include "while_shown.h"
#include "win/message_seam.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Cyrillic, CJK, an emoji (a surrogate pair) and a combining accent.
const std::string Unicode = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE6\x96\x87\xE6\x9B\xB8 "
                            "\xF0\x9F\x98\x80 Cafe\xCC\x81";

// The box this thread shows, read, then closed with `button`.
struct SeenBox {
    MessageBoxInfo info;
    std::string buttonText;
};
void AnswerBox(SeenBox& seen, int button)
{
    WhileShown([&seen, button] {
        HWND box = ThreadDialog();
        if (!box) return AnswerBox(seen, button);
        seen.info = ReadMessageBox(box);
        seen.buttonText = WindowText(GetDlgItem(box, button));
        EXPECT_TRUE(AnswerMessageBox(box, button));
    });
}

TEST(MessageSeam, UnicodeTextsAndCaptionsReachTheBoxIntact)
{
    SeenBox seen;
    AnswerBox(seen, IDNO);
    EXPECT_EQ(ShowMessageBox(nullptr, Unicode + "\rsecond line", "Caption " + Unicode, MB_YESNO | MB_ICONWARNING),
              IDNO);
    EXPECT_EQ(seen.info.text, Unicode + "\rsecond line");
    EXPECT_EQ(seen.info.caption, "Caption " + Unicode);

    // The standard dialog is captioned by its kind, with English buttons.
    AnswerBox(seen, IDYES);
    EXPECT_EQ(ShowMessageDialog(nullptr, Unicode, MessageKind::Confirmation, MessageButtons::YesNo), IDYES);
    EXPECT_EQ(seen.info.text, Unicode);
    EXPECT_EQ(seen.info.caption, "Confirm");
    EXPECT_EQ(seen.buttonText, "&Yes");
}

}  // namespace
