#include "xml/XmlParser.h"
#include "core/Ascii.h"

#include "core/CodePage.h"
#include "core/Utf8.h"
#include "xml/Entities.h"

#include <algorithm>
#include <cstring>

namespace scrivlet {
namespace {

bool IsNameChar(char c) {
  return c == '!' || c == '-' || (c >= '0' && c <= '9') || c == ':' || c == '?' ||
         (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z');
}

// Letters beyond ASCII (UTF-8 or code-page bytes) may begin and continue a
// name, a dot may continue one: an element named so is an element, and its
// end tag closes it, not its parent.
bool IsNameByte(char c, bool first) {
  return IsNameChar(c) || static_cast<uint8_t>(c) >= 0x80 || (!first && c == '.');
}

// Around literal text in the document-order text: two noncharacters, which
// no document may carry.
constexpr char16_t kLiteralBegin = 0xFDD0, kLiteralEnd = 0xFDD1;

bool IsXmlSpace(char c) {
  return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

std::u16string_view TrimWide(std::u16string_view text) {
  while (!text.empty() && text.front() <= u' ')
    text.remove_prefix(1);
  while (!text.empty() && text.back() <= u' ')
    text.remove_suffix(1);
  return text;
}

// Whether an encoding declaration names UTF-16.
bool NamesUtf16(std::string_view encoding) {
  for (std::string_view name : {"utf-16", "utf-16le", "utf-16be", "unicode", "ucs-2"})
    if (EqualsIgnoringAsciiCase(encoding, name))
      return true;
  return false;
}

// Whether the bytes are well-formed UTF-8 (plain ASCII included).
bool IsValidUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  size_t i = 0, n = bytes.size();
  while (i < n) {
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    int length = p[i] >= 0xC2 && p[i] < 0xE0   ? 2
                 : p[i] >= 0xE0 && p[i] < 0xF0 ? 3
                 : p[i] >= 0xF0 && p[i] < 0xF5 ? 4
                                               : 0;
    if (length == 0 || i + length > n)
      return false;
    for (int k = 1; k < length; ++k)
      if ((p[i + k] & 0xC0) != 0x80)
        return false;
    i += static_cast<size_t>(length);
  }
  return true;
}

// The code page an encoding declaration names, when it is one this build
// converts: "windows-1251", "cp1251", "iso-8859-1", "koi8-r" and the like.
int DeclaredCodePage(std::string_view encoding) {
  std::string lower = AsciiLowerCase(std::string(encoding));
  int number = 0;
  for (std::string_view prefix : {"windows-", "cp", "x-cp"})
    if (lower.starts_with(prefix) && lower.size() > prefix.size() &&
        lower.find_first_not_of("0123456789", prefix.size()) == std::string::npos)
      number = std::atoi(lower.c_str() + prefix.size());
  if (lower == "iso-8859-1" || lower == "latin1" || lower == "us-ascii")
    number = 1252;
  if (lower == "shift_jis")
    number = 932;
  if (lower == "gb2312" || lower == "gbk")
    number = 936;
  if (lower == "big5")
    number = 950;
  return number != 0 && number != 1200 && IsSupportedCodePage(number) ? number : 0;
}

// Finds, for a quote at a position of a tag, the quote that closes it: the
// next same quote when it comes before the next "<" (no attribute value may
// hold one).  The next "<" and the next quote of each kind are found once
// and reused while the cursor moves forward, so that a run of quotes that
// never close is not searched again and again.
class QuoteFinder {
public:
  size_t ClosingQuote(std::string_view text, size_t at) {
    size_t close = NextOf(text, text[at], at, text[at] == '"' ? FNextDouble : FNextSingle);
    return close < NextOf(text, '<', at, FNextLt) ? close : std::string_view::npos;
  }

private:
  static size_t NextOf(std::string_view text, char wanted, size_t at, size_t& found) {
    if (found <= at) {
      size_t next = text.find(wanted, at + 1);
      found = next == std::string_view::npos ? text.size() : next;
    }
    return found;
  }
  size_t FNextLt = 0, FNextDouble = 0, FNextSingle = 0;
};

} // namespace

// ---------------------------------------------------------------- items

XmlNode* XmlNodeList::AddItem() {
  auto item = std::make_unique<XmlNode>(FOwner);
  item->Level = FOwner ? FOwner->Level + 1 : 0;
  FItems.push_back(std::move(item));
  return FItems.back().get();
}

void XmlNodeList::Remove(XmlNode* item) {
  for (size_t i = FItems.size(); i-- > 0;) {
    if (FItems[i].get() != item)
      continue;
    std::unique_ptr<XmlNode> taken = std::move(FItems[i]);
    FItems.erase(FItems.begin() + static_cast<ptrdiff_t>(i));
    taken->Items.Clear();
    return;
  }
}

void XmlNodeList::Clear() {
  // Deep trees are freed through a work list, not by nested destructors.
  std::vector<std::unique_ptr<XmlNode>> pending;
  while (!FItems.empty()) {
    pending.push_back(std::move(FItems.back()));
    FItems.pop_back();
  }
  while (!pending.empty()) {
    std::unique_ptr<XmlNode> item = std::move(pending.back());
    pending.pop_back();
    auto& children = item->Items.FItems;
    while (!children.empty()) {
      pending.push_back(std::move(children.back()));
      children.pop_back();
    }
  }
}

XmlNode::XmlNode(XmlNode* parent) : Items(this), Parent(parent) {}

void XmlNode::AppendValue(std::u16string_view text) {
  if (text.empty())
    return;
  FValue.append(text);
  FHasValue = true;
}

void XmlNode::AppendValue(std::u16string&& text) {
  if (text.empty())
    return;
  if (FValue.empty())
    FValue = std::move(text);
  else
    FValue.append(text);
  FHasValue = true;
}

void XmlNode::ReleaseValue() {
  std::u16string().swap(FValue);
  FHasValue = false;
}

std::u16string XmlNode::GetRawValue() const {
  std::u16string value = FValue;
  if (value.empty() || (value.front() != u'"' && value.front() != u'\''))
    return value;
  const char16_t quote = value.front();
  // A value closed by its quote is what lies between the quotes; what
  // follows the closing quote (the "?" of a declaration, blanks) is not
  // part of it, while blanks and "?" inside it are.
  if (size_t close = value.rfind(quote); close > 0 && close != std::u16string::npos) {
    std::u16string_view after = std::u16string_view(value).substr(close + 1);
    if (after.find_first_not_of(u" ?\r\n\t") == std::u16string_view::npos)
      return value.substr(1, close - 1);
  }
  while (!value.empty()) {
    char16_t last = value.back();
    if (last != u' ' && last != u'?' && last != quote && last != u'\r' && last != u'\n' &&
        last != u'\t')
      break;
    value.pop_back();
  }
  if (!value.empty())
    value.erase(0, 1);
  return value;
}

std::u16string XmlNode::GetValue() const {
  std::u16string value = GetRawValue();
  if (!value.empty())
    DecodeEntities(value);
  return value;
}

namespace {

// Makes whole text out of stretches of the document-order text, in order:
// entities decoded, runs of white space one blank (none at the ends),
// literal pieces as they stand.  The state carries across stretches, so
// text cut at tags collapses as it would in one piece.
class WholeTextCollapser {
public:
  WholeTextCollapser() : FDecoded(FOwnDecoded) {}
  // decoded: a buffer for the pieces whose entities are decoded; verbatim:
  // white space stays as it is (preformatted text), CR LF and CR made LF.
  explicit WholeTextCollapser(std::u16string& decoded, bool verbatim = false)
      : FDecoded(decoded), FVerbatim(verbatim) {}

