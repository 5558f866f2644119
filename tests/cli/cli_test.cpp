// kestrel-cli as a user meets it: help, version and usage errors with their exit statuses; an
// output that is an input refused before anything is written; a failed save says why; camera
// files converted, previewed and cleaned; every depth it writes read back by another program's
// reader (ImageMagick); pictures improved as the menu commands improve them, the frames of a
// video, a compressed colour set, and the report of where a picture was taken.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <regex>
#include <tuple>

#include "bitmap/dib.h"
#include "dib_builders.h"
#include "location/two_line_elements.h"
#include "location/where_fixture.h"
#include "test_support.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using namespace kestrel::testing;

struct ProcessResult {
  int exitCode = -1;
  std::string out, err;
};

// Runs a program through the shell, every word quoted, and captures its exit status and output.
ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const fs::path& workingDirectory = {}) {
  const auto quote = [](std::string word) {
    for (size_t at = 0; (at = word.find('\'', at)) != std::string::npos; at += 4) word.replace(at, 1, "'\\''");
    return "'" + word + "'";
  };
  std::string command = workingDirectory.empty() ? "" : "cd " + quote(workingDirectory) + " && ";
  command += quote(program);
  for (const auto& arg : args) command += " " + quote(arg);
  // stdout and stderr go to files so that neither pipe can fill up and stall the child.
  const ScratchDir capture;
  const int status = std::system((command + " >" + quote(capture / "out") + " 2>" + quote(capture / "err")).c_str());
  ProcessResult result;
  result.exitCode = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  for (auto [name, text] : {std::pair{"out", &result.out}, std::pair{"err", &result.err}}) {
    const Bytes bytes = ReadBytes(capture / name);
    text->assign(bytes.begin(), bytes.end());
  }
  return result;
}

ProcessResult Cli(const ScratchDir& dir, const std::vector<std::string>& args) {
  return RunProgram(KESTREL_CLI_PATH, args, dir.path());
}

// A 24-bit bitmap file of `colour(x, y)`, 0xRRGGBB from the top row.
Bytes BitmapFile(int width, int height, const std::function<uint32_t(int, int)>& colour) {
  return WithFileHeader(MakeDib(width, height, 24, {}, colour), 54);
}

// The packed DIB behind a bitmap file's 14-byte header.
Bytes Dib(const fs::path& bmp) {
  const Bytes file = ReadBytes(bmp);
  EXPECT_EQ(LoadU32(file.data() + 2), file.size());
  return Bytes(file.begin() + 14, file.end());
}

TEST(CliUsage, HelpVersionAndUsageErrors) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string out;  // a pattern the whole of stdout matches
  };
  std::vector<Case> cases = {
      {{"--version"}, 0, R"(\d+\.\d+\.\d+\n)"},
      {{}, 2, ""}, {{"frobnicate"}, 2, ""}, {{"convert", "a.bmp"}, 2, ""},  // no -o
      {{"convert", "a.bmp", "-o", "b.bmp", "--bits", "16"}, 2, ""}, {{"convert", "a.bmp", "-o", "b.bmp", "--exposure", "300"}, 2, ""},
      {{"convert", "a.bmp", "-o", "b.bmp", "--sharpen", "blur"}, 2, ""}, {{"act", "a", "--preset", "hubble", "-o", "b.bmp"}, 2, ""},
      {{"identify"}, 2, ""}, {{"where"}, 2, ""}, {{"where", "A", "B"}, 2, ""}, {{"where", "A", "--kep"}, 2, ""},
      {{"--cancel", "identify", "a", "--cancel"}, 1, ""},  // accepted before and after
      {{"convert", "a.bmp", "b.bmp", "-o", "c.bmp"}, 2, ""}, {{"convert", "a.bmp", "-o", "c.jpg"}, 2, ""},
      {{"act", "a", "--preset", "uosat", "--format", "png"}, 2, ""}, {{"convert", "a", "-o", "b.bmp", "--outdir", "d"}, 2, ""},
      {{"convert", "a", "--outdir", "d", "-j", "0"}, 2, ""}, {{"thumbnail", "a"}, 2, ""}, {{"thumbnail", "a", "b.bmp"}, 2, ""},
      {{"thumbnail", "a", "--outdir", "d", "--format", "bmp"}, 2, ""},
  };
  std::string listing = "(.|\\n)*";
  for (const std::string sub : {"act", "clean", "compress", "convert", "decompress", "identify", "map", "thumbnail", "track", "video", "where"}) {
    listing += "\\n  " + sub + " +[a-z].*";  // each with its one-line description
    cases.push_back({{sub, "--help"}, 0, "(.|\\n)*Usage: kestrel-cli " + sub + " (.|\\n)*"});
  }
  cases.push_back({{"--help"}, 0, listing + "\\n(.|\\n)*"});

  for (const Case& c : cases) {
    const auto run = RunProgram(KESTREL_CLI_PATH, c.args);
    std::string words;
    for (const auto& arg : c.args) words += arg + " ";
    EXPECT_EQ(run.exitCode, c.exitCode) << words << run.err;
    EXPECT_TRUE(std::regex_match(run.out, std::regex(c.out))) << words << run.out;
    EXPECT_EQ(run.err.empty(), c.exitCode == 0) << words << run.err;
  }
}

