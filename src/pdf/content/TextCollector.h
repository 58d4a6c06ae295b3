// Runs a page's content stream for its text: follows the graphics state
// ("q", "Q", "cm"), the text state ("Tc", "Tw", "Tz", "TL", "Tf", "Ts") and
// the text and line matrices ("BT", "Td", "TD", "Tm", "T*"), and makes one
// text item for each string shown by "Tj", "TJ", "'" and "\"", with the pen
// position before and after it.  Each glyph advances the pen by its width,
// the character spacing and (for the one-byte code 32) the word spacing,
// all scaled horizontally; numbers in a "TJ" array move it back.  A string
// whose character spacing is a word space wide has its letters set apart.  Form
// XObjects shown with "Do" run in place with their own resources and
// matrix; a form already being run is skipped, and forms nest at most
// kMaxFormDepth deep.  A form may show another many times, so the work of
// nested forms grows as a power of their depth: every run of a form spends
// its content's size (and kFormRunCost) from a budget of the document, and
// a document that runs out of it fails with LimitExceeded.  Inline images
// are skipped; every other operator only ends its operands.
#pragma once

#include "core/WorkBudget.h"
#include "pdf/content/ContentResources.h"
#include "pdf/content/ContentTokenizer.h"
#include "pdf/content/TextItem.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace scrivlet::pdf {

class Font;

// What a document may spend on running forms: bytes of form content, each
// run counted again.
struct FormBudget {
  explicit FormBudget(uint64_t limit) : limit(limit), left(limit) {}
  uint64_t limit; // named in the error past it
  uint64_t left;
};

class TextCollector {
public:
  static constexpr int kMaxFormDepth = 12;
  static constexpr size_t kMaxOperands = 4096;
  static constexpr size_t kMaxSavedStates = 256;
  // Character spacing (in ems) from which a string's letters stand apart
  // as words do: a word space is a quarter to a third of an em.
  static constexpr double kLetterSpacingGap = 0.25;
  // What running a form costs besides its content, in bytes of content.
  static constexpr uint64_t kFormRunCost = 256;

  // Appends the text items of the content to items.  formBudget is the
  // document's budget for the content of forms run (shared by its pages).
  // records, when given, is the document's budget of records kept: the
  // page's items, all held until the page is laid out, may take no more
  // than it has left (a page of ten million tiny strings drawn from a few
  // kilobytes of compressed content ends with its limit, not out of
  // memory).
  static void Collect(std::string_view content, ContentResources& resources,
                      std::vector<TextItem>& items, FormBudget& formBudget,
                      const WorkBudget* records = nullptr);
  // The same with a budget of its own: the default decoded bytes of one
  // document.
  static void Collect(std::string_view content, ContentResources& resources,
                      std::vector<TextItem>& items);

private:
  struct GraphicsState {
    Matrix ctm;
    double charSpacing = 0;
    double wordSpacing = 0;
    double horizontalScale = 1;
    double leading = 0;
    double rise = 0;
    double fontSize = 0;
    const Font* font = nullptr;
  };

  struct Operand {
    ContentToken::Kind kind;
    double number;
    std::string bytes; // a string's bytes, or a name
  };

  TextCollector(ContentResources& resources, std::vector<TextItem>& items, FormBudget& formBudget,
                const WorkBudget* records);

  // Counts an item's bytes against what the page's items may hold, and
  // joins it to the item before when it continues that one's run of
  // glyphs (see TextItem).
  void KeepItem(TextItem item);
  static bool Joinable(const TextItem& item);
  void JoinItem(TextItem& last, const TextItem& item);

  void Run(std::string_view content, int depth);
  void Execute(std::string_view op, ContentTokenizer& tokenizer, int depth);
  void ExecuteTextOperator(std::string_view op);
  void RunForm(std::string_view name, int depth);
  void SpendFormBudget(const FormContent& form);

  double Number(size_t fromEnd) const; // operand fromEnd places before the operator
  void MoveLine(double tx, double ty);
  void NextLine() { MoveLine(0, -FState.leading); }
  void ShowString(const std::string& bytes);
  // Marked content: a span with /ActualText gives that text for the glyphs
  // it shows (one item from its first glyph to its last).
  void BeginMarkedContent(bool withProperties);
  void EndMarkedContent();
  void ShowArray();
  void Advance(double textSpaceX);

  ContentResources* FResources;
  std::vector<TextItem>& FItems;
  FormBudget& FFormBudget;
  const WorkBudget* FRecords;
  uint64_t FItemBytesLeft;
  bool FLastJoinable = false; // whether the last item kept may be joined
  GraphicsState FState;
  std::vector<GraphicsState> FSaved;
  Matrix FTextMatrix, FLineMatrix;
  bool FTextObjectStart = false;
  std::vector<Operand> FOperands;
  std::vector<uint64_t> FActiveForms;
  // The open marked-content sequences, and the outermost one with an
  // actual text: its text, and the item that holds it once shown.
  static constexpr size_t kNoItem = static_cast<size_t>(-1);
  size_t FMarkedDepth = 0;
  size_t FActualTextDepth = 0; // FMarkedDepth where it began; 0: none
  std::u16string FActualText;
  size_t FActualTextItem = kNoItem;
};

} // namespace scrivlet::pdf
