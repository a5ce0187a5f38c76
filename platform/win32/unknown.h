// The reference-counted object base that every device-side interface derives
// from.  An object lives while its count is above zero; each Get or Create
// that hands out an interface counts one reference the caller must Release.
#pragma once

#include "platform/win32/win_types.h"

class IUnknown {
 public:
  // Answers this object as the interface `iid` (counting a reference) in *out,
  // or E_NOINTERFACE with *out null when the object does not offer it.
  virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
  // Adds a reference; answers the new count.
  virtual ULONG AddRef() = 0;
  // Drops a reference, destroying the object at zero; answers the new count.
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};
