#include "stage/headless/headless_backend.h"

#include "stage/log.h"
#include "stage/sdl/software_canvas.h"

#include <algorithm>
#include <fstream>

namespace stage::headless {

namespace {

bool readable(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    return in.good();
}

Rect boundsOf(const Point* points, std::size_t n) {
    if (n == 0) {
        return {};
    }
    float minX = points[0].x, maxX = points[0].x, minY = points[0].y, maxY = points[0].y;
    for (std::size_t i = 1; i < n; ++i) {
        minX = std::min(minX, points[i].x);
        maxX = std::max(maxX, points[i].x);
        minY = std::min(minY, points[i].y);
        maxY = std::max(maxY, points[i].y);
    }
    return {minX, minY, maxX - minX, maxY - minY};
}

} // namespace

// --- RecordingAudio --------------------------------------------------------------------------------------

bool RecordingAudio::preloadMusic(const std::string& path) {
    const bool ok = readable(path);
    records_.push_back({SoundRecord::Kind::PreloadMusic, path, false, ok});
    if (!ok) {
        log(LogLevel::Error, "cannot load music " + path);
    }
    return ok;
}

bool RecordingAudio::playMusic(const std::string& path, bool loop) {
    const bool ok = readable(path);
    records_.push_back({SoundRecord::Kind::PlayMusic, path, loop, ok});
    if (!ok) {
        log(LogLevel::Error, "cannot play music " + path);
        return false;
    }
    currentMusic_ = path;
    musicPlaying_ = true;
    musicPaused_ = false;
    musicLoops_ = loop;
    return true;
}

void RecordingAudio::stopMusic(bool releaseData) {
    records_.push_back({SoundRecord::Kind::StopMusic, currentMusic_, releaseData, true});
    musicPlaying_ = false;
    musicPaused_ = false;
}

void RecordingAudio::pauseMusic() {
    records_.push_back({SoundRecord::Kind::PauseMusic, currentMusic_, false, true});
    musicPaused_ = musicPlaying_;
}

void RecordingAudio::resumeMusic() {
    records_.push_back({SoundRecord::Kind::ResumeMusic, currentMusic_, false, true});
    musicPaused_ = false;
}

bool RecordingAudio::preloadEffect(const std::string& path) {
    const bool ok = readable(path);
    records_.push_back({SoundRecord::Kind::PreloadEffect, path, false, ok});
    if (!ok) {
        log(LogLevel::Error, "cannot load effect " + path);
    }
    return ok;
}

unsigned RecordingAudio::playEffect(const std::string& path, bool loop) {
    const bool ok = readable(path);
    records_.push_back({SoundRecord::Kind::PlayEffect, path, loop, ok});
    if (!ok) {
        log(LogLevel::Error, "cannot play effect " + path);
        return 0;
    }
    const unsigned id = nextId_++;
    playing_.push_back(id);
    return id;
}

void RecordingAudio::stopEffect(unsigned id) {
    records_.push_back({SoundRecord::Kind::StopEffect, std::to_string(id), false, true});
    playing_.erase(std::remove(playing_.begin(), playing_.end(), id), playing_.end());
}

void RecordingAudio::stopAllEffects() {
    records_.push_back({SoundRecord::Kind::StopAllEffects, {}, false, true});
    playing_.clear();
}

void RecordingAudio::unloadEffect(const std::string& path) {
    records_.push_back({SoundRecord::Kind::UnloadEffect, path, false, true});
}

int RecordingAudio::musicPlays(const std::string& path) const {
    return int(std::count_if(records_.begin(), records_.end(), [&](const SoundRecord& r) {
        return r.kind == SoundRecord::Kind::PlayMusic && r.path == path && r.ok;
    }));
}

int RecordingAudio::effectPlays(const std::string& path) const {
    return int(std::count_if(records_.begin(), records_.end(), [&](const SoundRecord& r) {
        return r.kind == SoundRecord::Kind::PlayEffect && r.path == path && r.ok;
    }));
}

// --- Recorder: the renderer that records and draws through the software canvas ---------------------------

class HeadlessBackend::Recorder : public Renderer {
public:
    explicit Recorder(Size size) : size_(size), canvas_(int(size.width), int(size.height)) {
        if (!canvas_.ok()) {
            log(LogLevel::Error, "headless backend without pixels: " + canvas_.error());
        }
        maxTextureSize_ = canvas_.renderer().maxTextureSize();
        out_ = &canvas_.renderer();
    }

    Size outputSize() const override { return size_; }
    int maxTextureSize() const override { return maxTextureSize_; }