TEST(CliOutputOntoInput, IsRefusedInEveryWritingSubcommand) {
  const Bytes bitmap = BitmapFile(8, 4, [](int x, int) { return uint32_t(x) * 0x10101u; });
  struct Case {
    std::string input;
    std::vector<std::string> args;  // "OUT" stands for each output in turn
    std::vector<std::string> outs;  // LINK.bmp is a hard link to the input
  };
  const std::vector<Case> cases = {
      {"IN.BMP", {"convert", "in.bmp", "-o", "OUT"}, {"./IN.BMP", "LINK.bmp"}},
      {"U5IW0021.ACT", {"act", "u5iw0021.act", "--preset", "uosat", "-o", "OUT"}, {"LINK.bmp"}},
      {"U5IW0001", {"clean", "u5iw0001", "-o", "OUT"}, {"./U5IW0001", "LINK.bmp"}},
      {"U5TW0004", {"decompress", "u5tw0004", "-o", "OUT"}, {"LINK.bmp"}},
      {"in.bmp", {"convert", "in.bmp", "--outdir", "OUT"}, {"."}},  // a batch's ./in.bmp
  };
  for (const Case& c : cases)
    for (const std::string& out : c.outs) {
      ScratchDir dir;
      WriteBytes(dir / c.input, bitmap);
      fs::create_hard_link(dir / c.input, dir / "LINK.bmp");
      std::vector<std::string> args = c.args;
      std::replace(args.begin(), args.end(), std::string("OUT"), out);
      const auto run = Cli(dir, args);
      EXPECT_EQ(run.exitCode, 1) << args[0] << " -o " << out;
      EXPECT_NE(run.err.find("is the input file"), std::string::npos) << run.err;
      EXPECT_EQ(ReadBytes(dir / c.input), bitmap) << args[0] << " -o " << out;
    }

  // compress names its outputs after its input: a thumbnail name that is the input is refused.
  ScratchDir dir;
  WriteBytes(dir / "U5DW0004", bitmap);
  fs::create_hard_link(dir / "U5DW0004", dir / "U5TW0004");
  const auto run = RunProgram(KESTREL_CLI_PATH, {"compress", (dir / "u5dw0004").string()});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "kestrel-cli: " + (dir / "U5TW0004").string() + ": is the input file " +
                         (dir / "U5DW0004").string() + "; nothing written\n");
  EXPECT_EQ(ReadBytes(dir / "U5DW0004"), bitmap);
}

TEST(CliFailedSave, NamesTheFileAndTheReasonAndLeavesNothingBehind) {
  const std::pair<std::string, std::string> cases[] = {  // output, reason
      {"missing/OUT.BMP", "No such file or directory"},
      {"folder.bmp", "Is a directory"},
      {"readonly/OUT.PNG", "Permission denied"},
      {"o.bmp", ""}};  // a bad input: nothing to save
  for (const auto& [output, reason] : cases) {
    if (output.starts_with("readonly") && ::geteuid() == 0) continue;  // root writes anyway
    ScratchDir dir;
    WriteBytes(dir / "IN.BMP", reason.empty() ? Bytes{'B', 'M', 0, 0} : BitmapFile(5, 3, [](int, int) { return 7u; }));
    fs::create_directory(dir / "folder.bmp");
    fs::create_directory(dir / "readonly");
    fs::permissions(dir / "readonly", fs::perms::owner_read | fs::perms::owner_exec);
    const auto run = Cli(dir, {"convert", "in.bmp", "-o", output});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, reason.empty() ? "[Error] IN.BMP is not a Legitimate DIB File!\n"
                                      : "[Error] Unable to save the specified file\nkestrel-cli: " +
                                            (dir / output).string() + ": " + reason + "\n");
    size_t entries = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) entries += !entry.is_directory();
    EXPECT_EQ(entries, 1u) << "a temporary file was left behind saving to " << output;
  }
}

