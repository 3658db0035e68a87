#include "platform/linux/atspi/AtspiRoles.h"

#include <atspi/atspi-constants.h>

#include <array>
#include <cctype>

namespace nimbo::atspi {

AXRoleName axRole(uint32_t atspiRole, States states) {
    switch (atspiRole) {
        case ATSPI_ROLE_PUSH_BUTTON:
        case ATSPI_ROLE_PUSH_BUTTON_MENU:
            return {"AXButton", {}};
        case ATSPI_ROLE_TOGGLE_BUTTON:
            return {"AXCheckBox", "AXToggle"};
        case ATSPI_ROLE_CHECK_BOX:
            return {"AXCheckBox", {}};
        case ATSPI_ROLE_RADIO_BUTTON:
            return {"AXRadioButton", {}};
        case ATSPI_ROLE_ENTRY:
            return {"AXTextField", {}};
        case ATSPI_ROLE_PASSWORD_TEXT:
            return {"AXTextField", "AXSecureTextField"};
        case ATSPI_ROLE_TEXT:
            // A one-line text is a field; a text of unknown kind is taken as the bigger one.
            if (states.has(ATSPI_STATE_SINGLE_LINE)) return {"AXTextField", {}};
            return {"AXTextArea", {}};
        case ATSPI_ROLE_LABEL:
        case ATSPI_ROLE_STATIC:
        case ATSPI_ROLE_CAPTION:
            return {"AXStaticText", {}};
        case ATSPI_ROLE_LINK:
            return {"AXLink", {}};
        case ATSPI_ROLE_COMBO_BOX:
            // Only a combo box one can type into is a combo box; a plain choice pops up.
            if (states.has(ATSPI_STATE_EDITABLE)) return {"AXComboBox", {}};
            return {"AXPopUpButton", {}};
        case ATSPI_ROLE_MENU_BAR:
            return {"AXMenuBar", {}};
        case ATSPI_ROLE_MENU:
        case ATSPI_ROLE_POPUP_MENU:
            return {"AXMenu", {}};
        case ATSPI_ROLE_MENU_ITEM:
        case ATSPI_ROLE_CHECK_MENU_ITEM:
        case ATSPI_ROLE_RADIO_MENU_ITEM:
        case ATSPI_ROLE_TEAROFF_MENU_ITEM:
            return {"AXMenuItem", {}};
        case ATSPI_ROLE_LIST:
        case ATSPI_ROLE_LIST_BOX:
            return {"AXList", {}};
        case ATSPI_ROLE_TABLE:
            return {"AXTable", {}};
        case ATSPI_ROLE_TREE_TABLE:
        case ATSPI_ROLE_TREE:
            return {"AXOutline", {}};
        case ATSPI_ROLE_TABLE_CELL:
        case ATSPI_ROLE_TABLE_COLUMN_HEADER:
        case ATSPI_ROLE_TABLE_ROW_HEADER:
        case ATSPI_ROLE_COLUMN_HEADER:
        case ATSPI_ROLE_ROW_HEADER:
            return {"AXCell", {}};
        case ATSPI_ROLE_LIST_ITEM:
        case ATSPI_ROLE_TABLE_ROW:
            return {"AXRow", {}};
        case ATSPI_ROLE_TREE_ITEM:
            return {"AXRow", "AXOutlineRow"};
        case ATSPI_ROLE_SCROLL_PANE:
            return {"AXScrollArea", {}};
        case ATSPI_ROLE_SCROLL_BAR:
            return {"AXScrollBar", {}};
        case ATSPI_ROLE_DOCUMENT_WEB:
            return {"AXWebArea", {}};
        case ATSPI_ROLE_FRAME:
        case ATSPI_ROLE_WINDOW:
            return {"AXWindow", "AXStandardWindow"};
        case ATSPI_ROLE_DIALOG:
        case ATSPI_ROLE_ALERT:
        case ATSPI_ROLE_FILE_CHOOSER:
            return {"AXWindow", "AXDialog"};
        case ATSPI_ROLE_PANEL:
        case ATSPI_ROLE_FILLER:
        case ATSPI_ROLE_SECTION:
        case ATSPI_ROLE_GROUPING:
        case ATSPI_ROLE_FORM:
        case ATSPI_ROLE_VIEWPORT:
        case ATSPI_ROLE_PARAGRAPH:
        case ATSPI_ROLE_LANDMARK:
        case ATSPI_ROLE_ARTICLE:
            return {"AXGroup", {}};
        case ATSPI_ROLE_SPLIT_PANE:
            return {"AXSplitGroup", {}};
        case ATSPI_ROLE_SLIDER:
            return {"AXSlider", {}};
        case ATSPI_ROLE_SPIN_BUTTON:
            return {"AXIncrementor", {}};
        case ATSPI_ROLE_PROGRESS_BAR:
        case ATSPI_ROLE_LEVEL_BAR:
            return {"AXProgressIndicator", {}};
        case ATSPI_ROLE_HEADING:
            return {"AXHeading", {}};
        case ATSPI_ROLE_IMAGE:
        case ATSPI_ROLE_ICON:
            return {"AXImage", {}};
        case ATSPI_ROLE_PAGE_TAB:
            return {"AXTab", {}};
        case ATSPI_ROLE_PAGE_TAB_LIST:
            return {"AXTabGroup", {}};
        case ATSPI_ROLE_TOOL_BAR:
            return {"AXToolbar", {}};
        case ATSPI_ROLE_APPLICATION:
            return {"AXApplication", {}};
        default:
            return {"AXUnknown", {}};
    }
}

bool holdsText(uint32_t atspiRole) {
    return atspiRole == ATSPI_ROLE_ENTRY || atspiRole == ATSPI_ROLE_TEXT || atspiRole == ATSPI_ROLE_COMBO_BOX;
}

bool holdsPageText(uint32_t atspiRole) {
    switch (atspiRole) {
        case ATSPI_ROLE_DOCUMENT_WEB:
        case ATSPI_ROLE_PARAGRAPH:
        case ATSPI_ROLE_HEADING:
        case ATSPI_ROLE_LINK:
        case ATSPI_ROLE_SECTION:
        case ATSPI_ROLE_LIST_ITEM:
        case ATSPI_ROLE_TABLE_CELL:
        case ATSPI_ROLE_TABLE_COLUMN_HEADER:
        case ATSPI_ROLE_TABLE_ROW_HEADER:
        case ATSPI_ROLE_COLUMN_HEADER:
        case ATSPI_ROLE_ROW_HEADER:
        case ATSPI_ROLE_BLOCK_QUOTE:
        case ATSPI_ROLE_ARTICLE:
        case ATSPI_ROLE_DESCRIPTION_TERM:
        case ATSPI_ROLE_DESCRIPTION_VALUE:
            return true;
        default:
            return false;
    }
}

bool holdsNumber(uint32_t atspiRole) {
    return atspiRole == ATSPI_ROLE_SLIDER || atspiRole == ATSPI_ROLE_SPIN_BUTTON ||
           atspiRole == ATSPI_ROLE_PROGRESS_BAR || atspiRole == ATSPI_ROLE_LEVEL_BAR ||
           atspiRole == ATSPI_ROLE_SCROLL_BAR;
}

bool holdsCheck(uint32_t atspiRole) {
    return atspiRole == ATSPI_ROLE_CHECK_BOX || atspiRole == ATSPI_ROLE_TOGGLE_BUTTON ||
           atspiRole == ATSPI_ROLE_RADIO_BUTTON || atspiRole == ATSPI_ROLE_CHECK_MENU_ITEM ||
           atspiRole == ATSPI_ROLE_RADIO_MENU_ITEM;
}

bool isLink(uint32_t atspiRole) {
    return atspiRole == ATSPI_ROLE_LINK;
}

bool isDocument(uint32_t atspiRole) {
    return atspiRole == ATSPI_ROLE_DOCUMENT_WEB || atspiRole == ATSPI_ROLE_DOCUMENT_FRAME;
}

bool isStateless(uint32_t atspiRole) {
    switch (atspiRole) {
        case ATSPI_ROLE_PANEL:
        case ATSPI_ROLE_FILLER:
        case ATSPI_ROLE_LABEL:
        case ATSPI_ROLE_STATIC:
        case ATSPI_ROLE_PUSH_BUTTON:
        case ATSPI_ROLE_IMAGE:
        case ATSPI_ROLE_ICON:
        case ATSPI_ROLE_SEPARATOR:
        case ATSPI_ROLE_SCROLL_PANE:
        case ATSPI_ROLE_SCROLL_BAR:
        case ATSPI_ROLE_VIEWPORT:
        case ATSPI_ROLE_SECTION:
        case ATSPI_ROLE_PARAGRAPH:
        case ATSPI_ROLE_HEADING:
        case ATSPI_ROLE_LINK:
        case ATSPI_ROLE_TOOL_BAR:
        case ATSPI_ROLE_MENU_BAR:
            return true;
        default:
            return false;
    }
}

bool isListLike(uint32_t atspiRole) {
    return atspiRole == ATSPI_ROLE_LIST || atspiRole == ATSPI_ROLE_LIST_BOX || atspiRole == ATSPI_ROLE_TABLE ||
           atspiRole == ATSPI_ROLE_TREE_TABLE || atspiRole == ATSPI_ROLE_TREE;
}

std::optional<size_t> pressActionAmong(const std::vector<std::string>& names) {
    // GTK says "click" and "activate", Qt "Press" and "Toggle", browsers
    // "jump" for links and "check"/"uncheck" for check boxes; the likeliest first.
    static constexpr std::array<const char*, 8> kPressing{"click", "press", "activate", "toggle",
                                                          "jump",  "check", "uncheck",  "open"};
    auto lower = [](std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    for (const char* wanted : kPressing) {
        for (size_t i = 0; i < names.size(); ++i) {
            if (lower(names[i]) == wanted) return i;
        }
    }
    if (names.size() == 1) return 0;
    return std::nullopt;
}

}  // namespace nimbo::atspi