  void Append(std::u16string_view raw, std::u16string& out) {
    while (!raw.empty()) {
      size_t begin = raw.find(kLiteralBegin);
      AppendCollapsed(raw.substr(0, begin), out);
      if (begin == std::u16string_view::npos)
        break;
      size_t close = raw.find(kLiteralEnd, begin);
      std::u16string_view literal = raw.substr(begin + 1, close - std::min(close, begin + 1));
      if (FBlank && FAny)
        out += u' ';
      FBlank = false;
      out += literal;
      FAny = FAny || !literal.empty();
      raw = close == std::u16string_view::npos ? std::u16string_view() : raw.substr(close + 1);
    }
  }

private:
  void AppendCollapsed(std::u16string_view piece, std::u16string& out) {
    if (piece.find(u'&') != std::u16string_view::npos) {
      FDecoded.assign(piece);
      DecodeEntities(FDecoded);
      piece = FDecoded;
    }
    if (FVerbatim) {
      for (char16_t c : piece) {
        if (c == u'\r') {
          out += u'\n';
        } else if (!(c == u'\n' && FLastCr)) {
          out += c;
        }
        FLastCr = c == u'\r';
      }
      return;
    }
    for (char16_t c : piece) {
      if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') {
        FBlank = true;
        continue;
      }
      if (FBlank && FAny)
        out += u' ';
      FBlank = false;
      FAny = true;
      out += c;
    }
  }

