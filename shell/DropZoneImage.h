#pragma once
// The drop zone's picture as premultiplied 32-bit pixels, for a layered window that the system
// blends per pixel: a rounded tile whose corners are transparent and whose edge and border are
// smoothed (each pixel covered in part by the shape is that much opaque), with text and the
// icon blended onto it. Plain pixels in, pixels out; the window draws text masks with GDI.

#include <cstdint>
#include <vector>

namespace kw {

// 0x00RRGGBB.
struct DropZoneColours {
    uint32_t fill, border, title, status, tally;
};

DropZoneColours DropZoneColoursFor(bool dark, bool busy);

// Row after row from the top, each pixel 0xAARRGGBB with the colour already multiplied by its
// alpha (what a top-down 32-bit DIB given to UpdateLayeredWindow with AC_SRC_ALPHA holds).
struct DropZonePixels {
    int width = 0, height = 0;
    std::vector<uint32_t> argb;

    uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
};

// The tile filling width x height: corner radius 14 and a 3-pixel border at 96 DPI, times `scale`.
DropZonePixels DropZoneShape(int width, int height, float scale, const DropZoneColours& colours);

// Blends `colour` over the pixels where `coverage` (one byte a pixel, same size) is above 0,
// as text drawn white on black gives it; the shape's own alpha is kept (text on the tile only).
void BlendCoverage(DropZonePixels& pixels, const std::vector<uint8_t>& coverage, uint32_t colour);

// Blends a premultiplied ARGB image (an icon) at (x, y) over the pixels.
void BlendImage(DropZonePixels& pixels, const std::vector<uint32_t>& image, int imageWidth, int imageHeight, int x, int y);

}  // namespace kw
