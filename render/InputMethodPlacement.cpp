#include "render/InputMethodPlacement.h"

#include <windows.h>
#include <imm.h>

namespace kw {

void PlaceInputMethod(ImGuiViewport* viewport, ImGuiPlatformImeData* data) {
    const auto window = static_cast<HWND>(viewport ? viewport->PlatformHandleRaw : nullptr);
    if (!window) return;
    if (!data->WantVisible) {
        // A NULL context with no flags takes the window's input context away: typing on the
        // window composes nothing until a field has the keyboard again.
        ImmAssociateContextEx(window, nullptr, 0);
        return;
    }
    ImmAssociateContextEx(window, nullptr, IACE_DEFAULT);  // the window's own context back
    HIMC context = ImmGetContext(window);
    if (!context) return;  // no input method on this system
    // Client coordinates of the window, as ImGui's are.
    const LONG x = static_cast<LONG>(data->InputPos.x);
    const LONG y = static_cast<LONG>(data->InputPos.y);
    COMPOSITIONFORM composition{};
    composition.dwStyle = CFS_FORCE_POSITION;  // exactly there, not where the IME would guess
    composition.ptCurrentPos = {x, y};
    ImmSetCompositionWindow(context, &composition);
    // The candidate list goes wherever it fits on the screen outside the caret's line, so that
    // it never covers the text being typed.
    CANDIDATEFORM candidates{};
    candidates.dwIndex = 0;
    candidates.dwStyle = CFS_EXCLUDE;
    candidates.ptCurrentPos = {x, y};
    candidates.rcArea = {x, y, x + 1, y + static_cast<LONG>(data->InputLineHeight)};
    ImmSetCandidateWindow(context, &candidates);
    ImmReleaseContext(window, context);
}

}  // namespace kw
