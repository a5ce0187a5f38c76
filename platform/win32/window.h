// Windows, window classes and the message loop, over SDL windows.  SDL events
// become the window messages a window procedure expects (keys, characters,
// mouse, size, focus, close).  A window's frame is modelled from its style:
// WS_THICKFRAME 4 pixels a side, else WS_BORDER 1 pixel, and a full WS_CAPTION
// adds an 18-pixel title bar, so AdjustWindowRect, SetWindowPos and
// GetClientRect agree.  Main thread only.
#pragma once

#include <vector>

#include "platform/win32/win_types.h"

// ---- Messages ------------------------------------------------------------------
inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_MOVE = 0x0003;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_ACTIVATE = 0x0006;
inline constexpr UINT WM_SETFOCUS = 0x0007;
inline constexpr UINT WM_KILLFOCUS = 0x0008;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_ERASEBKGND = 0x0014;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_SHOWWINDOW = 0x0018;
inline constexpr UINT WM_ACTIVATEAPP = 0x001C;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_CHAR = 0x0102;
inline constexpr UINT WM_DEADCHAR = 0x0103;
inline constexpr UINT WM_SYSKEYDOWN = 0x0104;
inline constexpr UINT WM_SYSKEYUP = 0x0105;
inline constexpr UINT WM_SYSCHAR = 0x0106;
inline constexpr UINT WM_SYSDEADCHAR = 0x0107;
inline constexpr UINT WM_KEYFIRST = 0x0100;
inline constexpr UINT WM_KEYLAST = 0x0108;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
inline constexpr UINT WM_RBUTTONDOWN = 0x0204;
inline constexpr UINT WM_RBUTTONUP = 0x0205;
inline constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
inline constexpr UINT WM_MBUTTONDOWN = 0x0207;
inline constexpr UINT WM_MBUTTONUP = 0x0208;
inline constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
inline constexpr UINT WM_MOUSEFIRST = 0x0200;
inline constexpr UINT WM_MOUSELAST = 0x0209;
inline constexpr UINT WM_MOUSEWHEEL = 0x020A;
inline constexpr UINT WM_USER = 0x0400;

// WM_SIZE kinds, WM_ACTIVATE states, mouse-key bits of mouse messages.
inline constexpr WPARAM SIZE_RESTORED = 0;
inline constexpr WPARAM SIZE_MINIMIZED = 1;
inline constexpr WPARAM WA_INACTIVE = 0;
inline constexpr WPARAM WA_ACTIVE = 1;
inline constexpr WPARAM MK_LBUTTON = 0x1;
inline constexpr WPARAM MK_RBUTTON = 0x2;
inline constexpr WPARAM MK_SHIFT = 0x4;
inline constexpr WPARAM MK_CONTROL = 0x8;
inline constexpr WPARAM MK_MBUTTON = 0x10;
inline constexpr int WHEEL_DELTA = 120;

// ---- Styles, show commands, positioning ------------------------------------------
inline constexpr DWORD WS_OVERLAPPED = 0x00000000;
inline constexpr DWORD WS_POPUP = 0x80000000u;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_DLGFRAME = 0x00400000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_THICKFRAME = 0x00040000;
inline constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
inline constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
inline constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;
inline constexpr DWORD WS_EX_TOPMOST = 0x00000008;
inline constexpr DWORD WS_EX_APPWINDOW = 0x00040000;

inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_EXSTYLE = -20;

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_RESTORE = 9;
inline constexpr int SW_SHOWDEFAULT = 10;

inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOREDRAW = 0x0008;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;
inline constexpr UINT SWP_FRAMECHANGED = 0x0020;
inline constexpr UINT SWP_SHOWWINDOW = 0x0040;
inline constexpr UINT SWP_HIDEWINDOW = 0x0080;
inline constexpr UINT SWP_NOOWNERZORDER = 0x0200;
#define HWND_TOP (reinterpret_cast<HWND>(static_cast<LONG_PTR>(0)))
#define HWND_BOTTOM (reinterpret_cast<HWND>(static_cast<LONG_PTR>(1)))
#define HWND_TOPMOST (reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1)))
#define HWND_NOTOPMOST (reinterpret_cast<HWND>(static_cast<LONG_PTR>(-2)))

inline constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);
inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;

