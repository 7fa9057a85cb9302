#include "shell/DropZoneImage.h"

#include <algorithm>
#include <cmath>

namespace kw {
namespace {

uint32_t Channel(uint32_t colour, int shift) { return (colour >> shift) & 0xFF; }

// Signed distance from a point to the edge of a rounded rectangle (negative inside).
float RoundedBoxDistance(float px, float py, float halfW, float halfH, float radius) {
    const float qx = std::fabs(px) - (halfW - radius);
    const float qy = std::fabs(py) - (halfH - radius);
    const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - radius;
}

// How much of a pixel lies inside an edge at signed distance `d` from its centre.
float Coverage(float d) { return std::clamp(0.5f - d, 0.0f, 1.0f); }

uint32_t Premultiplied(float r, float g, float b, float a) {
    const auto byte = [](float v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0f, 255.0f))); };
    return byte(a * 255.0f) << 24 | byte(r * a) << 16 | byte(g * a) << 8 | byte(b * a);
}

}  // namespace

DropZoneColours DropZoneColoursFor(bool dark, bool busy) {
    const uint32_t border = busy ? 0xFFB830 : 0x00D2FF;
    if (dark) return {0x121826, border, 0xFFFFFF, 0xA0BED2, 0x8FA9BC};
    return {0xF5F8FF, border, 0x101828, 0x465A6E, 0x4F6072};
}

DropZonePixels DropZoneShape(int width, int height, float scale, const DropZoneColours& colours) {
    DropZonePixels pixels;
    pixels.width = std::max(width, 0);
    pixels.height = std::max(height, 0);
    pixels.argb.assign(static_cast<size_t>(pixels.width) * pixels.height, 0);
    const float halfW = pixels.width * 0.5f, halfH = pixels.height * 0.5f;
    const float radius = std::min({14.0f * scale, halfW, halfH});
    const float borderWidth = std::max(1.0f, 3.0f * scale);
    for (int y = 0; y < pixels.height; ++y) {
        for (int x = 0; x < pixels.width; ++x) {
            const float d = RoundedBoxDistance(x + 0.5f - halfW, y + 0.5f - halfH, halfW, halfH, radius);
            const float outer = Coverage(d);
            if (outer <= 0.0f) continue;  // outside the corners: fully transparent
            // The fill starts where the border ends; in between the two colours mix smoothly.
            const float inner = Coverage(d + borderWidth);
            const float borderShare = outer > 0 ? (outer - inner) / outer : 0.0f;
            const auto mix = [&](int shift) {
                return Channel(colours.border, shift) * borderShare + Channel(colours.fill, shift) * (1.0f - borderShare);
            };
            pixels.argb[static_cast<size_t>(y) * pixels.width + x] = Premultiplied(mix(16), mix(8), mix(0), outer);
        }
    }
    return pixels;
}

void BlendCoverage(DropZonePixels& pixels, const std::vector<uint8_t>& coverage, uint32_t colour) {
    const size_t n = std::min(coverage.size(), pixels.argb.size());
    for (size_t i = 0; i < n; ++i) {
        const uint32_t c = coverage[i];
        const uint32_t dst = pixels.argb[i];
        const uint32_t a = dst >> 24;
        if (c == 0 || a == 0) continue;
        // Both premultiplied by the tile's alpha `a`: text over the tile, never over the corners.
        const auto channel = [&](int shift) {
            const uint32_t text = Channel(colour, shift) * a / 255;
            return (text * c + Channel(dst, shift) * (255 - c)) / 255;
        };
        pixels.argb[i] = a << 24 | channel(16) << 16 | channel(8) << 8 | channel(0);
    }
}

void BlendImage(DropZonePixels& pixels, const std::vector<uint32_t>& image, int imageWidth, int imageHeight, int x0, int y0) {
    for (int y = 0; y < imageHeight; ++y) {
        const int py = y0 + y;
        if (py < 0 || py >= pixels.height) continue;
        for (int x = 0; x < imageWidth; ++x) {
            const int px = x0 + x;
            if (px < 0 || px >= pixels.width) continue;
            const uint32_t src = image[static_cast<size_t>(y) * imageWidth + x];
            const uint32_t sa = src >> 24;
            if (sa == 0) continue;
            uint32_t& dst = pixels.argb[static_cast<size_t>(py) * pixels.width + px];
            const auto channel = [&](int shift) {
                return std::min<uint32_t>(255, Channel(src, shift) + Channel(dst, shift) * (255 - sa) / 255);
            };
            dst = channel(24) << 24 | channel(16) << 16 | channel(8) << 8 | channel(0);
        }
    }
}

}  // namespace kw
