// The address object: a service provider and named components.  Inside the
// stand-in only (the game sees IDirectPlay8Address).
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/dplay8/dplay8.h"

namespace dplay8 {

class Address final : public IDirectPlay8Address {
 public:
  // A new object with one reference.
  static Address* Make();
  // A new object naming a host by its text and a port (0: no port).
  static Address* Make(const std::string& host, std::uint32_t port);

  HRESULT QueryInterface(REFIID iid, void** out) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT SetSP(const GUID* sp) override;
  HRESULT GetSP(GUID* sp) override;
  HRESULT AddComponent(PCWSTR name, const void* data, DWORD size, DWORD type) override;
  HRESULT GetComponentByName(PCWSTR name, void* buffer, DWORD* size, DWORD* type) override;
  HRESULT Duplicate(IDirectPlay8Address** out) override;

  // The "hostname" component as narrow text ("" when absent).
  std::string HostName() const;
  // The "port" component (0 when absent).
  std::uint32_t Port() const;

 private:
  Address() = default;
  ~Address() override = default;
  struct Component {
    std::u16string name;
    DWORD type;
    std::vector<std::uint8_t> data;
  };
  const Component* Find(const std::u16string& name) const;

  std::atomic<ULONG> refs_{1};
  mutable std::mutex mutex_;
  bool hasSp_ = false;
  GUID sp_{};
  std::vector<Component> components_;
};

// The address behind an interface the stand-in made (null for anything else).
Address* AsAddress(IDirectPlay8Address* address);

}  // namespace dplay8
