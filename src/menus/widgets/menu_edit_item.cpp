#include "menus/widgets/menu_edit_item.h"

#include <cstring>

#include "control/input/input.h"
#include "render/2d/font.h"

namespace {

constexpr std::uint32_t kBackspace = 8;
constexpr std::uint32_t kTab = 9;
constexpr std::uint32_t kEnter = 13;
constexpr std::uint32_t kEscape = 27;

bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

}  // namespace

CMenuEditItem::CMenuEditItem() : CMenuItem(MENU_ITEM_EDIT) {}

int CMenuEditItem::SetBuffer(char* buffer, int maxLength, int maxPixelWidth) {
  if (buffer == nullptr || maxLength > 255 || maxLength < 0) return 0;
  Buffer = buffer;
  MaxLength = static_cast<std::uint8_t>(maxLength);
  MaxPixelWidth = static_cast<std::uint16_t>(maxPixelWidth < 0 ? 0 : maxPixelWidth > 0xFFFF ? 0xFFFF : maxPixelWidth);
  // A text as long as the limit or longer holds the limit's bytes already:
  // the cut writes inside it.
  if (std::strlen(Buffer) > MaxLength) Buffer[MaxLength] = '\0';
  Cursor = static_cast<std::uint8_t>(std::strlen(Buffer));
  return 1;
}

void CMenuEditItem::Clear() {
  Cursor = 0;
  if (MaxLength != 0 && Buffer != nullptr) Buffer[0] = '\0';
}

bool CMenuEditItem::Accepts(unsigned char c) const {
  if (c == '|' || c == 0xA3 || c == 0xAC) return false;
  switch (Filter) {
    case MENU_EDIT_LETTERS: return IsLetter(c);
    case MENU_EDIT_DIGITS: return IsDigit(c);
    case MENU_EDIT_LETTERS_DIGITS: return IsLetter(c) || IsDigit(c) || c == ' ';
    default: return true;
  }
}

bool CMenuEditItem::TypeCode(std::uint32_t code, const CFont* font) {
  if (Buffer == nullptr) return code == kEnter;
  const int length = static_cast<int>(std::strlen(Buffer));
  // The owner may have changed the text: the cursor never stands past its end.
  if (Cursor > length) Cursor = static_cast<std::uint8_t>(length);
  switch (code) {
    case kBackspace:
      if (Cursor > 0) {
        std::memmove(Buffer + Cursor - 1, Buffer + Cursor, static_cast<std::size_t>(length - Cursor + 1));
        --Cursor;
      }
      return false;
    case kEnter: return true;
    case kTab:
    case kEscape:
    case TYPED_UP:
    case TYPED_DOWN:
    case TYPED_PAGE_UP:
    case TYPED_PAGE_DOWN: return false;
    case TYPED_LEFT:
      if (Cursor > 0) --Cursor;
      return false;
    case TYPED_RIGHT:
      if (Cursor < length) ++Cursor;
      return false;
    case TYPED_HOME: Cursor = 0; return false;
    case TYPED_END: Cursor = static_cast<std::uint8_t>(length); return false;
    case TYPED_INSERT: Mode = Mode == MENU_EDIT_INSERT ? MENU_EDIT_OVERWRITE : MENU_EDIT_INSERT; return false;
    case TYPED_DELETE:
      if (Cursor < length)
        std::memmove(Buffer + Cursor, Buffer + Cursor + 1, static_cast<std::size_t>(length - Cursor));
      return false;
    default: break;
  }
  // Anything else is a character: one byte of the code page.
  if (code > 0xFF || code == 0) return false;
  const auto c = static_cast<unsigned char>(code);
  if (!Accepts(c)) return false;
  if (length >= static_cast<int>(MaxLength) - 1) return false;
  if (MaxPixelWidth != 0 && font != nullptr &&
      font->GetCharWidth(c) + font->GetStringWidth(Buffer) > static_cast<int>(MaxPixelWidth))
    return false;
  if (Mode == MENU_EDIT_OVERWRITE && Cursor < length) {
    Buffer[Cursor] = static_cast<char>(c);
  } else {
    std::memmove(Buffer + Cursor + 1, Buffer + Cursor, static_cast<std::size_t>(length - Cursor + 1));
    Buffer[Cursor] = static_cast<char>(c);
  }
  ++Cursor;
  return false;
}
