// The few COM calls the game makes: starting and ending COM on a thread and
// creating the network objects.  COM keeps no apartments here: it counts,
// per thread, the starts not yet ended, and refuses to create objects on a
// thread that has not started it.
#pragma once

#include "platform/dplay8/dplay8_types.h"

using REFCLSID = const GUID&;

#define COINIT_MULTITHREADED 0x0u
#define COINIT_APARTMENTTHREADED 0x2u
#define CLSCTX_INPROC_SERVER 0x1u
#define CLSCTX_ALL 0x17u

// S_OK the first time on a thread, S_FALSE when this thread already started COM.
HRESULT CoInitializeEx(void* reserved, DWORD flags);
// Ends one start on this thread (nothing when there is none).
void CoUninitialize();
// Makes a server, client or address object and answers it as the interface
// asked for: CO_E_NOTINITIALIZED before CoInitializeEx on this thread,
// REGDB_E_CLASSNOTREG for an unknown class, E_NOINTERFACE for an interface
// the object does not offer.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** out);

extern const GUID CLSID_DirectPlay8Server;
extern const GUID CLSID_DirectPlay8Client;
extern const GUID CLSID_DirectPlay8Address;
extern const GUID IID_IDirectPlay8Server;
extern const GUID IID_IDirectPlay8Client;
extern const GUID IID_IDirectPlay8Address;
extern const GUID IID_IUnknown;
// The TCP/IP service provider, the only one offered.
extern const GUID CLSID_DP8SP_TCPIP;