  std::u16string FOwnDecoded;
  std::u16string& FDecoded;
  bool FVerbatim = false;
  bool FLastCr = false; // a CR was the last character (verbatim)
  bool FBlank = false;  // white space waits for the next character
  bool FAny = false;    // some text came before
};

} // namespace

size_t XmlNode::TextStretchEnd() const {
  return FTextOpen ? FDocumentText->size() : FTextEnd;
}

std::u16string XmlNode::WholeText() const {
  if (FDocumentText == nullptr)
    return std::u16string(TrimWide(GetValue()));
  size_t end = TextStretchEnd();
  std::u16string_view raw(*FDocumentText);
  raw = raw.substr(FTextBegin, end - std::min(FTextBegin, end));
  std::u16string text;
  text.reserve(raw.size());
  WholeTextCollapser().Append(raw, text);
  return text;
}

// The stretches between the tags of the subtree, in document order: each
// child's stretch lies inside its parent's (clamped there, and never
// before what was already given, so that a damaged tree still gives each
// character once).
bool XmlNode::VisitWholeText(TextVisitor& visitor, bool verbatim) {
  if (FDocumentText == nullptr) {
    visitor.Text(TrimWide(GetValue()));
    return true;
  }
  const std::u16string_view all(*FDocumentText);
  WholeTextCollapser collapser(visitor.FDecoded, verbatim);
  std::u16string& piece = visitor.FPiece;
  size_t cursor = std::min(FTextBegin, all.size());
  // Entities decoded stretch by stretch may differ from the whole text
  // decoded at once (a ";" right after a reference goes with it, also past
  // a tag): where an "&" stands in the word that a tag ends, the pieces are
  // checked.  Entities hold no blanks, so one that a tag cuts lies there.
  const size_t first = cursor;
  bool check = false;
  auto mayCutEntity = [&](size_t position) {
    for (size_t at = position; at > first; --at) {
      char16_t c = all[at - 1];
      if (c == u'&')
        return true;
      if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r')
        return false;
    }
    return false;
  };
  const size_t last = std::max(cursor, std::min(TextStretchEnd(), all.size()));
  const bool hasEntity = all.substr(cursor, last - cursor).find(u'&') != std::u16string_view::npos;
  bool skipped = false;
  std::u16string& joined = visitor.FJoined; // only with an "&" in the text
  joined.clear();
  auto giveUpTo = [&](size_t position) {
    if (position <= cursor)
      return;
    piece.clear();
    collapser.Append(all.substr(cursor, position - cursor), piece);
    if (hasEntity) {
      check = check || mayCutEntity(position);
      joined += piece;
    }
    cursor = position;
    if (!piece.empty())
      visitor.Text(piece);
  };
  std::vector<TextVisitor::Frame>& stack = visitor.FStack;
  stack.clear();
  stack.push_back({this, 0, std::max(cursor, std::min(TextStretchEnd(), all.size()))});
  while (!stack.empty()) {
    TextVisitor::Frame& top = stack.back();
    if (top.nextChild < top.item->Items.Count()) {
      XmlNode& child = *top.item->Items[top.nextChild++];
      if (child.Kind != XmlNodeKind::Element || child.FDocumentText != FDocumentText)
        continue;
      const size_t parentEnd = top.end;
      giveUpTo(std::min(std::max(child.FTextBegin, cursor), parentEnd));
      const size_t childEnd = std::min(std::max(child.TextStretchEnd(), cursor), parentEnd);
      if (visitor.Enter(child))
        stack.push_back({&child, 0, childEnd});
      else {
        cursor = childEnd; // passed over
        skipped = true;
      }
      continue;
    }
    XmlNode& done = *top.item;
    giveUpTo(top.end);
    stack.pop_back();
    if (&done != this)
      visitor.Leave(done);
  }
  return !check || skipped || verbatim || joined == WholeText();
}

void XmlParser::AppendLiteralText(std::u16string_view text) {
  FDocumentText += kLiteralBegin;
  FDocumentText += text;
  FDocumentText += kLiteralEnd;
}

namespace {

// The attributes of a start tag's raw attribute text, in order: visit(name,
// value) for each with a name and a value (the value as written, with its
// quotes).
template <class Visit> void SplitAttributeText(const std::string& text, Visit visit) {
  std::string name, value;
  char quote = 0; // the quote of the value being read, 0 outside quotes
  bool inName = true;
  auto flush = [&] {
    if (!name.empty() && !value.empty())
      visit(name, value);
    name.clear();
    value.clear();
    inName = true;
  };
  // Blanks around "=" belong to neither side: a name followed by blanks and
  // "=" is still waiting for its value.
  auto nextNonBlank = [&](size_t i) {
    while (i < text.size() && IsXmlSpace(text[i]))
      ++i;
    return i;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    // Either quote opens a value that only the same quote closes; a single
    // quote does so where a value begins, after "=".
    if (quote == 0 && (c == '"' || (c == '\'' && !inName && value.empty())))
      quote = c;
    else if (c == quote)
      quote = 0;
    if (quote == 0 && c == '=') {
      inName = false;
    } else if (quote == 0 && IsXmlSpace(c) && !name.empty() && !inName && value.empty()) {
      continue; // a blank after "="
    } else if (quote == 0 && IsXmlSpace(c) && !name.empty() && inName &&
               nextNonBlank(i + 1) < text.size() && text[nextNonBlank(i + 1)] == '=') {
      i = nextNonBlank(i + 1) - 1; // blanks before "="
      continue;
    } else {
      (inName ? name : value) += c;
    }
    if ((quote == 0 && IsXmlSpace(c)) || i + 1 == text.size())
      flush();
  }
}

} // namespace

void XmlNode::ParseAttributes() {
  const std::string text = std::move(AttributeText);
  AttributeText.clear();
  SplitAttributeText(text, [&](const std::string& name, const std::string& value) {
    XmlNode* attribute = Items.AddItem();
    attribute->FEngine = FEngine;
    attribute->Kind = XmlNodeKind::Attribute;
    attribute->Name = name;
    attribute->SetValue(FEngine ? FEngine->ConvertText(value) : AnsiToWide(value, 1252));
  });
}

std::optional<std::u16string> XmlNode::AttributeValue(std::string_view localName) const {
  auto matches = [&](std::string_view name) {
    if (size_t colon = name.rfind(':'); colon != std::string_view::npos)
      name.remove_prefix(colon + 1);
    return name == localName;
  };
  for (int i = 0; i < Items.Count(); ++i) {
    const XmlNode& attribute = *Items[i];
    if (attribute.Kind == XmlNodeKind::Attribute && matches(attribute.Name))
      return attribute.GetValue();
  }
  std::optional<std::u16string> found;
  SplitAttributeText(AttributeText, [&](const std::string& name, const std::string& value) {
    if (found || !matches(name))
      return;
    // Read as the attribute's item would be: quotes taken off, entities
    // decoded.
    XmlNode attribute;
    attribute.FEngine = FEngine;
    attribute.SetValue(FEngine ? FEngine->ConvertText(value) : AnsiToWide(value, 1252));
    found = attribute.GetValue();
  });
  return found;
}

XmlNode* XmlNode::ItemByName(std::string_view name) {
  std::vector<XmlNode*> stack{this};
  while (!stack.empty()) {
    XmlNode* item = stack.back();
    stack.pop_back();
    if (item->Name == name)
      return item;
    for (int i = item->Items.Count(); i-- > 0;)
      stack.push_back(item->Items[i]);
  }
  return nullptr;
}

// ---------------------------------------------------------------- engine

XmlParser::XmlParser() = default;

XmlParser::~XmlParser() {
  if (FBudget != nullptr)
    FBudget->ReleaseMemory(FCharged);
}

std::u16string XmlParser::ConvertText(std::string_view bytes) const {
  // A text read byte by byte cannot be UTF-16, whatever its declaration
  // says: well-formed UTF-8 under such a declaration is UTF-8.
  if (FUnicodeSource || EqualsIgnoringAsciiCase(FEncoding, "utf-8") ||
      ((FEncoding.empty() || NamesUtf16(FEncoding)) && FTextIsUtf8))
    return DecodeUtf8Text(bytes);
  if (int codePage = DeclaredCodePage(FEncoding))
    return AnsiToWide(bytes, codePage);
  // Neither declared nor UTF-8: the bytes of an 8-bit code page.
  return AnsiToWide(bytes, FTextCodePage);
}

XmlNode* XmlParser::FindItem(XmlNode* startItem, std::string_view name) {
  std::vector<XmlNode*> stack{startItem ? startItem : &FRoot};
  while (!stack.empty()) {
    XmlNode* item = stack.back();
    stack.pop_back();
    if (EqualsIgnoringAsciiCase(item->Name, name))
      return item;
    for (int i = item->Items.Count(); i-- > 0;)
      stack.push_back(item->Items[i]);
  }
  return nullptr;
}

void XmlParser::FreeItem(XmlNode*& item) {
  if (item == nullptr)
    return;
  if (item->Parent != nullptr)
    item->Parent->Items.Remove(item);
  else
    item->Items.Clear();
  item = nullptr;
}

void XmlParser::ClearTree() {
  FRoot.Items.Clear();
  if (FBudget != nullptr)
    FBudget->ReleaseMemory(FCharged);
  FCharged = 0;
  FUnicodeSource = false;
}

void XmlParser::LoadFromStream(Stream* stream, int64_t endPosition) {
  if (stream != nullptr && endPosition == 0)
    return LoadFromBytes(stream->ReadRest());
  ClearTree();
  if (stream == nullptr)
    return;
  int64_t remaining = endPosition - stream->Position();
  ParseLoaded(remaining > 0 ? stream->ReadBytes(static_cast<size_t>(std::min<int64_t>(
                                  remaining, stream->Size() - stream->Position())))
                            : std::string());
}

void XmlParser::LoadFromBytes(std::string text) {
  ClearTree();
  // A UTF-16 text (byte-order mark FF FE or FE FF) is read as UTF-8.  So
  // is one without the mark that begins with its declaration ("<?" in
  // 16-bit units), which would otherwise end at its first zero byte.
  using namespace std::string_view_literals;
  bool little = text.starts_with("\xFF\xFE"), big = text.starts_with("\xFE\xFF");
  size_t skip = 2;
  if (!little && !big && text.starts_with("<\0?\0"sv))
    little = true, skip = 0;
  else if (!little && !big && text.starts_with("\0<\0?"sv))
    big = true, skip = 0;
  if (little || big) {
    std::u16string units((text.size() - skip) / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
      auto lo = static_cast<uint8_t>(text[skip + 2 * i + (big ? 1 : 0)]);
      auto hi = static_cast<uint8_t>(text[skip + 2 * i + (big ? 0 : 1)]);
      units[i] = static_cast<char16_t>(lo | hi << 8);
    }
    text = WideToUtf8(units);
    FUnicodeSource = true;
  }
  ParseLoaded(std::move(text));
}

// The source is paid for while it is parsed, the whole-text view as long
// as the tree stands.
void XmlParser::ParseLoaded(std::string text) {
  if (!text.empty() && text.back() == '\x1B')
    text.pop_back();
  if (text.empty())
    return;
  if (FBudget != nullptr) {
    FCharged += text.size();
    FBudget->SpendMemory(text.size());
  }
  ParseText(text);
  if (FBudget != nullptr) {
    const uint64_t kept = FDocumentText.size() * sizeof(char16_t);
    FBudget->ReleaseMemory(text.size());
    FCharged -= text.size();
    FCharged += kept;
    FBudget->SpendMemory(kept);
  }
}

// ---------------------------------------------------------------- parser

// The parse of one text: a cursor over the bytes and the open element.
class XmlParser::Parser {
public:
  Parser(XmlParser& engine, std::string_view text)
      : E(engine), T(text.substr(0, text.find('\0'))), N(T.size()) {}

