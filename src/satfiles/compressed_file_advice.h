#pragma once
// The advice box that stops a compressed image file from being opened as a picture.

#include <string>

namespace kestrel {

struct Session;

// Upper-cases `name` in place. A name whose third character is "C" is a compressed image:
// shows the advice to open its thumbnail instead and returns false. Otherwise true.
bool CompressedFileAdvice(Session& session, std::string& name);

}  // namespace kestrel
