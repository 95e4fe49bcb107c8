// resources.h — data compiled into the executable.
//
// Every file under resources/images, resources/prompts and resources/networks
// is linked into the program by the build (see EmbedResources.cmake), so the
// game needs no data files at run time and runs from any directory.
//
// A resource is named by its file name, extension included ("b323210.png",
// "m_szia.wav", "net0.f32"). Lookup ignores ASCII case, so "M_SZIA.WAV" finds
// "m_szia.wav". The data is read-only and lives for the whole run.
#pragma once

#include <cstddef>

struct ResEntry {
    const char *name;           // file name as committed
    const unsigned char *data;  // first byte, aligned to 16
    std::size_t size;           // bytes
};

// The resource called name (case ignored), or nullptr when there is none.
const ResEntry *res_find(const char *name);

// All resources, for listing: index 0 .. res_count() - 1.
int res_count();
const ResEntry *res_at(int index);