  void Run() {
    TextScan(); // the prolog before the first "<"
    while (N > 0 && P < N - 1) {
      size_t start = P;
      if (!Step())
        break;
      if (P == start)
        ++P; // nothing taken: step over the byte
    }
    // Elements never closed reach to the end of the text.
    for (XmlNode* item = Current; item != nullptr; item = item->Parent)
      CloseText(item);
  }

private:
  // What one "<" opens: a CDATA section, a comment or a start tag, with the
  // text that follows it.
  struct Tag {
    std::string name;
    std::u16string value;   // for the item: trimmed unless preserved
    std::u16string rawText; // untrimmed and decoded, for the whole-text view
    std::string attributes; // raw
    std::u16string attributesWide;
    // A comment, a CDATA section or an instruction inside an element: read
    // whole, closed at once, holding no items.
    bool selfContained = false;
  };

  Tag ReadTag() {
    Tag tag;
    if (P + 8 < N && UpperEquals(T.substr(P, 8), "![CDATA[")) {
      tag.name = "![CDATA[";
      tag.selfContained = true;
      // The section ends at "]]>"; "]]" alone is content.  Without any
      // "]]>" the first "]]" (or the end) ends it.
      size_t end = T.find("]]>", P + 8);
      if (end == std::string_view::npos)
        end = T.find("]]", P + 8);
      std::string_view content =
          T.substr(P + 8, (end == std::string_view::npos ? N : end) - (P + 8));
      tag.value = AnsiToWide(content, 1252); // the value keeps the bytes as they are
      tag.rawText = E.ConvertText(content);
      P = end == std::string_view::npos ? N : end + 2; // onto the ">"
      return tag;
    }
    size_t nameStart = P;
    if (P < N && IsNameByte(T[P], true))
      ++P;
    while (P < N && IsNameByte(T[P], false))
      ++P;
    tag.name = std::string(T.substr(nameStart, P - nameStart));
    if (tag.name.starts_with("!--")) {
      tag.selfContained = true;
      size_t end = T.find("-->", nameStart + 3);
      size_t stop = end == std::string_view::npos ? N : end + 2; // the ">"
      tag.value = AnsiToWide(T.substr(nameStart, stop - nameStart), 1252);
      P = end == std::string_view::npos ? N : end + 3;
      size_t next = P;
      while (next < N && IsXmlSpace(T[next]))
        ++next;
      if (next < N && T[next] != '<')
        P = stop; // text follows: read from the ">" like the text after a CDATA section
      else
        P = next < N ? next + 1 : next;
      return tag;
    }
    if (tag.name.starts_with('?') && InsideElement()) {
      // A processing instruction inside an element ends at its "?>" and
      // holds nothing; the text after it belongs to the element.
      // The name may have taken the "?" of "?>" along ("<?pi?>").
      size_t end = T.find("?>", nameStart + 1);
      if (end != std::string_view::npos) {
        tag.selfContained = true;
        tag.attributes = end > P ? std::string(T.substr(P, end - P)) : std::string();
        tag.attributesWide = E.ConvertText(tag.attributes);
        P = end + 1; // onto the ">"
        return tag;
      }
    }
    tag.attributes = AttributeTextScan();
    tag.attributesWide = E.ConvertText(tag.attributes);
    // "/>" right after the name or the attributes makes an empty element;
    // anywhere in the text it is text.
    if (!(P + 1 < N && T[P] == '/' && T[P + 1] == '>'))
      tag.rawText = E.ConvertText(TextScan());
    bool preserve = tag.attributesWide.find(u"xml:space=\"preserve\"") != std::u16string::npos ||
                    tag.attributesWide.find(u"xml:space='preserve'") != std::u16string::npos;
    tag.value = preserve ? tag.rawText : std::u16string(TrimWide(tag.rawText));
    return tag;
  }

