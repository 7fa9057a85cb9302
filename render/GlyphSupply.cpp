#include "render/GlyphSupply.h"

#include <windows.h>

#include "render/VisualOrder.h"

#include <algorithm>
#include <utility>

namespace kw {

struct GlyphSupply::Work {
    std::vector<char32_t> characters;
    std::shared_ptr<const std::vector<unsigned char>> base;
    float pixels = 0.0f;
};

GlyphSupply::~GlyphSupply() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    if (builder.joinable()) builder.join();
}

void GlyphSupply::SetReady(std::function<void()> callback) {
    std::lock_guard<std::mutex> lock(mutex);
    ready = std::move(callback);
}

void GlyphSupply::SetBase(std::shared_ptr<const std::vector<unsigned char>> bytes, float size) {
    std::lock_guard<std::mutex> lock(mutex);
    base = std::move(bytes);
    pixels = size;
    finished.reset();
    if (!wanted.empty()) Request();
}

void GlyphSupply::Note(std::string_view utf8) {
    bool added = noted.Note(utf8);
    // Arabic is drawn in its joined presentation forms (VisualOrder), characters of their own.
    if (HasRightToLeft(utf8)) added |= noted.Note(VisualOrder(utf8));
    if (!added) return;
    std::lock_guard<std::mutex> lock(mutex);
    const std::vector<char32_t>& all = noted.All();
    wanted.insert(wanted.end(), all.begin() + static_cast<std::ptrdiff_t>(wanted.size()), all.end());
    Request();
}

void GlyphSupply::Request() {
    ++requested;
    if (!builder.joinable()) builder = std::thread([this] { Run(); });
    wake.notify_one();
}

std::optional<GrownAtlas> GlyphSupply::Take() {
    std::lock_guard<std::mutex> lock(mutex);
    return std::exchange(finished, std::nullopt);
}

bool GlyphSupply::Pending() const {
    std::lock_guard<std::mutex> lock(mutex);
    return built != requested || finished.has_value();
}

void GlyphSupply::Run() {
    for (;;) {
        Work work;
        uint64_t answering = 0;
        {
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait(lock, [&] { return stopping || built != requested; });
            if (stopping) return;
            answering = requested;
            work = {wanted, base, pixels};
        }
        // Characters noted while this build runs make another one follow it; in between, the
        // window draws with this one.
        GrownAtlas grown = work.base ? Build(work) : GrownAtlas{};
        std::function<void()> announce;
        {
            std::lock_guard<std::mutex> lock(mutex);
            built = answering;
            if (grown.atlas && grown.pixels == pixels && work.base == base) {
                finished = std::move(grown);
                announce = ready;
            }
        }
        if (announce) announce();
    }
}

GrownAtlas GlyphSupply::Build(const Work& work) {
    LARGE_INTEGER start{}, end{}, frequency{};
    QueryPerformanceCounter(&start);

    std::vector<char32_t> fresh;
    for (char32_t c : work.characters)
        if (!placed.count(c)) fresh.push_back(c);
    if (!fresh.empty()) {
        if (!finder) finder = std::make_unique<SystemFontFinder>();
        std::sort(fresh.begin(), fresh.end());
        for (FaceCharacters& found : finder->Find(fresh)) {
            auto at = std::find(faces.begin(), faces.end(), found.face);
            const int index = static_cast<int>(at - faces.begin());
            if (at == faces.end()) faces.push_back(found.face);
            for (char32_t c : found.characters) placed[c] = index;
        }
        for (char32_t c : fresh) placed.emplace(c, -1);  // no installed font: the box, as before
    }

    std::vector<AtlasFace> atlasFaces(faces.size());
    for (size_t i = 0; i < faces.size(); ++i) {
        std::shared_ptr<const FontFileView>& file = files[faces[i].path];
        if (!file) file = FontFileView::Open(faces[i].path);
        if (!file) continue;  // gone since it was found: its characters stay boxes
        atlasFaces[i].data = file->Data();
        atlasFaces[i].size = file->Size();
        atlasFaces[i].index = faces[i].index;
    }
    for (char32_t c : work.characters)
        if (const int index = placed[c]; index >= 0) atlasFaces[static_cast<size_t>(index)].characters.push_back(c);
    for (AtlasFace& face : atlasFaces) std::sort(face.characters.begin(), face.characters.end());

    GrownAtlas grown;
    grown.atlas = BuildGlyphAtlas(work.base->data(), work.base->size(), work.pixels, atlasFaces);
    grown.pixels = work.pixels;
    grown.characters = work.characters.size();
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    grown.buildMs = static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    return grown;
}

}  // namespace kw
