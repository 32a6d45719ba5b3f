// Dialog templates as data: the dialog's caption, font, size and style, and
// its controls in tab order, all in dialog units.
#pragma once

#include "DialogUnits.h"

#include <vector>

enum class CtlKind {
    Static,         // text label
    GroupBox,
    PushButton,
    DefPushButton,  // the dialog's default button
    AutoCheckBox,
    AutoRadio,      // self-checking radio; the radios of one group go together
    Edit,
    DropDownList,   // combo box without an edit field
    ProgressBar,
    TabControl,     // used as a plain host for child pages, no tab items
    StaticIcon,     // shows icon iconId
    Custom,         // a window class by name, className, made by the program's factory
};

// Control style bits.
namespace ctlstyle {
inline constexpr unsigned Disabled = 1u << 0;
inline constexpr unsigned ReadOnly = 1u << 1;    // edit
inline constexpr unsigned RightAlign = 1u << 2;  // edit
inline constexpr unsigned UpperCase = 1u << 3;   // edit: typed letters become capitals
inline constexpr unsigned Number = 1u << 4;      // edit: only digits can be typed
inline constexpr unsigned Multiline = 1u << 5;   // edit
inline constexpr unsigned VScroll = 1u << 6;
inline constexpr unsigned Border = 1u << 7;
inline constexpr unsigned ClientEdge = 1u << 8;
inline constexpr unsigned Group = 1u << 9;       // starts a group, which ends before the next such control
inline constexpr unsigned Buttons = 1u << 10;    // tab control drawn as buttons
inline constexpr unsigned Hidden = 1u << 11;
}  // namespace ctlstyle

// Dialog style bits.
namespace dlgstyle {
inline constexpr unsigned Popup = 1u << 0;
inline constexpr unsigned Child = 1u << 1;
inline constexpr unsigned Visible = 1u << 2;
inline constexpr unsigned Caption = 1u << 3;
inline constexpr unsigned SysMenu = 1u << 4;
inline constexpr unsigned ThickFrame = 1u << 5;  // resizable
inline constexpr unsigned MinimizeBox = 1u << 6;
inline constexpr unsigned MaximizeBox = 1u << 7;
inline constexpr unsigned AppWindow = 1u << 8;
}  // namespace dlgstyle

struct ControlTemplate {
    int id = -1;
    CtlKind kind = CtlKind::Static;
    const char* text = "";  // UTF-8
    DlgRect rect;
    unsigned style = 0;
    int iconId = 0;                 // StaticIcon
    const char* className = "";     // Custom
};

struct DialogTemplate {
    int id = 0;
    const char* caption = "";
    const char* fontFace = "Times New Roman";
    int pointSize = 10;
    DlgRect rect;
    unsigned style = 0;
    std::vector<ControlTemplate> controls;  // in tab order
};

// Ids of the buttons that end a dialog, and the results they end it with.
inline constexpr int kDlgIdOk = 1;
inline constexpr int kDlgIdCancel = 2;