  // Whether the open item is an element of the document, not the XML
  // declaration, a document-type declaration or an instruction of the
  // prolog (which stay open and hold the rest of the document).
  bool InsideElement() const {
    return Current != nullptr && !Current->Name.empty() && Current->Name[0] != '?' &&
           Current->Name[0] != '!';
  }

  // One tag and the end tags after it; false when a handler cancelled.
  bool Step() {
    Tag tag = ReadTag();
    bool accept = true;
    if (!tag.name.empty()) {
      XmlNode* node = nullptr;
      if (Current == nullptr) {
        node = &E.FRoot; // the first element, or one after the root closed
      } else {
        if (E.OnTag)
          E.OnTag(E, Current, AnsiToWide(tag.name, 1252), tag.value, tag.attributesWide, accept);
        if (accept)
          node = Current->Items.AddItem();
      }
      if (node != nullptr) {
        CountElement();
        Current = node;
        OpenText(node);
      }
    }
    if (!accept) {
      // A refused comment, CDATA section or instruction was read whole:
      // there is nothing more to skip.
      if (!tag.selfContained)
        SkipRefused();
      return CloseTags();
    }
    // Text after a CDATA section (a tag without a name) joins the element
    // that holds the section; with no element open it is dropped.
    if (Current != nullptr) {
      if (!tag.name.empty())
        Current->Name = tag.name;
      if (!tag.name.starts_with("!--"))
        E.FDocumentText += tag.rawText;
      Current->AppendValue(std::move(tag.value));
      if (!tag.name.empty())
        FinishNode(tag);
    }
    return CloseTags();
  }