TEST(CliSatelliteFiles, ConvertsPreviewsAndCleansOrSaysWhyNotAndWritesNothing) {
  ScratchDir dir;
  WriteBytes(dir / "kbe00001", Bytes(611 * 576, 90));
  Bytes download(95, 0);
  download.resize(95 + 511 * 502, 120);
  WriteBytes(dir / "pass.act", download);
  WriteBytes(dir / "TM400001.IMI", Bytes(1000, 9));
  Bytes raw(108 + 3 * 109);  // a header, then one block three times
  for (size_t i = 108; i < raw.size(); ++i) raw[i] = static_cast<uint8_t>((i - 108) % 109);
  WriteBytes(dir / "u5iw0001", raw);
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string err;
    int32_t width = 0, height = 0;  // of the bitmap written
  };
  const Case cases[] = {
      {{"convert", "kbe00001", "-o", "out.bmp"}, 0, "", 612, 576},
      {{"act", "pass.act", "--preset", "kbiw", "-o", "out.bmp"}, 0, "", 512, 500},
      {{"convert", "TM400001.IMI", "-o", "out.png"}, 1, "kestrel-cli: TM400001.IMI is a video file: use video\n"},
      {{"clean", "u5iw0002"}, 1, "[Error] Can't open file U5IW0002\n"}, {{"clean", "u5iw0001"}, 0, ""},
      {{"clean", "u5iw0001.ccd"}, 1, "kestrel-cli: U5IW0001.CCD is a cleaned copy already; nothing written (-o names another output)\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    const auto run = Cli(dir, c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_EQ(std::tie(run.err, run.out), std::tuple(c.err, ""));
    if (!c.width) continue;
    const auto header = *LoadInfoHeader(Dib(dir / "out.bmp"));
    EXPECT_EQ(std::tuple(header.biWidth, header.biHeight, header.biBitCount), std::tuple(c.width, c.height, 8));
  }
  EXPECT_FALSE(fs::exists(dir / "out.png"));
  // The cleaned copy takes the upper-case name beside the raw file.
  EXPECT_EQ(ReadBytes(dir / "U5IW0001.CCD"), Bytes(raw.begin(), raw.begin() + 108 + 109));
  EXPECT_FALSE(fs::exists(dir / "U5IW0001.CCD.CCD"));
}

