// Feeds whole ".sbk" files to the bank reader, then looks up and picks from
// every event it read.  Every read must stay inside the bytes.
#include <cstdint>

#include "sound/sound_bank.h"
#include "sound_fuzz.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  sound_fuzz::Quiet();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CSoundBank bank;
  CInformationBank info;
  if (!bank.LoadFromBytes(data, size, &info)) return 0;
  for (std::uint16_t id : bank.EventIds) {
    const SoundEventEntry* e = bank.FindEntry(id);
    if (e != nullptr) info.Find(e->sampleKey);
  }
  bank.FindEntry(-1);
  bank.FindEntry(65536);
  return 0;
}
