// Word documents in the binary formats of Word 2 to Word 2003: the Word
// 97-2003 compound file, the Word 6/95 compound file and the older
// single-stream files.
//
// The File Information Block (FIB) at the start of the main stream gives
// the version, the text's place and the piece table's place; the piece
// table (in the table stream) lists where each run of characters lies in
// the main stream, 8 or 16 bits per character.  The text keeps Word's
// control characters, which StoryBlocks (DocFields.cpp) turns into
// paragraphs, breaks, cell ends and fields.
#pragma once

#include "readers/common/DocumentReader.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {

class CompoundFile;
class DocReader;
class WordFormatting;

using DefaultLanguageEvent = std::function<void(DocReader& sender, uint16_t& docLang)>;

// A note's reference in a story's text: the position of its mark in the
// story, and the note's identifier and label.
struct NoteAnchor {
  uint32_t cp = 0;
  std::u16string id, label;
};

// Blocks of another story shown where the story's text anchors them: a
// text box after the paragraph that holds its anchor.
struct AnchoredBlocks {
  uint32_t cp = 0;
  std::vector<Block> blocks;
};

// What gives a story's text its structure: the document's formatting (the
// story starts at cpStart of the document's text), the story's note
// references in order, and the blocks anchored in it in the order of their
// anchors.
struct StoryStructure {
  WordFormatting* formatting = nullptr;
  uint32_t cpStart = 0;
  std::vector<NoteAnchor> notes;
  std::vector<AnchoredBlocks> anchored;
};

// The blocks of a story's text: a paragraph block for each paragraph mark
// (Block::ending kWordParagraphMark) and for the text after the last one, a
// CellEnd block for each cell end (value 0) and row end (value 1), and in
// the paragraphs tabs, line and column breaks and fields (Document.h).
// With a structure, paragraphs become headings and list items, tables get
// their boundaries, page breaks their blocks, text its marks and note
// references their pieces.  With convert false the text stands as it is,
// in one preformatted block.
std::vector<Block> StoryBlocks(std::u16string_view text, bool convert,
                               const StoryStructure* structure = nullptr);

// Block::ending of a paragraph that a paragraph mark ends (Word's own code).
constexpr uint8_t kWordParagraphMark = 13;

class DocReader : public DocumentReader {
public:
  DocReader();
  ~DocReader() override;

  bool IsEncrypted() const override;

  // 2, 5, 6, 7, 8, or 0 (nFib 103), as the FIB tells.
  int32_t DocVersion() const { return FDocVersion; }
  // The code page of the document's 8-bit text; 0 for the system's.
  int DocumentCodePage();

  // May change the language that selects the code page.
  DefaultLanguageEvent OnGetDefaultLanguage;

  // The code page of a Windows language identifier; 0 for the system's.
  static int CodePageOfLanguage(uint16_t languageId);

private:
  // A stretch of characters in the main stream: the piece table's pieces,
  // or the whole text when there is no table.
  struct Segment {
    uint32_t cpStart = 0, cpEnd = 0;
    uint64_t offset = 0;       // byte offset in the main stream
    uint32_t bytesPerChar = 1; // 1 or 2
    bool utf16 = false;        // 16-bit units of UTF-16, else code-page bytes
    bool zeros = false;        // characters never read: NULs
    int codePage = 0;
    uint32_t Length() const { return cpEnd - cpStart; }
  };

  void Parse(std::string_view bytes) override;
  void WalkStorage(const CompoundFile& storage);
  void WalkElements(const CompoundFile& storage);
  // Fills the macro story from the VBA project in the "Macros" storage.
  void ListMacros(const CompoundFile& storage);
  void ParseMainStream(const std::string& main, const CompoundFile* storage);
  // "1Table" or "0Table", as the FIB says.
  std::u16string_view TableStreamName() const;
  // The text and stories of the main stream with its table stream.
  void ReadDocumentText(const std::string& main, const std::string* table);
  // A document saved with a password (fEncrypted): its main and table
  // streams decrypted with the password, then read as any other
  // (DocDecryption.cpp).
  void ParseEncrypted(const std::string& main, const CompoundFile* storage);
  void ReadFib(const std::string& main);
  static int PropertySetCodePage(const std::string& data);
  bool ReadPropertySet(const std::string& data, bool documentSummary);
  std::vector<Segment> ReadPieceTable(const std::string& main, const std::string* table);
  static std::vector<Segment> LonePiece(Segment piece, uint32_t fcMac, size_t streamSize);
  std::u16string DecodeRange(const std::string& main, uint32_t cpStart, uint32_t cpEnd) const;
  void ReadText(const std::string& main, const std::string* clx, const std::string* table);
  void ReadStories(const std::string& main, std::string_view table);
  void AddHeaderStories(std::string_view table, std::u16string_view text);
  std::u16string_view StoryText(std::u16string_view text, StoryKind kind) const;
  // Word 6 and Word 95 documents, whose formatting is read in its own
  // layout (Macintosh Word 5 files, read with their header, are not).
  bool HasWord6Formatting() const { return FDocVersion == 6 || FDocVersion == 7; }
  // The formatting of a Word 6-2003 document's text, from its table stream
  // (Word 6 and Word 95: the main stream).
  void ReadFormatting(const std::string& main, const std::string& table);
  // The notes' identifiers and labels into the document, their places in
  // FNoteRanges; returns the references, in the order of their positions.
  std::vector<NoteAnchor> ReadNotes(std::string_view table, std::u16string_view mainText);
  void ReadNoteKind(std::string_view table, std::u16string_view mainText, bool endnote,
                    std::vector<NoteAnchor>& anchors);
  void ReadNoteTexts(const std::string& main, uint32_t textEnd);
  // The main text boxes' blocks at their anchors in the main text; those
  // whose shape has no anchor there at the main text's end.
  std::vector<AnchoredBlocks> ReadTextBoxes(std::string_view table, std::u16string_view text);
  // Adds the blocks of a story's text; a story that passes the output
  // limit is left out whole.
  void AddStoryText(Story& story, std::u16string_view text);
  void AddStoryBlocks(Story& story, std::vector<Block> blocks);
  void ReadStructuredText(const std::string& main, const std::string& table,
                          std::u16string_view text);
  uint16_t Fib16(size_t offset) const;
  uint32_t Fib32(size_t offset) const;

  std::array<uint8_t, 754> FFib{};
  int32_t FDocVersion = 0;
  int FCodePage = -1; // computed once per document
  int FPropertySetCodePage = 0;
  std::vector<Segment> FSegments;
  std::unique_ptr<WordFormatting> FFormatting;
  // Where each note's text lies in the document's character positions.
  struct NoteRange {
    uint64_t cpStart = 0, cpEnd = 0;
  };
  std::vector<NoteRange> FNoteRanges;
};

} // namespace scrivlet
