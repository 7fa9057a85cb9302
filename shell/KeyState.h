#pragma once
// Which keys are held right now, behind a seam so that hotkey capture can be tested with
// modifiers "held" without a keyboard.

namespace kw {

class KeyState {
public:
    virtual ~KeyState() = default;
    virtual bool IsHeld(int virtualKey) const = 0;
};

// GetKeyState of the calling thread's input state (held when the high bit is set).
const KeyState& SystemKeyState();

}  // namespace kw
