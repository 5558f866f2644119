#include "satfiles/compressed_file_advice.h"

#include "platform/files.h"
#include "session/session.h"

namespace kestrel {

bool CompressedFileAdvice(Session& session, std::string& name) {
  name = ToUpperAscii(name);
  constexpr size_t kKindPosition = 2;
  if (name.size() <= kKindPosition || name[kKindPosition] != 'C') return true;
  ShowMessage(session,
              "           This is a UoS Compressed File\n"
              "You must select the associated Thumb(T) File\n"
              "    to launch and decompress the Image File",
              "CCD Error");
  return false;
}

}  // namespace kestrel