TEST(CliConvert, EveryDepthCompressionAndPngReadsBackInImageMagick) {
  ScratchDir dir;
  // Sixteen colours fit every depth from 4 bits up; two colours fit 1 bit.
  const auto sixteen = [](int x, int y) {
    const uint32_t i = uint32_t(x / 3 + y) % 16;
    return (i * 16) << 16 | (255 - i * 9) << 8 | (i * 5);
  };
  const auto two = [](int x, int y) { return (x * y) % 3 ? 0xF0E0D0u : 0x102030u; };
  const int width = 37, height = 11;  // odd sizes exercise row padding
  WriteBytes(dir / "SIXTEEN.BMP", BitmapFile(width, height, sixteen));
  WriteBytes(dir / "TWO.BMP", BitmapFile(width, height, two));
  // Grey levels through a table that runs backwards: the PNG holds the levels, not the indices.
  std::vector<Colour> backwards;
  for (int i = 255; i >= 0; --i) backwards.push_back({uint8_t(i), uint8_t(i), uint8_t(i)});
  const auto level = [](int x, int y) { return uint32_t(x * 7 + y * 3) % 256; };
  WriteBytes(dir / "GREY.BMP", WithFileHeader(MakeDib(width, height, 8, backwards, level), 54 + 1024));
  const auto grey = [&](int x, int y) { return (255 - level(x, y)) * 0x10101u; };
  struct Case {
    const char *source, *output;
    std::vector<std::string> options;
    std::function<uint32_t(int, int)> colour;
  };
  const Case cases[] = {
      {"SIXTEEN.BMP", "OUT.BMP", {"--bits", "24"}, sixteen}, {"SIXTEEN.BMP", "OUT.BMP", {"--bits", "8"}, sixteen},
      {"SIXTEEN.BMP", "OUT.BMP", {"--bits", "4"}, sixteen},  {"SIXTEEN.BMP", "OUT.BMP", {"--bits", "8", "--rle"}, sixteen},
      {"SIXTEEN.BMP", "OUT.BMP", {"--bits", "4", "--rle"}, sixteen}, {"TWO.BMP", "OUT.BMP", {"--bits", "1"}, two},
      {"SIXTEEN.BMP", "out.png", {}, sixteen}, {"GREY.BMP", "grey.PNG", {"--bits", "8"}, grey}};
  for (const Case& c : cases) {
    std::vector<std::string> args = {"convert", c.source, "-o", c.output};
    args.insert(args.end(), c.options.begin(), c.options.end());
    SCOPED_TRACE(::testing::PrintToString(args));
    const auto run = Cli(dir, args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    // Pixels as ImageMagick reads them: top row first, red, green, blue.
    const auto read = RunProgram("/usr/bin/convert", {(dir / c.output).string(), "-depth", "8", "rgb:" + (dir / "pixels.rgb").string()});
    ASSERT_EQ(read.exitCode, 0) << read.err;
    Bytes expected;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const uint32_t colour = c.colour(x, y);
        expected.insert(expected.end(), {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)});
      }
    EXPECT_EQ(ReadBytes(dir / "pixels.rgb"), expected);
  }
  EXPECT_EQ(ReadBytes(dir / "grey.PNG")[25], 0);  // the colour type: greyscale
  EXPECT_EQ(ReadBytes(dir / "out.png")[25], 2);   // RGB
}

TEST(CliBatch, ConvertsEachFileReportsEachFailureAndSumsUp) {
  ScratchDir dir;
  const Bytes bitmap = BitmapFile(6, 2, [](int x, int) { return uint32_t(x) * 0x102030u; });
  for (const char* name : {"A.BMP", "B.RLE", "sub/A.DIB"}) {
    fs::create_directories((dir / name).parent_path());
    WriteBytes(dir / name, bitmap);
  }
  WriteBytes(dir / "BAD.BMP", Bytes{'B', 'M'});
  const auto run = Cli(dir, {"convert", "A.BMP", "BAD.BMP", "sub/A.DIB", "B.RLE", "--outdir", "out", "--format", "png"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "[Error] BAD.BMP is not a Legitimate DIB File!\nkestrel-cli: BAD.BMP: not converted\n"
                     "kestrel-cli: sub/A.DIB: not converted: " + (dir / "out/A.png").string() +
                     " is an earlier file's output\n2 of 4 converted\n");  // no progress line off a terminal
  for (const char* name : {"out/A.png", "out/B.png"}) EXPECT_EQ(ReadBytes(dir / name).size() > 8, true) << name;
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), {}), 2);

  WriteBytes(dir / "TM500001.IMI", Bytes(3 * 144 * 144 + 100, 0));
  const auto frames = Cli(dir, {"video", "TM500001.IMI", "A.BMP", "--outdir", "."});
  EXPECT_EQ(std::tie(frames.exitCode, frames.err), std::tuple(1, "kestrel-cli: A.BMP is not a TMSAT video file (TM4..., TM5...)\n"
                                                                   "kestrel-cli: A.BMP: not converted\n1 of 2 converted\n"));
  EXPECT_TRUE(fs::exists(dir / "TM500001-02.bmp"));
}