// ---- Virtual keys (letters and digits are their upper-case characters) -----------
inline constexpr WPARAM VK_LBUTTON = 0x01;
inline constexpr WPARAM VK_RBUTTON = 0x02;
inline constexpr WPARAM VK_MBUTTON = 0x04;
inline constexpr WPARAM VK_BACK = 0x08;
inline constexpr WPARAM VK_TAB = 0x09;
inline constexpr WPARAM VK_RETURN = 0x0D;
inline constexpr WPARAM VK_SHIFT = 0x10;
inline constexpr WPARAM VK_CONTROL = 0x11;
inline constexpr WPARAM VK_MENU = 0x12;
inline constexpr WPARAM VK_PAUSE = 0x13;
inline constexpr WPARAM VK_CAPITAL = 0x14;
inline constexpr WPARAM VK_ESCAPE = 0x1B;
inline constexpr WPARAM VK_SPACE = 0x20;
inline constexpr WPARAM VK_PRIOR = 0x21;
inline constexpr WPARAM VK_NEXT = 0x22;
inline constexpr WPARAM VK_END = 0x23;
inline constexpr WPARAM VK_HOME = 0x24;
inline constexpr WPARAM VK_LEFT = 0x25;
inline constexpr WPARAM VK_UP = 0x26;
inline constexpr WPARAM VK_RIGHT = 0x27;
inline constexpr WPARAM VK_DOWN = 0x28;
inline constexpr WPARAM VK_SNAPSHOT = 0x2C;
inline constexpr WPARAM VK_INSERT = 0x2D;
inline constexpr WPARAM VK_DELETE = 0x2E;
inline constexpr WPARAM VK_NUMPAD0 = 0x60;
inline constexpr WPARAM VK_MULTIPLY = 0x6A;
inline constexpr WPARAM VK_ADD = 0x6B;
inline constexpr WPARAM VK_SUBTRACT = 0x6D;
inline constexpr WPARAM VK_DECIMAL = 0x6E;
inline constexpr WPARAM VK_DIVIDE = 0x6F;
inline constexpr WPARAM VK_F1 = 0x70;
inline constexpr WPARAM VK_F12 = 0x7B;

// Class styles.
inline constexpr UINT CS_DBLCLKS = 0x0008;
// Stock objects.
inline constexpr int BLACK_BRUSH = 4;

// Bit 24 of a key message's lParam: the key is an extended key (its key
// code is then 256 + the scan code of bits 16..23).
inline constexpr LPARAM kKeyExtendedBit = LPARAM{1} << 24;

// ---- Records -----------------------------------------------------------------
using WNDPROC = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
};

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

// ---- Functions ---------------------------------------------------------------
// Registers a window class by name; answers a non-zero atom, 0 when the name
// is missing or already registered.
WORD RegisterClassA(const WNDCLASSA* windowClass);
// Creates an SDL window of the registered class, outer size width x height
// (CW_USEDEFAULT: 640 x 480) and the given style, sends WM_CREATE, and shows
// it when WS_VISIBLE is set.  Null when the class is unknown or SDL fails.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
// Sends WM_DESTROY and closes the window; FALSE for an unknown handle.
BOOL DestroyWindow(HWND window);
// Shows or hides; answers whether it was visible before.  Showing a hidden
// window makes it the active one: its procedure gets WM_ACTIVATE (WA_ACTIVE)
// at once, as it would from the desktop.
BOOL ShowWindow(HWND window, int command);
BOOL UpdateWindow(HWND window);
BOOL SetWindowTextA(HWND window, LPCSTR text);
// Moves and sizes the outer window (see the frame model above).
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
// Grows a client rectangle to the outer rectangle of a window of that style.
BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu);
// Client area: (0, 0, width, height).  FALSE for an unknown handle.
BOOL GetClientRect(HWND window, RECT* rect);
// Outer rectangle in screen coordinates.
BOOL GetWindowRect(HWND window, RECT* rect);
// GWL_STYLE or GWL_EXSTYLE; 0 for an unknown handle or index.
LONG GetWindowLongA(HWND window, int index);
// Sets GWL_STYLE or GWL_EXSTYLE and answers the previous value.
LONG SetWindowLongA(HWND window, int index, LONG value);
BOOL IsWindow(HWND window);

// Takes the next message (posted ones first, then translated SDL events) for
// `window` (null: any) into *msg; FALSE when none is waiting.
BOOL PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT remove);
// Returns once a message is waiting (posted, or an SDL event).  Answers
// FALSE at once when nothing can ever arrive: no message is waiting and no
// real display is open (an offscreen run), or a test hook says so.
BOOL WaitMessage();
// Test hook: runs instead of blocking when WaitMessage finds no message; it
// may post one.  Answers what WaitMessage answers.  Null removes it.
using WaitMessageHook = BOOL (*)(void* context);
void SetWaitMessageHook(WaitMessageHook hook, void* context);
// Waits for the next message; answers 0 for WM_QUIT, else non-zero.
BOOL GetMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax);
// Key messages already carry their characters (WM_CHAR comes from text input).
BOOL TranslateMessage(const MSG* msg);
// Calls the window procedure of msg->hwnd; answers its result.
LRESULT DispatchMessageA(const MSG* msg);
// Calls the window procedure directly.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queues a message for PeekMessageA; FALSE for an unknown non-null handle.
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queues WM_QUIT with the exit code.
void PostQuitMessage(int exitCode);
// The default handling: WM_CLOSE destroys the window; everything else answers 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Painting: nothing is drawn through these; they exist for WM_PAINT handlers.
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
// A stock object's handle (BLACK_BRUSH); never drawn here.
HGDIOBJ GetStockObject(int object);

// Every window of the program, oldest first.
std::vector<HWND> Win32Windows();
// For the other stand-ins: the SDL window behind a handle (an SDL_Window*),
// null for an unknown handle.
void* Win32SdlWindow(HWND window);

// True when windows are drawn offscreen (no display): nobody can close them.
bool Win32WindowsAreOffscreen();