  void CountElement() {
    if (++Elements > E.FLimits.elements)
      throw LimitExceeded("elements", E.FLimits.elements);
    if (E.FBudget != nullptr) {
      E.FCharged += kElementBytes; // given back with the tree, also after a failure
      E.FBudget->SpendMemory(kElementBytes);
    }
  }

  void FinishNode(const Tag& tag) {
    const std::string& name = tag.name;
    const std::string& attributes = tag.attributes;
    if (name.starts_with("!--") || name == "![CDATA[") {
      Current->Kind = name == "![CDATA[" ? XmlNodeKind::CData : XmlNodeKind::Comment;
      CloseText(Current);
      Current = Current->Parent;
      return;
    }
    Current->Kind = XmlNodeKind::Element;
    if (tag.selfContained) { // an instruction inside an element
      Current->AttributeText = attributes;
      CloseText(Current);
      Current = Current->Parent;
      return;
    }
    if (!attributes.empty())
      Current->AttributeText = attributes;
    if (E.AttributesAutoProcess && !Current->AttributeText.empty())
      Current->ParseAttributes();
    if (EqualsIgnoringAsciiCase(name, "?xml")) {
      if (!Current->AttributeText.empty())
        Current->ParseAttributes();
      if (XmlNode* encoding = E.FindItem(Current, "encoding")) {
        std::u16string text = encoding->GetValue();
        if (text.ends_with(u"\"?"))
          text.resize(text.size() - 2);
        E.FEncoding = WideToAnsi(text, 1252);
      }
    }
  }

