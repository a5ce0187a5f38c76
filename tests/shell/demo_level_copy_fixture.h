// The demo level loaded from a copy of its folder in a test's own folder:
// loading the level writes its octree and pool-size files beside it, which
// must not land in the build's data folder that other tests (and test
// programs running at the same time) read.
#pragma once

#include <filesystem>

// Copies the build's demo level folder into `folder`/"DEMO" (made if need
// be) and has the demo level load from there.
void UseDemoLevelCopy(const std::filesystem::path& folder);
// The build's demo level folder again (the copy stays until its folder goes).
void StopUsingDemoLevelCopy();
