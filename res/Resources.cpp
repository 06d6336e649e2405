#include "Resources.h"

#include <cstddef>

#include <wx/image.h>
#include <wx/mstream.h>

namespace resdata {
bool Find(int id, const unsigned char** data, std::size_t* size);
}

namespace {

void EnsurePngHandler() {
  static bool done = false;
  if (done) return;
  done = true;
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
}

wxImage LoadImage(int id) {
  const unsigned char* data = nullptr;
  std::size_t size = 0;
  if (!resdata::Find(id, &data, &size)) return wxImage();
  EnsurePngHandler();
  wxMemoryInputStream in(data, size);
  wxImage image;
  if (!image.LoadFile(in, wxBITMAP_TYPE_PNG)) return wxImage();
  return image;
}

} // namespace

wxBitmap LoadResourceBitmap(int id) {
  wxImage image = LoadImage(id);
  if (!image.IsOk()) return wxNullBitmap;
  return wxBitmap(image);
}

wxBitmap LoadResourceBitmap(int id, int size) {
  wxImage image = LoadImage(id);
  if (!image.IsOk() || size <= 0) return wxNullBitmap;
  if (image.GetWidth() != size || image.GetHeight() != size)
    image.Rescale(size, size, wxIMAGE_QUALITY_HIGH);
  return wxBitmap(image);
}

wxIcon LoadResourceIcon(int id, int size) {
  wxBitmap bitmap = LoadResourceBitmap(id, size);
  if (!bitmap.IsOk()) return wxNullIcon;
  wxIcon icon;
  icon.CopyFromBitmap(bitmap);
  return icon;
}
