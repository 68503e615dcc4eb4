#pragma once

#include <set>

// The virtual keys currently held down, as the key events report them: a press inserts the key,
// a release removes it. The recorder uses it to drop auto-repeat. Window thread only.
class HeldKeys {
public:
    // True when the key was not held before (a first press, not an auto-repeat).
    bool Press(int virtualKey);
    // True when the key was held.
    bool Release(int virtualKey);
    bool IsHeld(int virtualKey) const { return keys_.count(virtualKey) != 0; }
    int Count() const { return static_cast<int>(keys_.size()); }
    void Clear() { keys_.clear(); }

private:
    std::set<int> keys_;
};
