#include "quick/quick_box_win.h"

#include "config/model.h"
#include "quick/quick_rows_win.h"
#include "shell/path_text.h"
#include "win/accessible.h"
#include "win/text_conversion.h"

#include <oleacc.h>

// The list as screen readers see it: one row per match, read "description, menu name".
class QuickBox::ListAnswers final : public AccessibleAnswers {
public:
    explicit ListAnswers(const QuickBox& box) : box_(box) {}
    std::optional<std::wstring> Name(LONG child) const override
    {
        if (child == CHILDID_SELF) return box_.RowCount() ? std::optional<std::wstring>(L"Matches") : std::nullopt;
        if (child < 1 || child > box_.RowCount()) return std::nullopt;
        const Row row = box_.RowAt(child - 1);
        if (row.menu < 0) {
            const QuickCatalog* catalog = box_.Catalog();
            if (!catalog) return std::nullopt;
            const auto result = static_cast<size_t>(row.result);
            return Wide(std::string(catalog->Name(result)) + ", " +
                        ResultPlace(catalog->Menu(result), catalog->Path(result)));
        }
        const TOneItem* item = QuickEntry(row.menu, row.item);
        if (!item) return std::nullopt;
        return Wide(DescriptionWithoutMnemonic(item->Description) + ", " +
                    MenuList[static_cast<size_t>(row.menu)]->MenuName);
    }
    std::optional<LONG> ChildCount() const override { return box_.RowCount(); }
    std::optional<LONG> Role(LONG child) const override
    {
        return child == CHILDID_SELF ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM;
    }
    std::optional<LONG> State(LONG child) const override
    {
        if (child == CHILDID_SELF) return std::nullopt;
        const int row = static_cast<int>(child) - 1;
        LONG state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
        if (row == box_.selected_) state |= STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED;
        if (row < box_.top_ || row >= box_.top_ + box_.RowsInView()) state |= STATE_SYSTEM_OFFSCREEN;
        return state;
    }
    std::optional<LONG> Focus() const override { return box_.selected_ + 1; }
    // Rows scrolled out of view have no place on the screen.
    std::optional<RECT> Location(LONG child) const override
    {
        const int inView = static_cast<int>(child) - 1 - box_.top_;
        if (inView < 0 || inView >= box_.RowsInView()) return std::nullopt;
        HWND list = box_.Control(QuickControl::ListQuick);
        RECT place{};
        GetClientRect(list, &place);
        place.top = inView * box_.RowHeight();
        place.bottom = place.top + box_.RowHeight();
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&place), 2);
        return place;
    }

private:
    const QuickBox& box_;
};

std::shared_ptr<const AccessibleAnswers> QuickBox::MakeListAnswers() const
{
    return std::make_shared<const ListAnswers>(*this);
}

void QuickBox::AnnounceSelected() const
{
    HWND list = Control(QuickControl::ListQuick);
    if (selected_ < 0 || !IsWindowVisible(list)) return;
    NotifyWinEvent(EVENT_OBJECT_FOCUS, list, OBJID_CLIENT, selected_ + 1);
    NotifyWinEvent(EVENT_OBJECT_SELECTION, list, OBJID_CLIENT, selected_ + 1);
}
