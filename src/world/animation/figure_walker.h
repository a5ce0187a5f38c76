// Walks an animated figure around a circle with its walk animation, turning
// it along the way, and has it wave on the upper body now and then: the
// demo level's walking figure (the game's units move their own figures).
// Main thread only.
#pragma once

class CAnimObject;
class CEnvInstance;
struct AnimSet;

struct FigureWalkerSettings {
  float Radius = 300.0f;       // of the circle (cm); it passes through the start position
  float Speed = 120.0f;        // along the circle (cm per second)
  float WaveEvery = 6.0f;      // seconds from one wave to the next
  float WaveFor = 2.5f;        // seconds a wave lasts
  float BlendSpeed = 4.0f;     // weight per second of the wave's blends
};

class CFigureWalker {
 public:
  // Takes the figure (an animated instance; anything else is refused) and
  // starts the walk looping on channel 0; the circle's centre lies Radius to
  // the figure's right.  False when the figure or the walk cannot play.
  bool Attach(CEnvInstance* figure, AnimSet* walk, AnimSet* wave, const FigureWalkerSettings& settings);
  void Detach() { m_Figure = nullptr; }
  // Moves and turns the figure by dt seconds of walking and starts or ends a wave.
  void Update(float dt);
  CAnimObject* Figure() const { return m_Figure; }
  bool Waving() const { return m_Waving; }

 private:
  CAnimObject* m_Figure = nullptr;
  AnimSet* m_Wave = nullptr;
  FigureWalkerSettings m_Settings;
  float m_CentreX = 0.0f, m_CentreZ = 0.0f, m_Height = 0.0f;
  float m_Angle = 0.0f;  // radians around the centre
  float m_Clock = 0.0f;
  bool m_Waving = false;
};
