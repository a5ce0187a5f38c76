#include "platform/dplay8/dplay8_address.h"

#include <cstring>

#include "platform/dplay8/com.h"

namespace dplay8 {

namespace {

std::u16string WideName(PCWSTR name) {
  std::u16string s;
  if (name != nullptr)
    for (const WCHAR* p = name; *p != 0 && s.size() < 256; ++p) s.push_back(*p);
  return s;
}

}  // namespace

Address* Address::Make() { return new Address; }

Address* Address::Make(const std::string& host, std::uint32_t port) {
  Address* a = new Address;
  a->SetSP(&CLSID_DP8SP_TCPIP);
  if (!host.empty()) a->AddComponent(DPNA_KEY_HOSTNAME, host.c_str(), static_cast<DWORD>(host.size() + 1), DPNA_DATATYPE_STRING_ANSI);
  if (port != 0) {
    const DWORD p = port;
    a->AddComponent(DPNA_KEY_PORT, &p, sizeof p, DPNA_DATATYPE_DWORD);
  }
  return a;
}

Address* AsAddress(IDirectPlay8Address* address) { return dynamic_cast<Address*>(address); }

HRESULT Address::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == IID_IDirectPlay8Address || iid == IID_IUnknown) {
    AddRef();
    *out = static_cast<IDirectPlay8Address*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG Address::AddRef() { return ++refs_; }

ULONG Address::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT Address::SetSP(const GUID* sp) {
  if (sp == nullptr) return DPNERR_INVALIDPARAM;
  if (!(*sp == CLSID_DP8SP_TCPIP)) return DPNERR_INVALIDPARAM;
  std::lock_guard<std::mutex> hold(mutex_);
  sp_ = *sp;
  hasSp_ = true;
  return DPN_OK;
}

HRESULT Address::GetSP(GUID* sp) {
  if (sp == nullptr) return DPNERR_INVALIDPARAM;
  std::lock_guard<std::mutex> hold(mutex_);
  if (!hasSp_) return DPNERR_DOESNOTEXIST;
  *sp = sp_;
  return DPN_OK;
}

HRESULT Address::AddComponent(PCWSTR name, const void* data, DWORD size, DWORD type) {
  const std::u16string key = WideName(name);
  if (key.empty() || (size > 0 && data == nullptr) || size > 1024) return DPNERR_INVALIDPARAM;
  if (type < DPNA_DATATYPE_STRING || type > DPNA_DATATYPE_STRING_ANSI) return DPNERR_INVALIDPARAM;
  if (type == DPNA_DATATYPE_DWORD && size != sizeof(DWORD)) return DPNERR_INVALIDPARAM;
  std::lock_guard<std::mutex> hold(mutex_);
  Component c{key, type, std::vector<std::uint8_t>(static_cast<const std::uint8_t*>(data),
                                                   static_cast<const std::uint8_t*>(data) + size)};
  for (Component& existing : components_) {
    if (existing.name == key) {
      existing = std::move(c);
      return DPN_OK;
    }
  }
  components_.push_back(std::move(c));
  return DPN_OK;
}

const Address::Component* Address::Find(const std::u16string& name) const {
  for (const Component& c : components_)
    if (c.name == name) return &c;
  return nullptr;
}

HRESULT Address::GetComponentByName(PCWSTR name, void* buffer, DWORD* size, DWORD* type) {
  if (size == nullptr || type == nullptr) return DPNERR_INVALIDPARAM;
  std::lock_guard<std::mutex> hold(mutex_);
  const Component* c = Find(WideName(name));
  if (c == nullptr) return DPNERR_DOESNOTEXIST;
  *type = c->type;
  if (buffer == nullptr || *size < c->data.size()) {
    *size = static_cast<DWORD>(c->data.size());
    return DPNERR_BUFFERTOOSMALL;
  }
  *size = static_cast<DWORD>(c->data.size());
  if (!c->data.empty()) std::memcpy(buffer, c->data.data(), c->data.size());
  return DPN_OK;
}

HRESULT Address::Duplicate(IDirectPlay8Address** out) {
  if (out == nullptr) return DPNERR_INVALIDPARAM;
  Address* copy = new Address;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    copy->hasSp_ = hasSp_;
    copy->sp_ = sp_;
    copy->components_ = components_;
  }
  *out = copy;
  return DPN_OK;
}

std::string Address::HostName() const {
  std::lock_guard<std::mutex> hold(mutex_);
  const Component* c = Find(u"hostname");
  if (c == nullptr) return {};
  std::string text;
  if (c->type == DPNA_DATATYPE_STRING) {
    for (std::size_t i = 0; i + 1 < c->data.size(); i += 2) {
      const char16_t ch = static_cast<char16_t>(c->data[i] | (c->data[i + 1] << 8));
      if (ch == 0) break;
      text.push_back(ch < 0x80 ? static_cast<char>(ch) : '?');
    }
  } else if (c->type == DPNA_DATATYPE_STRING_ANSI) {
    for (std::uint8_t b : c->data) {
      if (b == 0) break;
      text.push_back(static_cast<char>(b));
    }
  }
  return text;
}

std::uint32_t Address::Port() const {
  std::lock_guard<std::mutex> hold(mutex_);
  const Component* c = Find(u"port");
  if (c == nullptr || c->type != DPNA_DATATYPE_DWORD || c->data.size() != 4) return 0;
  return c->data[0] | (c->data[1] << 8) | (c->data[2] << 16) | (static_cast<std::uint32_t>(c->data[3]) << 24);
}

}  // namespace dplay8
