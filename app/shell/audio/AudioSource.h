#pragma once

#include <cstddef>
#include <vector>

// Where the visualizer's sound comes from: interleaved stereo float samples of what the computer
// plays. Neither call blocks; a source with nothing to give (no sound server) stays silent.
class AudioSource {
public:
    virtual ~AudioSource() = default;

    // Capturing only while active: nothing is recorded while the music effect is off.
    virtual void SetActive(bool active) = 0;
    // Appends every sample captured since the last call to `out`; returns how many.
    virtual size_t Drain(std::vector<float>& out) = 0;
};