TEST(CliBatch, ManyJobsWriteTheSameFilesAndSayTheSameInTheSameOrderAsOne) {
  ScratchDir dir;
  const Bytes bitmap = BitmapFile(6, 2, [](int x, int) { return uint32_t(x) * 0x102030u; });
  for (const char* name : {"A.BMP", "B.RLE", "sub/A.DIB", "C.BMP"}) {
    fs::create_directories((dir / name).parent_path());
    WriteBytes(dir / name, bitmap);
  }
  WriteBytes(dir / "BAD.BMP", Bytes{'B', 'M'});
  Bytes camera(256 + 608 * 576, 90);
  std::fill_n(camera.begin(), 256, 0);
  WriteBytes(dir / "U5DW0001", camera);
  WriteBytes(dir / "U5DW0002", Bytes(5000, 1));  // cut short
  ASSERT_EQ(Cli(dir, {"compress", "U5DW0001"}).exitCode, 0);
  // Every spelling of one thumbnail decodes to the one transit file U5DW0001.CCD.
  const std::pair<std::vector<std::string>, size_t> batches[] = {  // the arguments, the files written
      {{"convert", "A.BMP", "BAD.BMP", "sub/A.DIB", "B.RLE", "U5DW0001", "U5DW0002", "C.BMP", "--format", "png"}, 5},
      {{"thumbnail", "A.BMP", "BAD.BMP", "sub/A.DIB", "U5DW0001", "U5DW0002", "C.BMP", "--size", "5"}, 4},
      {{"decompress", "U5TW0001", "BAD.BMP", "u5tw0001", "U5tw0001", "u5TW0001", "U5TW0001", "U5TW0002"}, 4}};
  using Outcome = std::tuple<int, std::string, std::map<std::string, Bytes>>;
  for (const auto& [batch, written] : batches) {
    std::map<std::string, Outcome> outcomes;
    for (const std::string jobs : {"1", "4"}) {
      std::vector<std::string> args = batch;
      args.insert(args.end(), {"--outdir", "out", "-j", jobs});
      const auto run = Cli(dir, args);
      std::map<std::string, Bytes> files;
      for (const auto& entry : fs::directory_iterator(dir / "out")) files[entry.path().filename()] = ReadBytes(entry);
      fs::remove_all(dir / "out");
      outcomes[jobs] = {run.exitCode, run.err, files};
    }
    EXPECT_EQ(outcomes["4"], outcomes["1"]) << batch[0] << ":\n" << std::get<1>(outcomes["1"]) << std::get<1>(outcomes["4"]);
    EXPECT_EQ(std::get<2>(outcomes["1"]).size(), written) << batch[0];
  }
  EXPECT_FALSE(fs::exists(dir / "U5DW0001.CCD"));
}

TEST(CliIdentify, SaysSatelliteAndKindAndWritesEveryNameAsValidJson) {
  ScratchDir dir;
  const std::pair<std::string, std::string> cases[] = {  // file name, JSON from "name" to "kind"
      {"u5iw0123", R"("U5IW0123","satellite":"UoSat-5","kind":"wide-angle image")"},
      {"KBIN0042", R"("KBIN0042","satellite":"KITSAT-2","kind":"narrow-angle image")"},
      {"TM112345.IMT", R"("TM112345.IMT","satellite":"TMSAT-1","kind":"thumbnail")"},
      {"TM212345.IMC", R"("TM212345.IMC","satellite":"TMSAT-1","kind":"compressed image")"},
      {"TM500001.IMI", R"("TM500001.IMI","satellite":"TMSAT-1","kind":"video")"},
      {"pass.act", R"("PASS.ACT","satellite":null,"kind":"raw download")"},
      // Quotes, backslashes and control characters escaped; a byte that is not UTF-8 as its
      // Latin-1 character; UTF-8 kept as it is.
      {"a\"b\\c\x01\xff\xc3\xa9", R"("A\"B\\C\u0001\u00ff)" "\xc3\xa9" R"(","satellite":null,"kind":null)"}};
  for (const auto& [name, json] : cases) {
    WriteBytes(dir / name, Bytes(16));
    const auto run = Cli(dir, {"identify", name});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.out.starts_with("{\"name\":" + json + ",\"fileWidth\":")) << run.out;
  }
}

