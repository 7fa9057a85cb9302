#pragma once
// What a drag says while it is over the drop zone, where the shell draws the drag image (an
// Explorer drag): "Route with Kestrane Fileweir" instead of a bare "+ Copy". The drop effect
// stays DROPEFFECT_COPY, so the source never deletes anything itself; the words are only what
// the user reads.

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <string>

namespace kw {

struct DropDescriptionText {
    DROPIMAGETYPE image = DROPIMAGE_INVALID;  // DROPIMAGE_INVALID: the shell's own, no text
    std::wstring message;                     // "%1" in it is replaced by `insert`, highlighted
    std::wstring insert;

    bool operator==(const DropDescriptionText&) const = default;
};

// The words for a drag over the drop zone with `keyState` (MK_* flags) held. The one place to
// say something else for another key (Shift previews the drop).
DropDescriptionText DropZoneDescription(DWORD keyState);

// Hands the description to the data object being dragged (the shell's drag image reads it
// there); false when the source takes none, as most non-shell sources do.
bool SetDropDescription(IDataObject* data, const DropDescriptionText& text);

}  // namespace kw
