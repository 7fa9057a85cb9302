#include "model/ReparseTag.h"

#include <windows.h>

namespace kw {

bool IsLink(uint32_t attributes, uint32_t reparseTag) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(reparseTag);
}

}  // namespace kw