TEST(CliImprove, ColourSetsTurnsExposureAndSharpening) {
  ScratchDir dir;
  // A grey U5DW picture (608 x 576, sequential) with a ramp across it.
  Bytes grey(256 + 608 * 576);
  for (size_t i = 256; i < grey.size(); ++i) grey[i] = static_cast<uint8_t>((i - 256) % 608 / 3);
  WriteBytes(dir / "U5DW0001.CCD", grey);
  for (char plane : {'1', '2', '3'}) WriteBytes(dir / (std::string("TM") + plane + "00001.IMI"), Bytes(1020 * 1020, 90));

  const auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), "convert");
    args.insert(args.end(), {"-o", "OUT.BMP"});
    return Cli(dir, args).exitCode;
  };
  ASSERT_EQ(run({"TM100001.IMI"}), 0);
  EXPECT_EQ(LoadInfoHeader(Dib(dir / "OUT.BMP"))->biWidth, 1220);
  EXPECT_EQ(run({"TM100001.IMI", "--exposure", "40"}), 2);  // levels are for grey pictures
  EXPECT_EQ(run({"TM100001.IMI", "--rotate", "cw", "--sharpen", "preview"}), 0);

  ASSERT_EQ(run({"U5DW0001.CCD"}), 0);
  const Bytes plain = Dib(dir / "OUT.BMP");
  ASSERT_EQ(run({"U5DW0001.CCD", "--rotate", "cw"}), 0);
  const auto turned = *LoadInfoHeader(Dib(dir / "OUT.BMP"));
  EXPECT_EQ(std::pair(turned.biWidth, turned.biHeight), std::pair(576, 608));
  ASSERT_EQ(run({"U5DW0001.CCD", "--rotate", "cw", "--rotate", "ccw"}), 0);
  EXPECT_EQ(Dib(dir / "OUT.BMP"), plain);  // turned back: as loaded
  ASSERT_EQ(run({"U5DW0001.CCD", "--exposure", "128"}), 0);
  const Bytes neutral = Dib(dir / "OUT.BMP");
  EXPECT_EQ(Bytes(neutral.begin() + 40 + 4 * 200, neutral.begin() + 40 + 4 * 201), (Bytes{200, 200, 200, 0}));
  EXPECT_TRUE(std::equal(plain.begin() + 1064, plain.end(), neutral.begin() + 1064));  // pixels stay
  ASSERT_EQ(run({"U5DW0001.CCD", "--sharpen", "hidef"}), 0);
  EXPECT_NE(Dib(dir / "OUT.BMP"), plain);
  EXPECT_EQ(run({"U5DW0001.CCD", "--rotate", "up"}), 2);
}

TEST(CliImprove, VideoFramesCompressedPairsAndSets) {
  ScratchDir dir;
  Bytes tm5(3 * 144 * 144 + 100, 0);
  for (size_t i = 0; i < tm5.size(); ++i) tm5[i] = static_cast<uint8_t>(i / (141 * 141));
  WriteBytes(dir / "TM500001.IMI", tm5);
  ASSERT_EQ(Cli(dir, {"video", "TM500001.IMI", "-o", "frame"}).exitCode, 0);
  for (int k = 0; k < 3; ++k) {
    const Bytes frame = Dib(dir / ("frame-0" + std::to_string(k) + ".bmp"));
    EXPECT_EQ(frame[1064 + 144 * 140], k);  // the frame's top row, stored last
  }
  EXPECT_FALSE(fs::exists(dir / "frame-03.bmp"));

  for (char plane : {'1', '3'}) {
    WriteBytes(dir / (std::string("TM") + plane + "00002.IMI"), Bytes(1020 * 1020, 77));
    ASSERT_EQ(Cli(dir, {"compress", std::string("TM") + plane + "00002.IMI"}).exitCode, 0);
    fs::remove(dir / (std::string("TM") + plane + "00002.IMI"));
  }
  // The plane missing from the set is reported (the flow's tests check the report itself).
  const ProcessResult incomplete = Cli(dir, {"decompress", "TM100002.IMT", "--colour-set", "-o", "SET.BMP"});
  EXPECT_EQ(incomplete.exitCode, 0);
  EXPECT_TRUE(incomplete.err.starts_with("[Retrieved Compressed File Status] Incomplete File Set")) << incomplete.err;
  EXPECT_EQ(LoadInfoHeader(Dib(dir / "SET.BMP"))->biBitCount, 8);
  EXPECT_FALSE(fs::exists(dir / "TM100002.IMI"));

  // A picture saved without an extension: its pair keeps its number and gives it back. Two
  // levels per block, 10 apart, code exactly.
  const auto level = [](size_t x, size_t y) { return static_cast<uint8_t>(100 + 10 * ((x / 2 + y / 2) % 2)); };
  Bytes picture(256 + 512 * 496);
  for (size_t i = 0; i < 512 * 496; ++i) picture[256 + i] = level(i % 512, i / 512);
  WriteBytes(dir / "KBDW0008", picture);
  EXPECT_EQ(Cli(dir, {"compress", "kbdw0008"}).out, "KBTW0008\nKBCW0008\n");
  ASSERT_EQ(Cli(dir, {"decompress", "kbtw0008", "-o", "BACK.BMP"}).exitCode, 0);
  const Bytes back = Dib(dir / "BACK.BMP");
  for (size_t i = 0; i < 512 * 496; ++i) ASSERT_EQ(back[1064 + i], level(i % 512, 495 - i / 512)) << i;
}

