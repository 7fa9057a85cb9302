#include "shell/KeyState.h"

#include <windows.h>

namespace kw {

namespace {

class SystemKeys final : public KeyState {
public:
    bool IsHeld(int virtualKey) const override { return (GetKeyState(virtualKey) & 0x8000) != 0; }
};

}  // namespace

const KeyState& SystemKeyState() {
    static const SystemKeys keys;
    return keys;
}

}  // namespace kw
