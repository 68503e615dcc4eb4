#include "app/shell/HeldKeys.h"

bool HeldKeys::Press(int virtualKey) {
    return keys_.insert(virtualKey).second;
}

bool HeldKeys::Release(int virtualKey) {
    return keys_.erase(virtualKey) != 0;
}
