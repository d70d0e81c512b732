// The one table of the program's resource ids: dialogs (IDD_), their
// controls (IDC_), the string table (IDS_) and the message boxes (IDP_). The
// templates, the pages, the unattended answers, the logs and the tests all
// name a window or a question by these.
#pragma once

#include <string_view>

namespace cdsetup::resources {

// Dialogs.
inline constexpr int IDD_MAIN = 102;
inline constexpr int IDD_TARGET_DIR = 134;
inline constexpr int IDD_COPY_PROGRESS = 135;
inline constexpr int IDD_LICENCE = 165;
inline constexpr int IDD_LANGUAGE = 179;
inline constexpr int IDD_INSTALL_TYPE = 182;

// Controls. IDOK (1) and IDCANCEL (2) are the pages' push buttons.
inline constexpr int IDC_PROGRESS = 1001;
inline constexpr int IDC_DRIVES = 1007;
inline constexpr int IDC_PATH = 1009;
inline constexpr int IDC_DIRECTORIES = 1010;
inline constexpr int IDC_DIRECTORY_LABEL = 1011;
inline constexpr int IDC_CURRENT_FILE = 1012;
inline constexpr int IDC_AGREEMENT = 1013;
inline constexpr int IDC_LANGUAGE = 1017;
inline constexpr int IDC_TYPE_MIN = 1022;
inline constexpr int IDC_TYPE_STD = 1023;
inline constexpr int IDC_TYPE_MAX = 1024;
inline constexpr int IDC_TYPE_GROUP = 1025;
inline constexpr int IDC_DRIVE_LABEL = 1026;

// Icons and pictures: the program's own icon, the lists' focus pattern and
// row icons.
inline constexpr int IDI_APP = 128;
inline constexpr int IDB_FOCUS_PATTERN = 141;
inline constexpr int IDI_CDROM = 155;
inline constexpr int IDI_FLOPPY = 156;
inline constexpr int IDI_COMPRESSED = 157;
inline constexpr int IDI_CLOSED_FOLDER = 158;
inline constexpr int IDI_FOLDER_WITH_PAPER = 159;
inline constexpr int IDI_OPEN_FOLDER = 160;
inline constexpr int IDI_RAM_DISK = 161;
inline constexpr int IDI_NETWORK = 162;
inline constexpr int IDI_UNKNOWN_DRIVE = 163;
inline constexpr int IDI_FIXED_DISK = 164;

// The main dialog's picture fills its client area, 350 x 250 at 96 dpi; the
// file it comes from is read whole, and a picture needs far less than this.
inline constexpr int kBackgroundWidth = 350;
inline constexpr int kBackgroundHeight = 250;
inline constexpr unsigned long long kMaxBackgroundFile = 64ull * 1024 * 1024;

// The string table. "%s" is the path of a directory that cannot be read.
inline constexpr int IDS_CANNOT_READ_DIRECTORY = 146;

// Message boxes: what each question is, whatever its text and caption.
inline constexpr int IDP_UNNAMED = 0;
inline constexpr int IDP_VALIDATION = 1;            // a field's data-exchange check
inline constexpr int IDP_DIRECTORY_UNREADABLE = 2;  // the folder list: retry or cancel
inline constexpr int IDP_PATH_TOO_LONG = 3;         // the target is longer than a buffer holds
inline constexpr int IDP_CREATE_DIRECTORY = 4;      // the target is missing: create it?
inline constexpr int IDP_CANNOT_CREATE_DIRECTORY = 5;
inline constexpr int IDP_REGISTRY_BUSY = 6;     // Wine owns the prefix's registry now
inline constexpr int IDP_COPY_FAILED = 7;       // the copy page's error text
inline constexpr int IDP_SHORTCUTS_FAILED = 8;  // the Start-menu links or the records
inline constexpr int IDP_SETUP_COMPLETE = 9;    // the closing message
inline constexpr int IDP_RUN_EXTRA_PROGRAM = 10;
inline constexpr int IDP_INSTALL_DIRECTX = 11;
inline constexpr int IDP_NOT_ENOUGH_SPACE = 12;
inline constexpr int IDP_STARTUP_FAILED =
    13;  // the run cannot begin: why  // the target drive looks too full: go on?

/// A short stable name of a message box id for logs ("create-directory");
/// "message" for an id the table does not know.
std::string_view MessageName(int id);

}  // namespace cdsetup::resources
