// The developer-user check: developer-only warnings are shown only to the
// login names of the built-in list.
#pragma once

// 1 when the user's login name equals a name of the developer list exactly,
// 0 otherwise (also when the name cannot be read).
int IsDeveloperUser();
