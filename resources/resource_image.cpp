#include "resource_image.h"

#include <wx/log.h>
#include <wx/mstream.h>

#include "resources.h"

wxImage ResourceImage(const char *name) {
    wxImage image;
    const ResEntry *res = res_find(name);
    if (!res) return image;
    wxLogNull quiet;
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    wxMemoryInputStream in(res->data, res->size);
    image.LoadFile(in, wxBITMAP_TYPE_PNG);
    return image;
}
