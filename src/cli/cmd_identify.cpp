// identify FILE...: what each file is, as its name (and the size probe) says, one JSON line each;
// "satellite" and "kind" are null when the name does not say.

#include <cstdio>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "satfiles/identification.h"

namespace kestrel::cli {
namespace {

// Bytes of the whole UTF-8 sequence starting at `text[at]`: 1 to 4, or 0 when there is none
// (a stray continuation byte, an overlong form, a surrogate, beyond U+10FFFF, or cut short).
size_t Utf8SequenceLength(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  const size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                       : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i)
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
  const unsigned char second = byte(at + 1);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
    return 0;
  return length;
}

// A file name as a JSON string. Names are bytes: one that is not part of valid UTF-8 becomes
// the character of its Latin-1 reading (\u00XX), so that every name gives valid JSON and an
// ASCII or UTF-8 name reads back unchanged.
std::string JsonString(std::string_view text) {
  std::string quoted = "\"";
  for (size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    const size_t length = Utf8SequenceLength(text, at);
    if (byte == '"' || byte == '\\') {
      quoted += '\\';
      quoted += text[at];
    } else if (byte < 0x20 || byte == 0x7F || length == 0) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      quoted += escaped;
    } else {
      quoted += text.substr(at, length);
      at += length;
      continue;
    }
    ++at;
  }
  return quoted + "\"";
}

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
