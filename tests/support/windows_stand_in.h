// Stands in for <windows.h> on a system without it: the constants and
// function-like macros the framework's names share with it, defined as
// <windows.h> defines them (as macros, with its values and spellings). A
// translation unit that includes this first sees our headers as a Windows one
// that included <windows.h> first does. The A/W function macros come from
// the generated windows_aw_names.inc.
#pragma once

#include <cstdint>

// Tells framework/win_types.h that the names are already defined.
#define CDSETUP_WINDOWS_NAMES 1

typedef unsigned long DWORD;
typedef DWORD COLORREF;

#define RGB(r, g, b)                                                               \
  ((COLORREF)(((unsigned char)(r) | ((unsigned short)((unsigned char)(g)) << 8)) | \
              (((DWORD)(unsigned char)(b)) << 16)))
#define LOWORD(l) ((unsigned short)(((std::uintptr_t)(l)) & 0xffff))
#define HIWORD(l) ((unsigned short)((((std::uintptr_t)(l)) >> 16) & 0xffff))
#define MAKEWPARAM(l, h) ((std::uintptr_t)(DWORD)((((DWORD)(l)) & 0xffff) | (((DWORD)(h)) << 16)))

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_TYPEMASK 0x0000000FL
#define MB_ICONSTOP 0x00000010L
#define MB_ICONERROR 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONINFORMATION 0x00000040L
#define MB_ICONMASK 0x000000F0L
#define MB_DEFBUTTON1 0x00000000L
#define MB_DEFBUTTON2 0x00000100L
#define MB_DEFMASK 0x00000F00L
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_KEYDOWN 0x0100
#define WM_COMMAND 0x0111
#define WM_TIMER 0x0113
#define WM_USER 0x0400
#define BN_CLICKED 0
#define LBN_SELCHANGE 1
#define LBN_DBLCLK 2
#define CBN_SELCHANGE 1
#define CBN_DROPDOWN 7
#define CBN_CLOSEUP 8
#define CBN_SELENDOK 9
#define CBN_SELENDCANCEL 10
#define EN_CHANGE 0x0300
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define DLGC_WANTARROWS 0x0001
#define DLGC_WANTTAB 0x0002
#define DLGC_WANTALLKEYS 0x0004
#define DLGC_WANTCHARS 0x0080
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_RESTORE 9
#define ODA_DRAWENTIRE 0x0001
#define ODA_SELECT 0x0002
#define ODA_FOCUS 0x0004
#define ODS_SELECTED 0x0001
#define ODS_DISABLED 0x0004
#define ODS_FOCUS 0x0010
#define ODS_COMBOBOXEDIT 0x1000
#define COLOR_WINDOW 5
#define COLOR_WINDOWTEXT 8
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define LB_ERR (-1)
#define CB_ERR (-1)
#define ODT_LISTBOX 2
#define ODT_COMBOBOX 3
#define TRANSPARENT 1
#define OPAQUE 2
#define TA_LEFT 0
#define TA_TOP 0

// Names the framework must not take for its own: window styles (their values
// overlap between classes) and the plain words <windows.h> claims.
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_DISABLED 0x08000000L
#define WS_BORDER 0x00800000L
#define WS_VSCROLL 0x00200000L
#define WS_HSCROLL 0x00100000L
#define WS_CAPTION 0x00C00000L
#define WS_SYSMENU 0x00080000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L
#define WS_VISIBLE 0x10000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_EX_APPWINDOW 0x00040000L
#define ES_MULTILINE 0x0004L
#define ES_READONLY 0x0800L
#define ES_AUTOHSCROLL 0x0080L
#define ES_AUTOVSCROLL 0x0040L
#define ES_WANTRETURN 0x1000L
#define CBS_DROPDOWN 0x0002L
#define CBS_DROPDOWNLIST 0x0003L
#define CBS_SORT 0x0100L
#define LBS_SORT 0x0002L
#define LBS_NOTIFY 0x0001L
#define LBS_OWNERDRAWFIXED 0x0010L
#define LBS_HASSTRINGS 0x0040L
#define LBS_NOINTEGRALHEIGHT 0x0100L
#define LBS_DISABLENOSCROLL 0x1000L
#define SS_CENTER 0x00000001L
#define SS_RIGHT 0x00000002L
#define SS_ICON 0x00000003L
#define SS_BLACKRECT 0x00000004L
#define BS_GROUPBOX 0x00000007L
#define BS_AUTORADIOBUTTON 0x00000009L
#define DS_MODALFRAME 0x80L
#define ERROR 0
#define DELETE (0x00010000L)
#define TRUE 1
#define FALSE 0
#define CONST const
#define IN
#define OUT
#define OPTIONAL
#define near
#define far
#define small char
#define interface struct