    TexturePtr loadTexture(const std::string& path, std::string& error) override {
        return canvas_.renderer().loadTexture(path, error);
    }
    TexturePtr createRenderTarget(int width, int height) override {
        return canvas_.renderer().createRenderTarget(width, height);
    }
    void setRenderTarget(const TexturePtr& target) override {
        onTarget_ = target != nullptr;
        canvas_.renderer().setRenderTarget(target);
    }
    void beginFrame() override {
        current_.clear();
        onTarget_ = false;
        canvas_.renderer().beginFrame();
    }
    void clear(Color4B color) override { canvas_.renderer().clear(color); }
    void fillRect(const Rect& rect, Color4B color) override { canvas_.renderer().fillRect(rect, color); }
    void setClipRect(const Rect* rect) override { canvas_.renderer().setClipRect(rect); }

    void drawTexture(const Texture& texture, const Rect& source, const Point (&corners)[4],
                     Color4B color) override {
        DrawRecord r;
        r.kind = DrawRecord::Kind::Texture;
        r.texture = texture.path();
        r.toRenderTarget = onTarget_;
        r.source = source;
        std::copy(std::begin(corners), std::end(corners), r.corners);
        r.bounds = boundsOf(corners, 4);
        r.color = color;
        r.vertexCount = 4;
        current_.push_back(r);
        canvas_.renderer().drawTexture(texture, source, corners, color);
    }

    void drawMesh(const Texture& texture, const std::vector<MeshVertex>& vertices,
                  const std::vector<int>& indices) override {
        DrawRecord r;
        r.kind = DrawRecord::Kind::Mesh;
        r.texture = texture.path();
        r.toRenderTarget = onTarget_;
        std::vector<Point> points;
        points.reserve(vertices.size());
        for (const auto& v : vertices) {
            points.push_back(v.position);
        }
        r.bounds = boundsOf(points.data(), points.size());
        r.vertexCount = vertices.size();
        current_.push_back(r);
        canvas_.renderer().drawMesh(texture, vertices, indices);
    }

    void endFrame() override {
        canvas_.renderer().endFrame();
        finishFrame();
    }
    // The canvas keeps its pixels, so frames may draw only what changed, as in a window.
    bool keepsFrame() const override { return canvas_.ok() && out_->keepsFrame(); }
    void endPartialFrame(const std::vector<Rect>& changed) override {
        canvas_.renderer().endPartialFrame(changed);
        finishFrame();
    }
    bool placesUprightOnWholePixels() const override {
        return canvas_.ok() && out_->placesUprightOnWholePixels();
    }

    const std::vector<DrawRecord>& draws() const { return current_.empty() ? last_ : current_; }
    int frames() const { return frames_; }
    sdl::SoftwareCanvas& canvas() { return canvas_; }
    void requestScreenshot(const std::string& path) { screenshot_ = path; }

private:
    void finishFrame() {
        last_.swap(current_);
        current_.clear();
        ++frames_;
        if (!screenshot_.empty()) {
            const std::string path = std::move(screenshot_);
            screenshot_.clear();
            if (!canvas_.savePng(path)) {
                log(LogLevel::Error, "cannot save the screenshot " + path);
            }
        }
    }

    Size size_;
    sdl::SoftwareCanvas canvas_;
    Renderer* out_ = nullptr;
    std::vector<DrawRecord> current_;
    std::vector<DrawRecord> last_;
    bool onTarget_ = false;
    int maxTextureSize_ = 0;
    int frames_ = 0;
    std::string screenshot_;
};

// --- HeadlessBackend -------------------------------------------------------------------------------------

HeadlessBackend::HeadlessBackend(Size windowPixels)
    : size_(windowPixels), recorder_(std::make_unique<Recorder>(windowPixels)) {}

HeadlessBackend::~HeadlessBackend() = default;

Renderer& HeadlessBackend::renderer() {
    return *recorder_;
}

void HeadlessBackend::pollEvents(std::vector<InputEvent>& out) {
    out.insert(out.end(), events_.begin(), events_.end());
    events_.clear();
}

bool HeadlessBackend::requestScreenshot(const std::string& pngPath) {
    recorder_->requestScreenshot(pngPath);
    return true;
}

const std::vector<DrawRecord>& HeadlessBackend::draws() const {
    return recorder_->draws();
}

std::vector<std::string> HeadlessBackend::drawnTextures() const {
    std::vector<std::string> paths;
    for (const auto& d : recorder_->draws()) {
        if (!d.toRenderTarget) {
            paths.push_back(d.texture);
        }
    }
    return paths;
}

int HeadlessBackend::framesDrawn() const {
    return recorder_->frames();
}

Image HeadlessBackend::frame() {
    return recorder_->canvas().capture();
}

bool HeadlessBackend::saveFrame(const std::string& pngPath) {
    return recorder_->canvas().savePng(pngPath);
}

} // namespace stage::headless
