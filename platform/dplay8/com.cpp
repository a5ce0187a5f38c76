#include "platform/dplay8/com.h"

#include "platform/dplay8/dplay8_address.h"
#include "platform/dplay8/dplay8_endpoint.h"
#include "platform/dplay8/dplay8_objects.h"

// Our own identifiers for the classes and interfaces of the stand-in.
const GUID CLSID_DirectPlay8Server = {0x48420001, 0x0008, 0x4E53, {0x80, 0x01, 0x48, 0x41, 0x4C, 0x42, 0x45, 0x52}};
const GUID CLSID_DirectPlay8Client = {0x48420002, 0x0008, 0x4E53, {0x80, 0x01, 0x48, 0x41, 0x4C, 0x42, 0x45, 0x52}};
const GUID CLSID_DirectPlay8Address = {0x48420003, 0x0008, 0x4E53, {0x80, 0x01, 0x48, 0x41, 0x4C, 0x42, 0x45, 0x52}};
const GUID IID_IDirectPlay8Server = {0x48420011, 0x0008, 0x4E53, {0x80, 0x01, 0x48, 0x41, 0x4C, 0x42, 0x45, 0x52}};
const GUID IID_IDirectPlay8Client = {0x48420012, 0x0008, 0x4E53, {0x80, 0x01, 0x48, 0x41, 0x4C, 0x42, 0x45, 0x52}};
const GUID IID_IDirectPlay8Address = {0x48420013, 0x0008, 0x4E53, {0x80, 0x01, 0x48, 0x41, 0x4C, 0x42, 0x45, 0x52}};
const GUID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID CLSID_DP8SP_TCPIP = {0x48420021, 0x0008, 0x4E53, {0x80, 0x01, 0x48, 0x41, 0x4C, 0x42, 0x45, 0x52}};

namespace {
thread_local int t_comStarts = 0;
}  // namespace

HRESULT CoInitializeEx(void*, DWORD flags) {
  dplay8::LogCall("CoInitializeEx flags=" + std::to_string(flags));
  return t_comStarts++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  dplay8::LogCall("CoUninitialize");
  if (t_comStarts > 0) --t_comStarts;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (outer != nullptr) return E_INVALIDARG;
  if (t_comStarts == 0) return CO_E_NOTINITIALIZED;
  IUnknown* object = nullptr;
  if (clsid == CLSID_DirectPlay8Server) {
    object = dplay8::MakeServer();
  } else if (clsid == CLSID_DirectPlay8Client) {
    object = dplay8::MakeClient();
  } else if (clsid == CLSID_DirectPlay8Address) {
    object = dplay8::Address::Make();
  } else {
    return REGDB_E_CLASSNOTREG;
  }
  const HRESULT r = object->QueryInterface(iid, out);
  object->Release();
  return r;
}
