// harvest.cpp — sessions through the recogniser; forked workers.
#include "harvest.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "ep.h"
#include "memdrv.h"
#include "nn.h"
#include "rec.h"
#include "rec_probe.h"

namespace {

constexpr int kJitterFrames = 2;
constexpr int kMaxJitterWord = 300;     // frames; longer words keep their own ends
constexpr double kCoverCore = 0.6;
constexpr double kFragmentCore = 0.35;
constexpr double kCoverDetection = 0.5;

struct HookCtx {
    const WindowSink *sink;
};

void frame_hook(void *ctx, const RecFrameInfo *info) {
    auto *h = static_cast<HookCtx *>(ctx);
    (*h->sink)(info->frame, info->window);
}

}  // namespace

std::vector<Detection> recognise_session(const Session &s, const std::vector<float> &net0,
                                         const std::vector<float> &net1, const WindowSink &windows,
                                         const PatternSink &patterns, int jitter, Rng *rng,
                                         std::string *error) {
    std::vector<Detection> found;
    int rc;
    if ((rc = nn_install_image(0, net0.data(), net0.size())) != 0 ||
        (rc = nn_install_image(1, net1.data(), net1.size())) != 0) {
        *error = "network image rejected (" + std::to_string(rc) + ")";
        return found;
    }
    memdrv_set_source(s.samples.data(), s.samples.size());
    int inst = rec_init(MEMDRV_DRIVER, "");
    if (inst < 0) { *error = "rec_init failed (" + std::to_string(inst) + ")"; return found; }
    HookCtx ctx{&windows};
    if (windows) rec_set_frame_hook(frame_hook, &ctx);
    rec_start(inst, 0);
    std::vector<float> buf(rec_params.patternValues);
    for (;;) {
        int cls = rec_listen(inst);
        if (cls < 0 && cls != -2) break;  // -4: the data ran out
        Detection d{0, 0, cls};
        if (rec_word_frames(inst, &d.first, &d.last) != 0) continue;
        found.push_back(d);
        if (cls < 0 || !patterns) continue;
        RecInstance *r = rec_instance(inst);
        patterns(d, r->word_pattern, false);
        int start = r->ep.word_start, end = r->ep.word_end;
        if (ep_word_frames(start, end) > kMaxJitterWord) continue;
        for (int j = 0; j < jitter; j++) {
            int ds = rng->below(2 * kJitterFrames + 1) - kJitterFrames;
            int de = rng->below(2 * kJitterFrames + 1) - kJitterFrames;
            if (ds == 0 && de == 0) continue;
            if (ep_word_frames(start, end) + de - ds < 4) continue;
            Detection dj{d.first + ds, d.last + de, cls};
            ep_make_pattern(r->frame_ring, r->peak_ring, (start + ds + REC_RING_FRAMES) % REC_RING_FRAMES,
                            (end + de + REC_RING_FRAMES) % REC_RING_FRAMES, &rec_params, buf.data());
            patterns(dj, buf.data(), true);
        }
    }
    rec_set_frame_hook(nullptr, nullptr);
    rec_stop(inst);
    rec_free(inst);
    return found;
}

int match_detection(const Session &s, const Detection &d, int *overlap) {
    int best = -1, bestOv = 0;
    for (size_t i = 0; i < s.placed.size(); i++) {
        const Placed &p = s.placed[i];
        if (p.firstFrame < 0) continue;
        int64_t ov = std::min<int64_t>(d.last, p.lastFrame) - std::max<int64_t>(d.first, p.firstFrame) + 1;
        if (ov > bestOv) { bestOv = (int)ov; best = (int)i; }
    }
    if (overlap) *overlap = bestOv;
    return best;
}

Coverage word_coverage(const Placed &p, const Detection &d, int overlap) {
    int core = p.coreLast - p.coreFirst + 1;
    if (core <= 0) return kNotWord;
    int64_t coreOv = std::min<int64_t>(d.last, p.coreLast) - std::max<int64_t>(d.first, p.coreFirst) + 1;
    int64_t det = d.last - d.first + 1;
    if (overlap < kCoverDetection * det) return kNotWord;
    if (coreOv >= kCoverCore * core) return kIsWord;
    return coreOv < kFragmentCore * core ? kNotWord : kAmbiguous;
}

std::string run_workers(int count, int workers, const std::string &workDir, int nIn,
                        const std::function<void(int, TrainSet *)> &work, TrainSet *out) {
    std::vector<pid_t> pids;
    for (int w = 0; w < workers; w++) {
        fflush(nullptr);
        pid_t pid = fork();
        if (pid < 0) return "fork failed";
        if (pid == 0) {
            TrainSet set;
            set.nIn = nIn;
            for (int i = w; i < count; i += workers) work(i, &set);
            _exit(train_set_write(workDir + "/part" + std::to_string(w) + ".bin", set) ? 0 : 1);
        }
        pids.push_back(pid);
    }
    std::string err;
    for (pid_t p : pids) {
        int st = 0;
        if (waitpid(p, &st, 0) < 0 || !WIFEXITED(st) || WEXITSTATUS(st) != 0) err = "a worker failed";
    }
    if (!err.empty()) return err;
    out->nIn = nIn;
    for (int w = 0; w < workers; w++) {
        std::string path = workDir + "/part" + std::to_string(w) + ".bin";
        bool ok = train_set_append(path, out);
        remove(path.c_str());
        if (!ok) return path + ": cannot read";
    }
    return "";
}
