#include "shell/program/localisation.h"

#include <initializer_list>

#include "foundation/system/debug_output.h"
#include "foundation/text/locale_table.h"
#include "platform/win32/clocks.h"

void LoadLocalisation() {
  if (g_Locale == nullptr) return;
  const DWORD start = GetTickCount();
  g_Locale->Load("GenStrs.loc");
  for (const char* layer : {"PCStrs.loc", "InvStrs.loc", "TitleStrs.loc", "MPStrs.loc"}) g_Locale->LoadLayer(layer);
  DebugTrace("Load localisation : %.2f seconds\n", static_cast<double>(GetTickCount() - start) / 1000.0);
}
