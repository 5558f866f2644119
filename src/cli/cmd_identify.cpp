// identify FILE...: what each file is, as its name (and the size probe) says, one JSON line each;
// "satellite" and "kind" are null when the name does not say.

#include <cstdio>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/json.h"
#include "cli/cli.h"
#include "satfiles/identification.h"

namespace kestrel::cli {
namespace {

std::string JsonStringOrNull(std::string_view text) { return text.empty() ? "null" : JsonString(text); }

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
    const NameMeaning meaning = MeaningOfName(session.state.currentFilePath);
    std::printf(
        "{\"name\":%s,\"satellite\":%s,\"kind\":%s,\"fileWidth\":%u,\"fileHeight\":%u,"
        "\"fieldGap\":%u,\"headerLength\":%u,\"interlaced\":%s,\"thumbnail\":%s,"
        "\"spikeFilter\":%s,\"leftTrim\":%s,\"autoExposure\":%s,\"wideAngleTmsat\":%s}\n",
        JsonString(session.state.currentFilePath).c_str(),
        JsonStringOrNull(SatelliteName(meaning.satellite)).c_str(),
        JsonStringOrNull(FileKindName(meaning.kind)).c_str(), r.fileWidth, r.fileHeight,
        r.fieldGap, r.headerLength, JsonBool(r.interlaced), JsonBool(r.thumbnail),
        JsonBool(r.spikeFilter), JsonBool(r.leftTrim), JsonBool(r.autoExposure),
        JsonBool(r.wideAngleTmsat));
  }
  return status;
}

const Registrar kIdentify({"identify", "say what each file is, one JSON object a line",
                           DefineIdentify, RunIdentify});

}  // namespace
}  // namespace kestrel::cli
