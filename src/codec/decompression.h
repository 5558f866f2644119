#pragma once
// Decompressing a thumbnail and its compressed file into a decoded camera file, and the
// Decompress > Single Image command built on it.

namespace kestrel {

struct Session;

// Decodes the pair whose thumbnail the current file path names (bare, upper case) into the
// decoded image file, which then exists and is named by the current file path; the
// identification record describes it. The picture on show is released first, whatever
// happens. `secondNumbering`: the compressed file carries '2' as its fourth character where
// the thumbnail has '1'. Shows the reason and returns false when the pair cannot be decoded.
bool DecompressPair(Session& session, bool secondNumbering);

// What both Decompress commands do first: the chosen name upper-cased, a fresh processing
// state, marked as decompressed so that decoded files load in picture order.
void PrepareDecompression(Session& session);

struct DecompressionOptions {
  bool showInformation = true;    // the image information report for the picture
  bool keepDecodedFiles = false;  // leave the decoded transit files behind
  // Decode a single pair without a transit file, as a preview in a read-only folder needs; a
  // TMSat set is still decoded through its files.
  bool inMemory = false;
};

// Decompress > Single Image after its dialog: the chosen name is in the current file path.
// Resets the processing state, decodes the pair, loads and shows the decoded picture and
// deletes the decoded file again. "FB" names are taken in the second numbering; a TMSat name
// is decoded as one pair, in the second numbering when only that one exists. True when a
// picture is on show; on a failed decoding nothing is loaded and nothing is deleted.
bool DecompressSingleImage(Session& session, const DecompressionOptions& options = {});

}  // namespace kestrel
