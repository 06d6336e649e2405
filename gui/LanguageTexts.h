// The texts the language commands rewrite: menu captions, board headings and
// widths, toolbar labels and tooltips. Plain tables, so tests read them without a display.
#pragma once

#include <vector>
#include <wx/string.h>

// Command ids of the main menu and the toolbar.
enum CommandId : int {
    ID_CHECKOUT = 32772,
    ID_ADD_ROOM = 32777,
    ID_DELETE_ROOM = 32778,
    ID_REGISTER = 32787,
    ID_CALCULATOR = 32790,
    ID_LARGE_ICONS = 32795,
    ID_CLEAN_ROOM = 32796,
    ID_CHANGE_ROOM = 32798,
    ID_RESERVE = 32820,
    ID_VIEW_RECORDS = 32822,
    ID_CANCEL_RESERVE = 32826,
    ID_SETUP_PASSWORD = 32830,
    ID_CASHBOOK = 32843,
    ID_REWARD = 32856,
    ID_REPAIR = 32861,
    ID_MODIFY_ROOM = 32864,
    ID_EXPORT_IMPORT = 32866,
    ID_LANGUAGE_CHINESE = 32878,
    ID_LANGUAGE_ENGLISH = 32879,
    ID_EXTRA_LARGE_ICONS = 32885,
    ID_COMMENT = 32891,
    ID_VIEW_PROPERTIES = 32905,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_SMALL_ICONS = 59408,
};

// A text in both languages; a language other than 2 reads the Chinese one.
struct LocalText
{
    const char* chinese;
    const char* english;
    wxString For(int language) const;
};

struct MenuItemText
{
    int menu;     // top-level position of the drop-down
    int id;       // command id, or -1 for a nested drop-down
    int position; // position of a nested drop-down within its menu
    LocalText text;
};

struct ColumnText
{
    LocalText text;
    int chineseWidth;
    int englishWidth;
    int WidthFor(int language) const { return language == 2 ? englishWidth : chineseWidth; }
};

struct ToolText
{
    int id;
    LocalText label;
    LocalText tooltip;
};

const std::vector<LocalText>& TopMenuTexts();
const std::vector<MenuItemText>& MenuItemTexts();
const std::vector<ColumnText>& BoardColumnTexts();
// The board's right-click menu, in its order.
struct ContextMenuText
{
    int id;
    LocalText text;
};
const std::vector<ContextMenuText>& ContextMenuTexts();

// The nine toolbar positions; id 0 marks the separator.
const std::vector<ToolText>& ToolbarTexts();
// The tooltip of a button, by language: only 1 and 2 have one.
wxString ToolTipFor(int id, int language);
