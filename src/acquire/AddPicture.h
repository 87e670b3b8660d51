#pragma once
// Adding picture files as pages.

#include <string>

class TDynaArray;

// Reads the picture file (format taken from its bytes) and appends it as the last page of
// `bilder`, whose records are `dib`; the array then owns the picture's memory. When the file
// cannot be read, the message sink shows the error icon with the caption
// "Fehler beim Öffnen von <file>!" and the library's reason as text, and nothing is added.
// Returns true when a page was added.
bool AddPicture_(TDynaArray& bilder, const std::string& fileName);

struct dib;
// The second half of AddPicture_, for a picture already read with OpenDib (on any thread): a
// picture with pixels is appended and owned by `bilder`; a failed read is reported as above.
bool AddReadPicture(TDynaArray& bilder, const std::string& fileName, dib& picture);

// Appends `picture` (with pixels) as the last page of `bilder`, which then owns its bitmap; the
// record becomes the current one. Without memory for the record the array has reported it, the
// bitmap is released and false returned.
bool AppendPage(TDynaArray& bilder, dib& picture);