// kestrel-cli where: the report on stdout and as its box line on stderr.
std::string AsBoxLine(const std::string& text) {
  std::string line;
  for (char c : text) line += c == '\n' ? std::string("\\n") : std::string(1, c);
  return "[CCD Image Information] " + line + "\n";
}

TEST(CliWhere, PrintsTheReportStampsOnlyWhenAskedAndFailsWithItsMessage) {
  using namespace location_testing;
  ScratchDir dir;
  const std::string kep = (dir / "keps.bin").string(), obs = (dir / "places.bin").string();
  WriteBytes(kep, ElementSetFile({{"UO-22", UoSat5Elements()}}));
  WriteBytes(obs, PlacesFile(kPlaces));
  struct Case {
    std::string picture;  // the path given, to a full-size UoSat-5 file
    uint32_t captureTime;
    bool stamp;
  };
  // Not stamped, or nothing to say (no capture time, a failure): the file stays as it was.
  const Case cases[] = {{"U5IW0002", kCaptureTime, false}, {"U5IW0002", 0, true},
                        {(dir / "u5iw0001").string(), kCaptureTime, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.picture);
    const Bytes picture = CameraFile(c.captureTime, 4, 256 + 611 * 576);
    WriteBytes(dir / c.picture, picture);
    std::vector<std::string> args{"where", c.picture, "--kep", kep, "--obs", obs};
    if (!c.stamp) args.push_back("--no-stamp");
    const auto run = Cli(dir, args);
    EXPECT_EQ(run.exitCode, c.captureTime ? 0 : 1) << run.err;
    EXPECT_EQ(run.out, c.captureTime ? kReportAtEpoch + "\n" : "");
    EXPECT_EQ(run.err, c.captureTime ? AsBoxLine(kReportAtEpoch)
                                     : "kestrel-cli: U5IW0002: no report to give: its header holds no capture time\n");
    const Bytes after = ReadBytes(dir / c.picture);
    EXPECT_EQ(after == picture, !c.stamp || !c.captureTime);
    EXPECT_EQ(std::string(after.begin() + 11, after.begin() + 13) == "Cj", c.stamp && c.captureTime);
  }
  // A failure is shown as its box and fails the run.
  const std::string nowhere = (dir / "nowhere.kep").string();
  const auto run = Cli(dir, {"where", "u5iw0001", "--kep", nowhere, "--obs", obs});
  EXPECT_EQ(std::tie(run.exitCode, run.out, run.err), std::tuple(1, "", "[Error] Cannot open file " + nowhere + "\n"));
}

// One two-line set with its check digits made right again after an edit.
std::string WithChecksums(std::string set) {
  for (size_t start = 0; start + 69 <= set.size(); start += 70)
    set[start + 68] = static_cast<char>('0' + TwoLineChecksum(set.substr(start, 68)));
  return set;
}

