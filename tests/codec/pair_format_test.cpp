#include "codec/pair_format.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(PairNames, DecoderNamesOfCameraThumbnails) {
  DecoderNames names = DecoderNamesFor("U5TW0123.CCD", false);
  EXPECT_EQ(names.compressed, "U5CW0123");
  EXPECT_EQ(names.decoded, "U5DW0123.CCD");
  // Without ".CCD" there is no compressed name; the decoded name gets the extension.
  names = DecoderNamesFor("KBTN0042", false);
  EXPECT_EQ(names.compressed, "");
  EXPECT_EQ(names.decoded, "KBDN0042.CCD");
  // A name that already holds "CCD" somewhere gets no second one.
  names = DecoderNamesFor("P1TWCCD1", false);
  EXPECT_EQ(names.decoded, "P1DWCCD1");
}

TEST(PairNames, DecoderNamesOfExtensionNamedThumbnails) {
  DecoderNames names = DecoderNamesFor("TM112345.IMT", false);
  EXPECT_EQ(names.compressed, "TM112345.IMC");
  EXPECT_EQ(names.decoded, "TM112345.IMI");
  // Second numbering: the compressed file carries '2' where the thumbnail has '1'.
  names = DecoderNamesFor("TM212345.IMT", true);
  EXPECT_EQ(names.compressed, "TM222345.IMC");
  EXPECT_EQ(names.decoded, "TM212345.IMI");
  names = DecoderNamesFor("FB110001.IMT", true);
  EXPECT_EQ(names.compressed, "FB120001.IMC");
  EXPECT_EQ(names.decoded, "FB110001.IMI");
}

TEST(PairNames, NamesTooShortForTheirPositionsNameNoFile) {
  EXPECT_EQ(DecoderNamesFor("TM1.IMT", false).compressed, "");
  EXPECT_EQ(DecoderNamesFor("TM1.IMT", false).decoded, "");
  EXPECT_EQ(DecoderNamesFor("A.CCD", false).compressed, "");
  EXPECT_EQ(CompressorNamesFor("TM1").thumbnail, "");
  EXPECT_EQ(CompressorNamesFor("ABC").compressed, "");
}

TEST(PairNames, CompressorNamesFollowTheSourceName) {
  CompressorNames names = CompressorNamesFor("U5DW0123.CCD");
  EXPECT_EQ(names.thumbnail, "U5TW0123.CCD");
  EXPECT_EQ(names.compressed, "U5CW0123");
  names = CompressorNamesFor("tm112345.imi");
  EXPECT_EQ(names.thumbnail, "TM112345.IMT");
  EXPECT_EQ(names.compressed, "TM112345.IMC");
  // "FB" sources are named like camera files when compressed.
  names = CompressorNamesFor("FB110001.IMI");
  EXPECT_EQ(names.thumbnail, "FBT10001.IMI");
  EXPECT_EQ(names.compressed, "FBC10001");
}

TEST(PairNames, CompressorOutputsDecodeBackToTheirOwnNames) {
  const CompressorNames written = CompressorNamesFor("KADW0001.CCD");
  const DecoderNames read = DecoderNamesFor(written.thumbnail, false);
  EXPECT_EQ(read.compressed, written.compressed);
  EXPECT_EQ(read.decoded, "KADW0001.CCD");
}

}  // namespace
}  // namespace kestrel
