// The level's shrubbery: gardens of shrubs that belong to landscape and
// scenery instances (an instance names its garden by index, -1 for none).
// One object per environment, made by the environment; a level's shrubbery
// section replaces all gardens, keeping a share of the shrubs that the
// density gives, evenly spread over all gardens.  Each frame the instance
// draw queues the visible shrubs of a garden into the transparent queue
// (item kind 9), and the queue has them drawn by ShrubDraw with their
// variant's tint, a distance fade and the variant's sway.  Main thread only.
//
// Frame: world units, y up, angles in degrees.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/geometry/matrix.h"
#include "world/shrubbery/shrub.h"

class CEnvInstance;
class CEnvironment;
class CLinearBuffer;
class DepthSortQueue;
class EnvTextCursor;
struct ShrubberySectionData;

// Share of the shrubs kept by default, and at reduced detail.
constexpr float kShrubDefaultDensity = 0.75f;
constexpr float kShrubReducedDensity = 0.5f;
// Render option bit: shrubs are queued only in the nearer half of the buckets.
constexpr std::uint32_t kRenderOptionShrubNearHalf = 0x800;

class CShrubbery {
 public:
  // No gardens, density 0.75.  The owner's templates, queue and render
  // device are used (may be null: then no template is found and nothing is
  // queued except through the engine's queue).
  explicit CShrubbery(CEnvironment* owner = nullptr);
  ~CShrubbery();
  CShrubbery(const CShrubbery&) = delete;
  CShrubbery& operator=(const CShrubbery&) = delete;

  // Reads the shrubbery section (the cursor at its keyword, left behind the
  // word after "ENDGARDEN") and replaces every garden: the 16 variants are
  // drawn anew, each template named is found in the owner or loaded with any
  // type (null when neither: its shrubs draw nothing), and the shrubs are
  // thinned by the density.  The template table comes from the buffer and
  // is given back at the end (the heap without a buffer or without room).
  // False when the section is damaged (see ReadShrubberySection); the
  // gardens read whole before the fault are kept.
  bool Read(EnvTextCursor& text, int version, CLinearBuffer* buffer);
  // The applying step of Read, over a parsed section.
  void Apply(const ShrubberySectionData& data, CLinearBuffer* buffer);

  // The share of shrubs the next section keeps, held to 0..1 (a value that
  // is not a number is ignored).
  void SetDensity(float density);
  float GetDensity() const { return density_; }

  // From the instance draw, for an instance with a garden: queues each shrub
  // of the instance's garden whose distance bucket lies below the bucket
  // count (half of it with render option 0x800) with the fade
  // 1 - bucket / (half the bucket count).  Shrubs whose fade is 0 or less
  // are not queued.  An alternative-state shrub carries the lights selected
  // for the instance, any other the queue's fixed light.  Nothing for a
  // garden index that names no garden, without a queue, or once the queue's
  // block is full.
  void QueueGarden(CEnvInstance* instance);

  // Frees every garden (environment reset).
  void Clear();
  // Frees every garden, then makes n empty ones (none for n below 1).
  void ResetGardens(int n);
  // True when every shrub of every garden that an instance of the owner
  // names lies within that instance's template box grown by 0.5 on each side.
  bool CheckGardens() const;

  // Appends the gardens as a section of the version (templates by their
  // object names; a shrub without a template gets index -1).
  void WriteSection(std::string* out, int version) const;

  int GetGardenCount() const { return gardenCount_; }
  // The garden, or null for an index that names none.
  const Garden* GetGarden(int i) const { return i >= 0 && i < gardenCount_ ? &gardens_[i] : nullptr; }
  // Shrubs of the last section whose template index named no template.
  int GetBadTemplateIndices() const { return badTemplateIndices_; }

 private:
  CEnvironment* owner_;
  int gardenCount_ = 0;
  Garden* gardens_ = nullptr;
  float density_ = kShrubDefaultDensity;
  int badTemplateIndices_ = 0;
};

// The index of a template in the table, appending it when absent.
int ShrubberyAddTemplate(std::vector<CEnvObject*>* table, CEnvObject* templ);

// How many of a garden's n shrubs the density keeps when the keep
// accumulator stands at a before it: n - trunc((1 - density) x n + a).
int ShrubKeptCount(int n, float density, double accumulator);

// The world matrix of a shrub: identity, rotated about Y, Z and X by its
// angles, translated to its position.  A swaying shrub leans by its
// variant's offset, turned by that rotation, per unit of height.
void ShrubWorldMatrix(const Shrub& shrub, CMatrix* out);
// The draw colour: the variant's tint with alpha = fade x 255, the fade
// held to 0..1.
std::uint32_t ShrubDrawColour(const Shrub& shrub, float fade);
// The transparent queue's draw of a kind-9 item (shrub is a Shrub): the
// world matrix, then every part of the template's plain mesh drawn at once
// with render mode 24 and the draw colour.  Nothing for a shrub without a
// template or mesh, or without a render device.
void ShrubDraw(void* shrub, float fade);

// Makes ShrubDraw the queue's draw of shrub items (other entries kept).
void InstallShrubDraw(DepthSortQueue* queue);
// Plugs the shrubbery reader into the level loader's section table, and
// ShrubDraw into the engine's transparent queue when one exists.
void InstallShrubbery();
