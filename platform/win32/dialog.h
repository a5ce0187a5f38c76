// Modal dialogs, drawn with Dear ImGui in an SDL window of their own (the
// program's dialogs run before the render device exists).  A dialog resource
// is a description of its controls by id, registered by the program before
// the dialog is shown.  The dialog procedure receives WM_INITDIALOG and
// WM_COMMAND (LOWORD control id, HIWORD notification) as it would from the
// system's dialog manager; the control functions below keep the controls'
// state (texts, lists, selections, checks, enabled flags) and the drawing
// shows it.  Main thread only.
//
// Scripted answers: a queue of dialog actions (click a control, choose a list
// entry, press a key) is replayed as injected SDL mouse and key events at the
// places the controls were drawn, one step a frame.  Tests and the program's
// "--dialogs FILE" run option use it.  A dialog that no one can answer (no
// display, nothing queued, no frame hook) is not shown: DialogBoxParamA then
// answers -1, as for a resource that cannot be shown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/win_types.h"

// ---- Messages, notifications, results -----------------------------------------
inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_COMMAND = 0x0111;

inline constexpr WORD BN_CLICKED = 0;
inline constexpr WORD CBN_SELCHANGE = 1;
inline constexpr WORD LBN_SELCHANGE = 1;
inline constexpr WORD LBN_DBLCLK = 2;

inline constexpr UINT BM_GETCHECK = 0x00F0;
inline constexpr UINT BM_SETCHECK = 0x00F1;
inline constexpr UINT BST_UNCHECKED = 0;
inline constexpr UINT BST_CHECKED = 1;

inline constexpr UINT CB_ADDSTRING = 0x0143;
inline constexpr UINT CB_GETCOUNT = 0x0146;
inline constexpr UINT CB_GETCURSEL = 0x0147;
inline constexpr UINT CB_GETLBTEXT = 0x0148;
inline constexpr UINT CB_GETLBTEXTLEN = 0x0149;
inline constexpr UINT CB_RESETCONTENT = 0x014B;
inline constexpr UINT CB_SETCURSEL = 0x014E;
inline constexpr UINT CB_GETITEMDATA = 0x0150;
inline constexpr UINT CB_SETITEMDATA = 0x0151;

inline constexpr UINT LB_ADDSTRING = 0x0180;
inline constexpr UINT LB_RESETCONTENT = 0x0184;
inline constexpr UINT LB_SETCURSEL = 0x0186;
inline constexpr UINT LB_GETCURSEL = 0x0188;
inline constexpr UINT LB_GETTEXT = 0x0189;
inline constexpr UINT LB_GETTEXTLEN = 0x018A;
inline constexpr UINT LB_GETCOUNT = 0x018B;
inline constexpr UINT LB_GETITEMDATA = 0x0199;
inline constexpr UINT LB_SETITEMDATA = 0x019A;

inline constexpr LRESULT CB_ERR = -1;
inline constexpr LRESULT LB_ERR = -1;

inline constexpr UINT STM_SETIMAGE = 0x0172;
inline constexpr UINT STM_GETIMAGE = 0x0173;
inline constexpr WPARAM IMAGE_BITMAP = 0;

using DLGPROC = INT_PTR (*)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// A resource named by number, as MAKEINTRESOURCEA makes it.
inline LPCSTR MAKEINTRESOURCEA(int id) {
  return reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(id)));
}

// ---- Dialog resources -----------------------------------------------------------
enum class DialogControlKind {
  Button,         // push button: BN_CLICKED
  DefaultButton,  // push button also pressed by Enter
  CheckBox,       // automatic check box: toggles, then BN_CLICKED
  ComboBox,       // drop-down list: CBN_SELCHANGE
  ListBox,        // list: LBN_SELCHANGE, LBN_DBLCLK
  Label,          // static text
  Picture,        // static picture (STM_SETIMAGE)
};

// One control: id, kind, initial text, place and size in pixels of the
// dialog's client area.
struct DialogControlDesc {
  int id;
  DialogControlKind kind;
  const char* text;
  int x, y, width, height;
};

struct DialogResource {
  const char* title;
  int width, height;
  std::vector<DialogControlDesc> controls;
};

// Registers (or replaces) dialog resource `id`.
void RegisterDialogResource(int id, const DialogResource& resource);
// Registers (or replaces) bitmap resource `id`: width x height pixels,
// 0xAARRGGBB, rows top first (copied).
void RegisterBitmapResource(int id, int width, int height, const std::uint32_t* pixels);

// ---- The dialog functions ---------------------------------------------------------
// Shows dialog resource `templateName` (MAKEINTRESOURCEA) modally and answers
// the value given to EndDialog; -1 when the resource is unknown, no window
// can be made or no one can answer the dialog.
INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC procedure, LPARAM param);
BOOL EndDialog(HWND dialog, INT_PTR result);
// A control of a dialog (null when the dialog has no such id).
HWND GetDlgItem(HWND dialog, int id);
BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size);
// The list, check and picture messages above; 0 (or CB_ERR/LB_ERR for the
// list messages) for an unknown control or message.
LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
// Enabling of dialog controls (the previous state: TRUE when it was disabled).
BOOL EnableWindow(HWND control, BOOL enable);
BOOL IsWindowEnabled(HWND control);
// A registered bitmap resource (MAKEINTRESOURCEA), null when there is none.
HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR name);

// For SetWindowTextA: sets a dialog's title; false for a handle that is not a dialog.
bool Win32SetDialogTitle(HWND dialog, LPCSTR text);
// A dialog's title ("" for a handle that is not a dialog).
std::string Win32DialogTitle(HWND dialog);
// The dialog resource id of an open dialog (0 when the handle is not one).
int Win32DialogResourceId(HWND dialog);

// ---- Scripted answers and test hooks ---------------------------------------------
struct DialogAction {
  enum Kind { Click, Choose, Key } kind;
  int dialog;   // resource id of the dialog that must be on top (0: any)
  int control;  // Click, Choose: the control id
  int item;     // Choose: the list entry
  std::string key;  // Key: an SDL key name ("Return", "Escape")
};

// Appends actions to the queue; each waits until its dialog is on top.
void QueueDialogActions(const std::vector<DialogAction>& actions);
void ClearDialogActions();
std::size_t PendingDialogActions();
// Reads a dialog script: one action a line, "<dialog> click <control>",
// "<dialog> choose <control> <item>" or "<dialog> key <name>"; blank lines
// and lines starting with '#' are skipped.  False with a message naming the
// line for anything else.
bool ParseDialogScript(const std::string& text, std::vector<DialogAction>* actions, std::string* error);
bool LoadDialogScript(const char* path, std::string* error);

// Called once a frame for the dialog on top, after the frame was drawn
// (frame counts from 0 for each dialog).  Tests read state and queue actions
// from it.  A hook makes a dialog answerable without a display.
using DialogFrameHook = void (*)(HWND dialog, int frame, void* context);
void SetDialogFrameHook(DialogFrameHook hook, void* context);

// True when a dialog shown now could be answered: a display, queued actions or a frame hook.
bool DialogsCanBeAnswered();
// Where control `id` (item < 0) or its list entry `item` was drawn in the last
// frame, in client pixels; false when it was not drawn (a combo box's entries
// are drawn only while it is open).
bool DialogControlRect(HWND dialog, int id, int item, RECT* rect);
// A frame of an unanswered dialog ends after this many frames without a
// display (default 600): the dialog then ends with -1.
void SetDialogFrameLimit(int frames);
