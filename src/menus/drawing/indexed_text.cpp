#include "menus/drawing/indexed_text.h"

#include "menus/screens/menu_text_ids.h"
#include "menus/widgets/menu.h"

const char* GetIndexedText(int n) { return CMenu::TextOf(n >= 0 && n < 10 ? kTextOrdinals[n] : kMenuNoText); }
