// Feeds arbitrary bytes to the object-file reader, as a file of any type,
// with texture and material libraries to fill.  Whatever it answers, every
// node it leaves is freed again.
#include <cstdint>
#include <cstdlib>

#include "foundation/byte_reader.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "render_asset_fuzz.h"
#include "world/environment/evo_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QuietMessageBoxes();
  CTextureManager textures;
  CMaterialList materials;
  EnvLoadContext context;
  context.Textures = &textures;
  context.Materials = &materials;
  CEnvObject* root = NewEnvObjectNode();
  root->Init(context);
  ByteReader reader(data, size);
  const int ok = EvoReadFile(root, reader, -1, 0, 0);
  if (ok) {
    // A template that loaded holds only what fits its bytes.
    for (const CEnvObject* node = root; node != nullptr; node = node->NextNode)
      if (node->ConnectorCount > kConnectorSlots || node->NamedValues.size() * 132 > size) std::abort();
  }
  FreeEnvObjectTemplate(root);
  return 0;
}
