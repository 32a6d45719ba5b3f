// Templates of the about box and the main dialog, and the template lookup.
#include "Templates.h"

#include "PageTemplates.h"
#include "ResourceIds.h"

using namespace ctlstyle;

static_assert(IDOK == kDlgIdOk && IDCANCEL == kDlgIdCancel, "the ok and cancel buttons end their dialogs");

namespace {

const DialogTemplate& AboutBoxTemplate() {
    static const DialogTemplate t{
        IDD_ABOUTBOX,
        "About Quillmar",
        "Times New Roman",
        10,
        {0, 0, 212, 66},
        dlgstyle::Popup | dlgstyle::Caption | dlgstyle::SysMenu,
        {
            {IDC_STATIC, CtlKind::StaticIcon, "", {14, 14, 20, 20}, 0, IDR_MAINFRAME},
            {IDC_ABOUT_VERSION, CtlKind::Static, "Quillmar Version_1.9.13.56", {42, 14, 155, 9}},
            {IDC_STATIC, CtlKind::Static, "Copyright (C) The Quillmar developers", {42, 27, 155, 8}},
            {IDOK, CtlKind::DefPushButton, "OK", {81, 43, 50, 14}, Group},
        },
    };
    return t;
}

const DialogTemplate& MainDialogTemplate() {
    static const DialogTemplate t{
        IDD_TESSADANE_DIALOG,
        "Quillmar_V1.9.13.56",
        "Times New Roman",
        10,
        {0, 0, 426, 318},
        dlgstyle::Popup | dlgstyle::Visible | dlgstyle::Caption | dlgstyle::SysMenu | dlgstyle::ThickFrame |
            dlgstyle::MinimizeBox | dlgstyle::MaximizeBox | dlgstyle::AppWindow,
        {
            {IDC_HEX_VIEW, CtlKind::Edit, "", {124, 130, 300, 176}, Multiline | VScroll | Border},
            {IDC_STATIC, CtlKind::Static, "Chip Type:", {9, 8, 35, 8}},
            {IDC_CHIP_TYPE, CtlKind::DropDownList, "", {45, 6, 68, 39}, VScroll},
            {IDC_STATIC, CtlKind::GroupBox, "", {2, 132, 118, 68}},
            {IDC_CONNECT, CtlKind::PushButton, "Connect", {9, 139, 65, 18}},
            {IDC_CONNECT_ICON, CtlKind::StaticIcon, "", {88, 139, 20, 20}, 0, IDI_DISCONNECTED},
            {IDC_STATIC, CtlKind::GroupBox, "", {2, 18, 118, 75}},
            {IDC_OPEN_FILE, CtlKind::PushButton, "Open File", {9, 26, 104, 18}},
            {IDC_STATIC, CtlKind::Static, "Code length(Dec):", {11, 50, 60, 8}},
            {IDC_STATIC, CtlKind::Static, "Check Sum(Hex):", {11, 64, 60, 8}},
            {IDC_STATIC, CtlKind::Static, "Version:", {11, 79, 26, 8}},
            {IDC_CODE_LENGTH, CtlKind::Edit, "", {81, 48, 32, 12}, Disabled | RightAlign | Border},
            {IDC_CHECKSUM, CtlKind::Edit, "", {81, 63, 32, 12}, Disabled | RightAlign | Border},
            {IDC_VERSION, CtlKind::Edit, "", {46, 78, 67, 12}, Number | UpperCase | RightAlign | Border},
            {IDC_STATIC, CtlKind::GroupBox, "", {2, 92, 118, 42}},
            {IDC_RADIO_24C01, CtlKind::AutoRadio, "24c01/2/4/8/16", {9, 101, 55, 10}, Group},
            {IDC_RADIO_24C32, CtlKind::AutoRadio, "24c32/64", {71, 101, 40, 10}},
            {IDC_RADIO_FLASH, CtlKind::AutoRadio, "Flash", {9, 117, 31, 10}},
            {IDC_DOWNLOAD, CtlKind::PushButton, "Download", {9, 204, 104, 28}},
            {IDC_READ, CtlKind::PushButton, "Read", {9, 251, 104, 18}},
            {IDC_SAVE_TO_BIN, CtlKind::PushButton, "Save To BIN", {9, 288, 104, 18}},
            {IDC_OPTION_TAB, CtlKind::TabControl, "", {125, 2, 300, 126}, Buttons},
            {IDC_PROGRESS, CtlKind::ProgressBar, "", {2, 309, 410, 7}, Border | ClientEdge},
            {IDC_READ_LENGTH, CtlKind::Edit, "", {86, 273, 27, 12}, Disabled | UpperCase | RightAlign | Border},
            {IDC_AUTO_DOWNLOAD, CtlKind::AutoCheckBox, "AUTO DownLoad", {9, 235, 88, 10}},
            {IDC_MODIFY_LENGTH, CtlKind::AutoCheckBox, "Modify  Length(H):", {9, 273, 71, 10}},
            {IDC_DEVICE, CtlKind::DropDownList, "", {43, 166, 70, 30}, VScroll},
            {IDC_STATIC, CtlKind::Static, "Device:", {11, 168, 26, 8}},
            {IDC_STATIC, CtlKind::Static, "Version:", {11, 186, 26, 8}},
            {IDC_DEVICE_VERSION, CtlKind::Edit, "", {43, 185, 70, 12},
             Disabled | ReadOnly | Number | UpperCase | Border},
        },
    };
    return t;
}

}  // namespace

const DialogTemplate* FindTemplateResource(int id) {
    switch (id) {
    case IDD_ABOUTBOX: return &AboutBoxTemplate();
    case IDD_TESSADANE_DIALOG: return &MainDialogTemplate();
    case IDD_PAGE_VQ7140S: return &PageTemplate136();
    case IDD_PAGE_VQ7140XX: return &PageTemplate137();
    case IDD_PAGE_VQ7170: return &PageTemplate138();
    case IDD_PAGE_VQ7340: return &PageTemplate139();
    case IDD_PAGE_VQ5632: return &PageTemplate140();
    case IDD_PAGE_VQ5520: return &PageTemplate141();
    case IDD_PAGE_VQ7170S: return &PageTemplate142();
    default: return nullptr;
    }
}
