// identify FILE...: what each file is, as its name (and the size probe) says, one JSON line each.

#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "satfiles/identification.h"

namespace kestrel::cli {
namespace {

std::string JsonString(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      quoted += escaped;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

const char* JsonBool(bool flag) { return flag ? "true" : "false"; }

std::vector<std::string> files;

void DefineIdentify(CLI::App& app) {
  app.add_option("FILE", files, "camera files")->required();
}

int RunIdentify(Session& session) {
  int status = kExitSuccess;
  for (const std::string& file : files) {
    EnterFile(session, file);
    if (!IdentifyImageFile(session)) {
      status = kExitFailure;
      continue;
    }
    const IdentificationRecord& r = session.state.identification;
    std::printf(
        "{\"name\":%s,\"fileWidth\":%u,\"fileHeight\":%u,\"fieldGap\":%u,\"headerLength\":%u,"
        "\"interlaced\":%s,\"thumbnail\":%s,\"spikeFilter\":%s,\"leftTrim\":%s,"
        "\"autoExposure\":%s,\"wideAngleTmsat\":%s}\n",
        JsonString(session.state.currentFilePath).c_str(), r.fileWidth, r.fileHeight, r.fieldGap,
        r.headerLength, JsonBool(r.interlaced), JsonBool(r.thumbnail), JsonBool(r.spikeFilter),
        JsonBool(r.leftTrim), JsonBool(r.autoExposure), JsonBool(r.wideAngleTmsat));
  }
  return status;
}

const Registrar kIdentify({"identify", "say what each file is, one JSON object a line",
                           DefineIdentify, RunIdentify});

}  // namespace
}  // namespace kestrel::cli
