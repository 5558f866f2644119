#pragma once
// How the process keeps the memory of pictures it has let go.

namespace kestrel {

// Keeps freed blocks for the next picture instead of handing them back to the system at once.
// Pictures of a few megabytes are opened one after another, often on several threads (the
// gallery, batches): with the C library's defaults each comes fresh from the system and is
// zeroed page by page, which costs more than opening the picture.
void KeepFreedPictureMemory();

}  // namespace kestrel
