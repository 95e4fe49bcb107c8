// resource_image.h — pictures among the embedded resources, for wx code.
#pragma once

#include <wx/image.h>

// The PNG resource called name (case ignored) as an image; an invalid image
// (IsOk() false) when there is no such resource or it does not decode.
// Registers the PNG handler if nobody has yet. Logs nothing.
wxImage ResourceImage(const char *name);
