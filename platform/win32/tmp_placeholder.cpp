namespace platform_win32_placeholder { int x; }
