// memdrv.cpp — serves a caller's sample buffer, then a second of silence.
#include "memdrv.h"

#include "snd.h"

#include <cstring>

namespace {

struct MemDevice {
    bool used;
    const int16_t *samples;
    std::size_t count;     // samples of data
    std::size_t position;  // samples served, data and silence
};

MemDevice devices[SND_MAX_HANDLES];
const int16_t *pending = nullptr;
std::size_t pending_count = 0;
bool pending_set = false;

}  // namespace

void memdrv_set_source(const int16_t *samples, std::size_t count) {
    pending = samples;
    pending_count = samples ? count : 0;
    pending_set = samples != nullptr;
}

int memdrv_open(void **handle, unsigned, int, const char *) {
    if (!pending_set) return -20;
    for (MemDevice &d : devices) {
        if (d.used) continue;
        d = MemDevice{true, pending, pending_count, 0};
        pending = nullptr;
        pending_count = 0;
        pending_set = false;
        *handle = &d;
        return 0;
    }
    return -20;
}

int memdrv_close(void *handle) {
    if (!handle) return -1;
    static_cast<MemDevice *>(handle)->used = false;
    return 0;
}

int memdrv_start(void *handle) { return handle ? 0 : -1; }
int memdrv_stop(void *) { return 0; }

int memdrv_read(void *handle, void *buffer, int bytes) {
    if (!handle || bytes < 0) return -1;
    MemDevice &d = *static_cast<MemDevice *>(handle);
    const std::size_t total = d.count + MEMDRV_TAIL_SAMPLES;
    std::size_t want = static_cast<std::size_t>(bytes) / sizeof(int16_t);
    if (want > total - d.position) want = total - d.position;
    int16_t *out = static_cast<int16_t *>(buffer);
    std::size_t data = d.position < d.count ? d.count - d.position : 0;
    if (data > want) data = want;
    if (data) std::memcpy(out, d.samples + d.position, data * sizeof(int16_t));
    std::memset(out + data, 0, (want - data) * sizeof(int16_t));
    d.position += want;
    return static_cast<int>(want * sizeof(int16_t));
}
