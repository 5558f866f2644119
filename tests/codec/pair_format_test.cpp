#include "codec/pair_format.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(PairNames, DecoderNamesOfThumbnails) {
  struct Case {
    const char* thumbnail;
    bool secondNumbering;
    const char* compressed;
    const char* decoded;
  };
  const Case cases[] = {
      {"U5TW0123.CCD", false, "U5CW0123", "U5DW0123.CCD"},
      {"KBTN0042", false, "", "KBDN0042.CCD"},  // no ".CCD": no compressed name
      {"P1TWCCD1", false, "", "P1DWCCD1"},      // "CCD" already in the name
      {"TM112345.IMT", false, "TM112345.IMC", "TM112345.IMI"},
      // Second numbering: the compressed file carries '2' where the thumbnail has '1'.
      {"TM212345.IMT", true, "TM222345.IMC", "TM212345.IMI"},
      {"FB110001.IMT", true, "FB120001.IMC", "FB110001.IMI"},
      {"TM1.IMT", false, "", ""},  // too short for its positions
  };
  for (const Case& c : cases) {
    const DecoderNames names = DecoderNamesFor(c.thumbnail, c.secondNumbering);
    EXPECT_EQ(names.compressed, c.compressed) << c.thumbnail;
    EXPECT_EQ(names.decoded, c.decoded) << c.thumbnail;
  }
  EXPECT_EQ(DecoderNamesFor("A.CCD", false).compressed, "");
  EXPECT_EQ(CompressorNamesFor("TM1").thumbnail, "");
  EXPECT_EQ(CompressorNamesFor("ABC").compressed, "");
}

TEST(PairNames, CompressorNamesFollowTheSourceName) {
  struct Case {
    const char* source;
    const char* thumbnail;
    const char* compressed;
  };
  const Case cases[] = {
      {"U5DW0123.CCD", "U5TW0123.CCD", "U5CW0123"},
      {"tm112345.imi", "TM112345.IMT", "TM112345.IMC"},
      {"FB110001.IMI", "FBT10001.IMI", "FBC10001"},  // named like camera files
  };
  for (const Case& c : cases) {
    const CompressorNames names = CompressorNamesFor(c.source);
    EXPECT_EQ(names.thumbnail, c.thumbnail) << c.source;
    EXPECT_EQ(names.compressed, c.compressed) << c.source;
  }
}

}  // namespace
}  // namespace kestrel
