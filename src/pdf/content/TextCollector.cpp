#include "pdf/content/TextCollector.h"
#include "pdf/content/LinePieces.h"

#include "core/Limits.h"

#include "pdf/TextString.h"
#include "pdf/fonts/BaseEncoding.h"
#include "pdf/fonts/Font.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace scrivlet::pdf {
namespace {

constexpr double kWidthWithoutFont = 0.5; // em

bool Finite(double v) {
  return std::isfinite(v) && std::abs(v) < 1e9;
}

bool FiniteMatrix(const Matrix& m) {
  return Finite(m.a) && Finite(m.b) && Finite(m.c) && Finite(m.d) && Finite(m.e) && Finite(m.f);
}

// What a page's items may hold: what the document's records may still take.
uint64_t ItemBytesAllowed(const WorkBudget* records) {
  if (records == nullptr)
    return std::numeric_limits<uint64_t>::max();
  return records->MemorySpent() >= records->MemoryLimit()
             ? 0
             : records->MemoryLimit() - records->MemorySpent();
}

} // namespace

void TextCollector::Collect(std::string_view content, ContentResources& resources,
                            std::vector<TextItem>& items, FormBudget& formBudget,
                            const WorkBudget* records) {
  TextCollector collector(resources, items, formBudget, records);
  collector.Run(content, 0);
}

TextCollector::TextCollector(ContentResources& resources, std::vector<TextItem>& items,
                             FormBudget& formBudget, const WorkBudget* records)
    : FResources(&resources), FItems(items), FFormBudget(formBudget), FRecords(records),
      FItemBytesLeft(ItemBytesAllowed(records)) {}

// Whether an item may join others as one run of glyphs: it has text and a
// size, its pen moves forward, and it has no wide character (those stand
// alone where they stack as vertical writing).
bool TextCollector::Joinable(const TextItem& item) {
  if (item.text.empty() || !(item.em > 0))
    return false;
  const double advance = (item.end.x - item.start.x) * item.direction.x +
                         (item.end.y - item.start.y) * item.direction.y;
  return advance > 0 && std::none_of(item.text.begin(), item.text.end(), IsWideCharacter);
}

void TextCollector::KeepItem(TextItem item) {
  const bool joinable = Joinable(item);
  if (FLastJoinable && joinable && !item.startsTextObject && !FItems.empty()) {
    TextItem& last = FItems.back();
    if (item.start.x == last.end.x && item.start.y == last.end.y &&
        item.direction.x == last.direction.x && item.direction.y == last.direction.y &&
        item.em == last.em) {
      JoinItem(last, item);
      return;
    }
  }
  const uint64_t bytes = sizeof(TextItem) + item.text.size() * sizeof(char16_t);
  if (bytes > FItemBytesLeft)
    throw LimitExceeded("bytes of records kept", FRecords->MemoryLimit());
  FItemBytesLeft -= bytes;
  FItems.push_back(std::move(item));
  FLastJoinable = joinable;
}

void TextCollector::JoinItem(TextItem& last, const TextItem& item) {
  const uint64_t bytes = item.text.size() * sizeof(char16_t);
  if (bytes > FItemBytesLeft)
    throw LimitExceeded("bytes of records kept", FRecords->MemoryLimit());
  FItemBytesLeft -= bytes;
  if (!last.longestPart) {
    last.longestPart = last.text.size();
    last.longestStart = last.start;
  }
  if (item.text.size() > last.longestPart) {
    last.longestPart = item.text.size();
    last.longestStart = item.start;
  }
  last.lastPartStart = item.start;
  last.text += item.text;
  last.end = item.end;
}

void TextCollector::Collect(std::string_view content, ContentResources& resources,
                            std::vector<TextItem>& items) {
  FormBudget formBudget(Limits{}.decodedBytesPerDocument);
  Collect(content, resources, items, formBudget);
}

double TextCollector::Number(size_t fromEnd) const {
  if (fromEnd >= FOperands.size())
    return 0;
  const Operand& operand = FOperands[FOperands.size() - 1 - fromEnd];
  return operand.kind == ContentToken::Kind::Number && Finite(operand.number) ? operand.number : 0;
}

void TextCollector::Run(std::string_view content, int depth) {
  ContentTokenizer tokenizer(content);
  ContentToken token;
  while (tokenizer.Next(token)) {
    if (token.kind == ContentToken::Kind::Operator) {
      Execute(token.text, tokenizer, depth);
      FOperands.clear();
      continue;
    }
    if (FOperands.size() >= kMaxOperands)
      continue;
    Operand operand{token.kind, token.number, {}};
    if (token.kind == ContentToken::Kind::String)
      operand.bytes = std::move(token.bytes);
    else if (token.kind == ContentToken::Kind::Name)
      operand.bytes = std::string(token.text);
    FOperands.push_back(std::move(operand));
  }
}

