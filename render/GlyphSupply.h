#pragma once
// Grows the window's font atlas with the characters its texts need and the embedded font lacks.
// Texts are noted on the window thread as they are set; the characters new to the window are
// looked up in the system's fonts (SystemFontFinder) and a whole new atlas is built on a thread
// of its own, to be taken and swapped in between two frames: the window never waits for a
// build. A user whose texts need nothing beyond the embedded font never starts the thread.

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "render/FontFileView.h"
#include "render/GlyphAtlasBuild.h"
#include "render/NotedCharacters.h"
#include "render/SystemFontFinder.h"

namespace kw {

struct GrownAtlas {
    AtlasPtr atlas;
    float pixels = 0.0f;
    size_t characters = 0;  // the noted characters it was built for (drawn, or no font has them)
    double buildMs = 0.0;   // looking the new ones up, reading the faces and building
};

class GlyphSupply {
public:
    GlyphSupply() = default;
    ~GlyphSupply();  // waits for a build in progress
    GlyphSupply(const GlyphSupply&) = delete;
    GlyphSupply& operator=(const GlyphSupply&) = delete;

    // Called on the builder's thread each time an atlas is ready to be taken (the window posts
    // itself a message, so that a frame draws with it). Set before the first Note.
    void SetReady(std::function<void()> ready);
    // The embedded font's bytes and the pixel size atlases are built at from now on. An atlas
    // built for an earlier size is never handed out; noted characters are built again.
    void SetBase(std::shared_ptr<const std::vector<unsigned char>> bytes, float pixels);
    // The characters of a text the window is about to show; new ones start a build (or join
    // the one asked for). Cheap for text the window has seen before.
    void Note(std::string_view utf8);
    // The newest atlas for the current size, once; nothing while none has finished since.
    std::optional<GrownAtlas> Take();
    // A build asked for and not yet taken (tests and the bench wait on it).
    bool Pending() const;

private:
    void Request();  // with `mutex` held
    void Run();
    struct Work;  // one build's inputs
    GrownAtlas Build(const Work& work);

    NotedCharacters noted;  // window thread only

    mutable std::mutex mutex;
    std::condition_variable wake;
    std::function<void()> ready;
    std::vector<char32_t> wanted;  // every noted character, in the order seen
    std::shared_ptr<const std::vector<unsigned char>> base;
    float pixels = 0.0f;
    uint64_t requested = 0;  // bumped for each new character or base
    uint64_t built = 0;      // the request the newest finished build answered
    std::optional<GrownAtlas> finished;
    bool stopping = false;
    std::thread builder;  // started by the first request

    // The builder thread's own: where each character was found (-1: no installed font has it),
    // the faces found so far and their mapped files.
    std::unique_ptr<SystemFontFinder> finder;
    std::unordered_map<char32_t, int> placed;
    std::vector<FontFaceFile> faces;
    std::map<std::wstring, std::shared_ptr<const FontFileView>> files;
};

}  // namespace kw