TEST(CliWhere, PlacesByTwoLineSetsAndTracksAndRefusesEveryBrokenSetByFileAndLine) {
  using namespace location_testing;
  ScratchDir dir;
  const std::string tle = (dir / "history.tle").string();
  WriteBytes(tle, TwoLineText());
  const Bytes picture = CameraFile(kKitsat2CaptureTime, 4, 256 + 511 * 502);
  WriteBytes(dir / "KBIW0008", picture);

  const auto where = Cli(dir, {"where", "KBIW0008", "--elements", tle, "--json"});
  ASSERT_EQ(where.exitCode, 0) << where.err;
  EXPECT_TRUE(std::regex_match(where.out, std::regex(
      R"(\{"file":"KBIW0008","satellite":\{"designation":"KO-25","catalogueNumber":22828\},)"
      R"("captureTime":"1996-08-19T11:05:42Z","elementSet":\{"source":"tle","epoch":"1996-08-19T18:43:12Z",)"
      R"("ageDays":-0.318\},"propagator":"sgp4","subSatellitePoint":\{"latitude":40.231110,)"
      R"("longitude":-0.594751,"heightKm":800.278\},"headingDegrees":19\d\.\d\d,"nearestPlace":\{"name":"[^"]+, ES",.*\}\}\n)")))
      << where.out;
  // The same point where the set is followed without a picture.
  const auto track = Cli(dir, {"track", "--elements", tle, "--satellite", "kitsat 2", "--at", "1996-08-19T11:05:42Z",
                               "--minutes", "2", "--step", "60"});
  ASSERT_EQ(track.exitCode, 0) << track.err;
  EXPECT_TRUE(std::regex_match(track.out, std::regex(
      R"(# time.*\n1996-08-19T11:05:42Z .* +40\.231110 +-0\.594751 +800\.278\n)"
      R"(1996-08-19T11:06:42Z .*\n1996-08-19T11:07:42Z .*\n)"))) << track.out;

  const std::string set = kTwoLineSets.substr(kTwoLineSets.find("1 22828U 93061F   96232"), 140);
  const auto edited = [&set](std::string_view from, std::string_view to) {
    std::string text = set;
    return WithChecksums(text.replace(text.find(from), from.size(), to));
  };
  std::string garbage = set.substr(0, 70);
  garbage.resize(100 << 20, 'x');
  const std::pair<std::string, std::string> broken[] = {
      {set.substr(0, 70), "line 1: truncated set"},
      {edited("98.5700 306", "98.5x00 306"), "line 2: letters in the inclination"},
      {edited("96232.78", "96367.50"), "line 1: epoch day 367.5 out of range"},
      {edited("0010000", "1.00000"), "line 2: eccentricity of 1 or more"},
      {edited("14.28030054", "-4.28030054"), "line 2: negative mean motion"},
      {garbage, "line 1: truncated set"},
      {kTwoLineSets.substr(kTwoLineSets.find("UOSAT 5")), "no element set for KO-25 (22828) in "}};
  for (const auto& [text, reason] : broken) {
    WriteBytes(tle, TwoLineText(text));
    const auto run = Cli(dir, {"where", "KBIW0008", "--elements", tle});
    EXPECT_EQ(std::tie(run.exitCode, run.out), std::tuple(1, "")) << reason;
    EXPECT_TRUE(run.err.find(reason) != std::string::npos && run.err.find(tle) != std::string::npos &&
                std::count(run.err.begin(), run.err.end(), '\n') == 1) << run.err;
  }
  EXPECT_EQ(ReadBytes(dir / "KBIW0008"), picture);  // never stamped on a failure
}

TEST(CliThumbnail, WritesAGreyPngOfTheLongestEdgeAskedOrNothingForABrokenFile) {
  ScratchDir dir;
  Bytes camera(256 + 608 * 576, 90);
  std::fill_n(camera.begin(), 256, 0);
  WriteBytes(dir / "U5DW0001", camera);
  WriteBytes(dir / "U5DW0002", {});  // nothing came down
  WriteBytes(dir / "U5DW0003", Bytes(100, 0));  // cut off within its header
  const auto made = Cli(dir, {"thumbnail", "U5DW0001", "small.png", "--size", "64"});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  const auto seen = RunProgram("/usr/bin/identify", {"-format", "%w %h %[channels]", (dir / "small.png").string()});
  EXPECT_EQ(seen.out, "64 61 gray");
  for (const char* name : {"U5DW0002", "U5DW0003"}) {
    const auto broken = Cli(dir, {"thumbnail", name, "broken.png"});
    EXPECT_EQ(broken.exitCode, 1) << name;
    EXPECT_NE(broken.err.find(name), std::string::npos) << broken.err;
    EXPECT_FALSE(fs::exists(dir / "broken.png"));
  }

  const auto batch = Cli(dir, {"thumbnail", "U5DW0001", "U5DW0002", "--outdir", "thumbs", "--size", "32"});
  EXPECT_EQ(batch.exitCode, 1);
  EXPECT_TRUE(batch.err.ends_with("\n1 of 2 converted\n")) << batch.err;
  EXPECT_EQ(RunProgram("/usr/bin/identify", {"-format", "%w %h %[channels]", (dir / "thumbs/U5DW0001.png").string()}).out,
            "32 30 gray");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "thumbs"), {}), 1);
}

}  // namespace
}  // namespace kestrel