void TextCollector::Execute(std::string_view op, ContentTokenizer& tokenizer, int depth) {
  if (op == "q") {
    if (FSaved.size() < kMaxSavedStates)
      FSaved.push_back(FState);
  } else if (op == "Q") {
    if (!FSaved.empty()) {
      FState = FSaved.back();
      FSaved.pop_back();
    }
  } else if (op == "cm") {
    Matrix m{Number(5), Number(4), Number(3), Number(2), Number(1), Number(0)};
    Matrix ctm = m.Then(FState.ctm);
    if (FiniteMatrix(ctm))
      FState.ctm = ctm;
  } else if (op == "Do") {
    if (!FOperands.empty() && FOperands.back().kind == ContentToken::Kind::Name)
      RunForm(FOperands.back().bytes, depth);
  } else if (op == "ID") {
    tokenizer.SkipInlineImageData();
  } else if (op == "BDC" || op == "BMC") {
    BeginMarkedContent(op == "BDC");
  } else if (op == "EMC") {
    EndMarkedContent();
  } else if (!op.empty() && (op[0] == 'T' || op == "BT" || op == "'" || op == "\"")) {
    ExecuteTextOperator(op);
  }
}

void TextCollector::ExecuteTextOperator(std::string_view op) {
  if (op == "BT") {
    FTextMatrix = FLineMatrix = Matrix{};
    FTextObjectStart = true;
  } else if (op == "Tf") {
    FState.fontSize = Number(0);
    if (FOperands.size() >= 2 && FOperands[FOperands.size() - 2].kind == ContentToken::Kind::Name)
      FState.font = FResources->FindFont(FOperands[FOperands.size() - 2].bytes);
  } else if (op == "Td") {
    MoveLine(Number(1), Number(0));
  } else if (op == "TD") {
    FState.leading = -Number(0);
    MoveLine(Number(1), Number(0));
  } else if (op == "Tm") {
    Matrix m{Number(5), Number(4), Number(3), Number(2), Number(1), Number(0)};
    if (FiniteMatrix(m))
      FTextMatrix = FLineMatrix = m;
  } else if (op == "T*") {
    NextLine();
  } else if (op == "Tc") {
    FState.charSpacing = Number(0);
  } else if (op == "Tw") {
    FState.wordSpacing = Number(0);
  } else if (op == "Tz") {
    FState.horizontalScale = Number(0) / 100;
  } else if (op == "TL") {
    FState.leading = Number(0);
  } else if (op == "Ts") {
    FState.rise = Number(0);
  } else if (op == "Tj") {
    if (!FOperands.empty() && FOperands.back().kind == ContentToken::Kind::String)
      ShowString(FOperands.back().bytes);
  } else if (op == "TJ") {
    ShowArray();
  } else if (op == "'") {
    NextLine();
    if (!FOperands.empty() && FOperands.back().kind == ContentToken::Kind::String)
      ShowString(FOperands.back().bytes);
  } else if (op == "\"") {
    FState.wordSpacing = Number(2);
    FState.charSpacing = Number(1);
    NextLine();
    if (!FOperands.empty() && FOperands.back().kind == ContentToken::Kind::String)
      ShowString(FOperands.back().bytes);
  }
}

// "/Span <</ActualText (text)>> BDC": the text that the glyphs up to the
// matching EMC stand for (a font without the text's characters shows
// other glyphs, or its glyphs map to no characters).
void TextCollector::BeginMarkedContent(bool withProperties) {
  ++FMarkedDepth;
  if (!withProperties || FActualTextDepth != 0)
    return;
  for (size_t i = 0; i + 1 < FOperands.size(); ++i) {
    if (FOperands[i].kind == ContentToken::Kind::Name && FOperands[i].bytes == "ActualText" &&
        FOperands[i + 1].kind == ContentToken::Kind::String) {
      FActualText = DecodeTextString(FOperands[i + 1].bytes);
      FActualTextDepth = FMarkedDepth;
      FActualTextItem = kNoItem;
      return;
    }
  }
}

void TextCollector::EndMarkedContent() {
  if (FMarkedDepth == 0)
    return;
  if (FMarkedDepth == FActualTextDepth) {
    FActualTextDepth = 0;
    FActualText.clear();
    FActualTextItem = kNoItem;
  }
  --FMarkedDepth;
}

void TextCollector::MoveLine(double tx, double ty) {
  Matrix m = Matrix::Translation(tx, ty).Then(FLineMatrix);
  if (FiniteMatrix(m))
    FTextMatrix = FLineMatrix = m;
}

void TextCollector::Advance(double textSpaceX) {
  if (Finite(textSpaceX))
    FTextMatrix = Matrix::Translation(textSpaceX, 0).Then(FTextMatrix);
}

