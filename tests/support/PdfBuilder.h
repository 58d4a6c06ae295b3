// Builds PDF files byte by byte: objects, classic cross-reference tables
// (one or several subsections), cross-reference streams (chosen widths,
// /Index, PNG Up predictor), object streams and incremental updates; and
// the encoders of every stream filter the reader decodes.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace scrivlet::test {

class PdfBuilder {
public:
  enum class Xref { Table, SubsectionTable, Stream };

  struct StreamOptions {
    int OffsetWidth = 4;       // bytes of field 2
    int IndexWidth = 2;        // bytes of field 3
    bool WithIndex = false;    // list only the objects present, through /Index
    bool PngPredictor = false; // compress with predictor 12 (PNG Up)
  };

  // Adds an object with the body (for example "<< /Type /Page >>") and
  // returns its number; numbers count from 1.
  uint32_t Add(std::string body);
  // Sets the body of an object number (a reserved one, or any other).
  void Put(uint32_t number, std::string body);
  uint32_t Reserve() { return FNext++; }
  // Objects to store in one object stream (written as a compressed stream,
  // listed by a cross-reference stream).
  void PackIntoObjectStream(std::vector<uint32_t> numbers) { FPacked = std::move(numbers); }

  // Extra trailer entries ("/Root 1 0 R /Info 3 0 R").
  std::string Trailer;
  // Text written right after the header line.
  std::string Header = "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n";

  std::string Build(Xref style = Xref::Table) const;
  std::string Build(Xref style, const StreamOptions& options) const;

  // An incremental update: the objects appended after the file with a new
  // section whose /Prev is the file's last section.
  static std::string AppendUpdate(const std::string& file,
                                  const std::map<uint32_t, std::string>& objects,
                                  const std::string& trailer, Xref style = Xref::Table);

  // A stream object body: "<< entries /Length n >>" with the data.
  static std::string Stream(const std::string& entries, const std::string& data);

  // A document of the given pages (one content stream each) with a title.
  static PdfBuilder WithPages(const std::vector<std::string>& contents,
                              const std::string& infoEntries = "");
  // A document of the given pages whose content shows text in Helvetica
  // (WinAnsi) as font /F1, which the pages inherit from their parent.
  static std::string HelveticaPages(const std::vector<std::string>& contents);

  // Encoders.
  static std::string Zlib(const std::string& bytes);
  static std::string AsciiHex(const std::string& bytes);
  static std::string Ascii85(const std::string& bytes);
  static std::string Lzw(const std::string& bytes, bool earlyChange = true);
  // PNG rows of `columns` bytes, each with the given tag, from plain rows
  // (tag 2 Up encodes each byte minus the one above).
  static std::string PngEncode(const std::string& bytes, int columns, int tag);

private:
  std::map<uint32_t, std::string> FObjects;
  std::vector<uint32_t> FPacked;
  uint32_t FNext = 1;
};

} // namespace scrivlet::test