  // Closing tags: any end tag closes the open element.
  bool CloseTags() {
    while (N > 0 && P < N - 1 && T[P] == '/' && Current != nullptr) {
      if (T[P + 1] == '>' && P + 1 == N - 1) {
        P = P + 1;
        break;
      }
      std::string_view tail = EndTagScan(true, true);
      std::u16string tailText = E.ConvertText(tail);
      XmlNode* closed = Current;
      CloseText(closed);
      Current = Current->Parent;
      if (Current != nullptr) {
        Current->AppendValue(TrimWide(tailText));
        E.FDocumentText += tailText;
      }
      bool cancel = false;
      if (E.OnAfterTag)
        E.OnAfterTag(E, closed, cancel);
      if (cancel)
        return false;
    }
    return true;
  }

  // The refused element's subtree and tail are passed over: counting the
  // start tags ("<" and a name) against their end tags ("</") and empty
  // ends ("/>" closing a start tag).  Comments, CDATA sections and
  // instructions are passed over whole, and a "/>" in text is text.
  void SkipRefused() {
    if (!(P + 1 < N && T[P] == '/' && T[P + 1] == '>')) {
      size_t gt = P == 0 ? std::string_view::npos : T.rfind('>', P - 1);
      P = gt == std::string_view::npos ? 0 : gt;
    }
    int depth = 1;
    bool inStartTag = P + 1 < N && T[P] == '/' && T[P + 1] == '>';
    QuoteFinder quotes;
    while (P < N && depth > 0) {
      if (inStartTag) {
        SkipInStartTag(quotes, depth, inStartTag);
      } else if (T[P] != '<') {
        size_t lt = T.find('<', P);
        P = lt == std::string_view::npos ? N : lt;
      } else if (P + 1 < N && T[P + 1] == '/') {
        --depth;
        P += 2;
        EndTagScan(true, false);
      } else if (T.substr(P).starts_with("<!--")) {
        PassOver("-->", P + 4);
      } else if (P + 9 <= N && UpperEquals(T.substr(P + 1, 8), "![CDATA[")) {
        PassOver("]]>", P + 9);
      } else if (T.substr(P).starts_with("<?")) {
        PassOver("?>", P + 2);
      } else if (T.substr(P).starts_with("<!")) {
        PassOver(">", P + 2);
      } else {
        ++depth;
        ++P;
        inStartTag = true;
      }
    }
    SkipSpace();
    if (P < N && T[P] == '<')
      ++P;
  }