void TextCollector::ShowString(const std::string& bytes) {
  ShownText shown;
  // Character spacing as wide as a word space (a quarter em or more) sets
  // every glyph apart; less is tracking, which keeps words whole.
  shown.spaced = FState.fontSize != 0 && FState.charSpacing * FState.horizontalScale >=
                                             kLetterSpacingGap * std::abs(FState.fontSize);
  if (FState.font) {
    FState.font->Decode(bytes, shown);
  } else {
    // Text shown without a font is read as WinAnsi.
    for (char b : bytes) {
      auto code = static_cast<unsigned char>(b);
      if (char16_t c = EncodedCharacter(BaseEncoding::WinAnsi, code)) {
        if (shown.spaced && !shown.text.empty() && shown.text.back() != u' ' && c != u' ')
          shown.text += u' ';
        shown.text += c;
      }
      shown.width += kWidthWithoutFont;
      ++shown.codes;
      shown.spaces += code == 32;
    }
  }
  const double size = FState.fontSize;
  const double scale = FState.horizontalScale;
  Matrix device = FTextMatrix.Then(FState.ctm);

  TextItem item;
  item.text = std::move(shown.text);
  item.start = device.Apply(0, FState.rise);
  if (FState.font && FState.font->IsVertical()) {
    // Each code moves the pen down by one em plus the spacing (no scaling).
    double advance = shown.codes * (size + FState.charSpacing) + shown.spaces * FState.wordSpacing;
    if (Finite(advance))
      FTextMatrix = Matrix::Translation(0, -advance).Then(FTextMatrix);
    Point down = {-device.c, -device.d};
    double length = std::hypot(down.x, down.y);
    if (length > 0)
      item.direction = {down.x / length, down.y / length};
  } else {
    Advance((shown.width * size + shown.codes * FState.charSpacing +
             shown.spaces * FState.wordSpacing) *
            scale);
    double length = std::hypot(device.a, device.b);
    if (length > 0)
      item.direction = {device.a / length, device.b / length};
  }
  item.end = FTextMatrix.Then(FState.ctm).Apply(0, FState.rise);
  item.em = std::abs(size) * std::hypot(device.c, device.d);
  item.startsTextObject = FTextObjectStart;
  FTextObjectStart = false;
  if (FActualTextDepth != 0) {
    // The span's first glyphs carry its actual text; the glyphs after them
    // extend that item.
    if (FActualTextItem != kNoItem && FActualTextItem < FItems.size()) {
      FItems[FActualTextItem].end = item.end;
      return;
    }
    // An item of its own: joined neither to the glyphs before it nor to
    // those after the span.
    item.text = FActualText;
    FActualTextItem = FItems.size();
    FLastJoinable = false;
    KeepItem(std::move(item));
    FLastJoinable = false;
    return;
  }
  KeepItem(std::move(item));
}

void TextCollector::ShowArray() {
  // The operands after the last "[" are the array's elements.
  auto open = std::find_if(FOperands.rbegin(), FOperands.rend(), [](const Operand& operand) {
    return operand.kind == ContentToken::Kind::ArrayOpen;
  });
  size_t first = open == FOperands.rend() ? 0 : FOperands.size() - (open - FOperands.rbegin());
  for (size_t i = first; i < FOperands.size(); ++i) {
    const Operand& element = FOperands[i];
    if (element.kind == ContentToken::Kind::String)
      ShowString(element.bytes);
    else if (element.kind == ContentToken::Kind::Number && Finite(element.number) && FState.font &&
             FState.font->IsVertical())
      FTextMatrix =
          Matrix::Translation(0, -element.number / 1000 * FState.fontSize).Then(FTextMatrix);
    else if (element.kind == ContentToken::Kind::Number && Finite(element.number))
      Advance(-element.number / 1000 * FState.fontSize * FState.horizontalScale);
  }
}

// Forms that show forms many times over: ten forms, each showing the next
// ten times, run the last one ten billion times.
void TextCollector::SpendFormBudget(const FormContent& form) {
  uint64_t cost = form.content.size() + kFormRunCost;
  if (cost > FFormBudget.left)
    throw LimitExceeded("decoded bytes per document", FFormBudget.limit);
  FFormBudget.left -= cost;
}

void TextCollector::RunForm(std::string_view name, int depth) {
  if (depth >= kMaxFormDepth)
    return;
  FormContent form;
  if (!FResources->FindForm(name, form))
    return;
  if (std::find(FActiveForms.begin(), FActiveForms.end(), form.id) != FActiveForms.end())
    return; // a form that shows itself
  SpendFormBudget(form);
  FActiveForms.push_back(form.id);
  GraphicsState saved = FState;
  std::vector<GraphicsState> savedStack;
  savedStack.swap(FSaved);
  Matrix textMatrix = FTextMatrix, lineMatrix = FLineMatrix;
  ContentResources* callerResources = FResources;
  if (FiniteMatrix(form.matrix))
    FState.ctm = form.matrix.Then(FState.ctm);
  if (form.resources)
    FResources = form.resources;
  std::vector<Operand> operands;
  operands.swap(FOperands);

  Run(form.content, depth + 1);

  FOperands.swap(operands);
  FResources = callerResources;
  FTextMatrix = textMatrix;
  FLineMatrix = lineMatrix;
  FSaved.swap(savedStack);
  FState = saved;
  FActiveForms.pop_back();
}

} // namespace scrivlet::pdf
