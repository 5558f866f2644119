#include "codec/pair_format.h"

#include "platform/files.h"

namespace kestrel {
namespace {

// Ordinal character positions in an 8.3 name (the first character is 1).
constexpr size_t kKindPosition = 3;       // "T", "C" or "D" in names without extension naming
constexpr size_t kNumberingPosition = 4;  // "1" thumbnail, "2" compressed in the second numbering
constexpr size_t kExtensionKindPosition = 12;  // last character of ".IMT", ".IMC", ".IMI"

constexpr std::string_view kCcdExtension = ".CCD";
constexpr size_t kLongestExtension = 4;  // a dot and three characters

// `name` with the character at an ordinal position replaced; empty when the name is too short
// to have that position, so that it names no file.
std::string WithCharacter(std::string name, size_t position, char c) {
  if (name.size() < position) return {};
  name[position - 1] = c;
  return name;
}

// `name` less its extension (a dot and at most three characters at its end), if it has one:
// a picture saved without an extension ends in its number.
std::string WithoutExtension(std::string_view name) {
  const size_t dot = name.rfind('.');
  const bool extension = dot != std::string_view::npos && name.size() - dot <= kLongestExtension;
  return std::string(extension ? name.substr(0, dot) : name);
}

// The compressed file of a thumbnail or source name whose third character tells the kinds apart.
std::string CompressedNameFor(std::string_view name) {
  return WithCharacter(WithoutExtension(name), kKindPosition, 'C');
}

}  // namespace

bool UsesExtensionNaming(std::string_view name) {
  return name.starts_with("TM") || name.starts_with("FB");
}

DecoderNames DecoderNamesFor(std::string_view thumbnailName, bool secondNumbering) {
  const std::string name(thumbnailName);
  DecoderNames names;
  if (UsesExtensionNaming(name)) {
    names.compressed = WithCharacter(name, kExtensionKindPosition, 'C');
    if (secondNumbering)
      names.compressed = WithCharacter(names.compressed, kNumberingPosition, '2');
    names.decoded = WithCharacter(name, kExtensionKindPosition, 'I');
    return names;
  }
  names.compressed = CompressedNameFor(name);
  const bool hasCcd = name.find("CCD") != std::string::npos;
  names.decoded =
      WithCharacter(hasCcd ? name : name + std::string(kCcdExtension), kKindPosition, 'D');
  return names;
}

CompressorNames CompressorNamesFor(std::string_view sourceName) {
  const std::string name = ToUpperAscii(sourceName);
  CompressorNames names;
  if (name.starts_with("TM")) {
    names.thumbnail = WithCharacter(name, kExtensionKindPosition, 'T');
    names.compressed = WithCharacter(name, kExtensionKindPosition, 'C');
    return names;
  }
  names.thumbnail = WithCharacter(name, kKindPosition, 'T');
  names.compressed = CompressedNameFor(name);
  return names;
}

}  // namespace kestrel