  // Inside a start tag: its quoted values, then ">" (its content follows)
  // or "/>" (it is empty).
  void SkipInStartTag(QuoteFinder& quotes, int& depth, bool& inStartTag) {
    char c = T[P];
    if (c == '/' && P + 1 < N && T[P + 1] == '>') {
      --depth;
      P += 2;
      inStartTag = false;
    } else if (c == '>') {
      ++P;
      inStartTag = false;
    } else if (c == '"' || (c == '\'' && FollowsEquals(P))) {
      size_t close = quotes.ClosingQuote(T, P);
      P = close != std::string_view::npos ? close + 1 : P + 1;
    } else {
      ++P;
    }
  }

  // Whether the byte at "at" comes right after "=" (blanks between): where
  // an attribute value begins.  Only a run of blanks right before a quote is
  // passed over, so the scans stay linear.
  bool FollowsEquals(size_t at) const {
    while (at > 0 && IsXmlSpace(T[at - 1]))
      --at;
    return at > 0 && T[at - 1] == '=';
  }

  // Moves past the first end mark at or after from (to the end without one).
  void PassOver(std::string_view endMark, size_t from) {
    size_t end = T.find(endMark, std::min(from, N));
    P = end == std::string_view::npos ? N : end + endMark.size();
  }

  // From after the name to the first ">" or "/" outside quotes.  A double
  // quote, or a single quote where a value begins (after "="), opens a value
  // that only the same quote closes; a value is quoted only when its closing
  // quote comes before the next "<" (no value may hold a "<"), otherwise its
  // quote is passed over as before: a lone double quote still hides the
  // "/"s after it, not the ">".
  std::string AttributeTextScan() {
    size_t start = P;
    bool unbalanced = false;
    QuoteFinder quotes;
    while (P < N && T[P] != '>' && (unbalanced || T[P] != '/')) {
      char c = T[P];
      if ((c == '"' || (c == '\'' && FollowsEquals(P))) && !unbalanced) {
        if (size_t close = quotes.ClosingQuote(T, P); close != std::string_view::npos) {
          P = close + 1;
          continue;
        }
      }
      if (c == '"')
        unbalanced = !unbalanced;
      ++P;
    }
    return std::string(T.substr(start, P - start));
  }

  // Steps over the ">" that ends a tag, then takes the text up to "<"
  // (passed over).  A ">" or "/>" inside the text is text.
  std::string_view TextScan() {
    if (P < N && T[P] == '>')
      ++P;
    size_t start = P;
    size_t lt = T.find('<', P);
    P = lt == std::string_view::npos ? N : lt;
    std::string_view text = T.substr(start, P - start);
    if (P < N)
      ++P;
    return text;
  }

  // Past the end tag's ">", then the tail text up to the next "<" (blanks
  // included: its value is trimmed anyway).
  std::string_view EndTagScan(bool closingForm, bool consumeLt) {
    SkipSpace();
    if (closingForm) {
      size_t gt = T.find('>', P);
      P = gt == std::string_view::npos ? N : gt + 1;
    }
    size_t start = P;
    while (P < N && T[P] != '<')
      ++P;
    std::string_view tail = T.substr(start, P - start);
    if (consumeLt && P < N)
      ++P;
    return tail;
  }

  void SkipSpace() {
    while (P < N && IsXmlSpace(T[P]))
      ++P;
  }

  static bool UpperEquals(std::string_view bytes, std::string_view upper) {
    for (size_t i = 0; i < upper.size(); ++i) {
      if (AsciiUpper(bytes[i]) != upper[i])
        return false;
    }
    return true;
  }

  void OpenText(XmlNode* item) {
    item->FEngine = &E;
    item->FDocumentText = &E.FDocumentText;
    if (!item->FTextOpen && item->FTextEnd == 0)
      item->FTextBegin = E.FDocumentText.size();
    item->FTextOpen = true;
  }

  void CloseText(XmlNode* item) {
    item->FTextEnd = E.FDocumentText.size();
    item->FTextOpen = false;
  }

  XmlParser& E;
  std::string_view T;
  size_t N;
  size_t P = 0;
  XmlNode* Current = nullptr;
  uint64_t Elements = 0; // created in this load, for the limit
};

void XmlParser::ParseText(std::string_view text) {
  FEncoding.clear();
  FDocumentText.clear();
  FDocumentText.reserve(text.size()); // never more characters than bytes
  FRoot.FTextBegin = FRoot.FTextEnd = 0;
  FRoot.FTextOpen = false;
  FTextIsUtf8 = IsValidUtf8(text);
  Parser(*this, text).Run();
  FDocumentText.shrink_to_fit(); // markup took its share of the bytes
}

} // namespace scrivlet
