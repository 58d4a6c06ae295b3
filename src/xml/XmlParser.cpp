#include "xml/XmlParser.h"

#include "core/CodePage.h"
#include "core/TextHelpers.h"

#include <algorithm>
#include <cstring>

namespace scrivlet {
namespace {

bool IsNameChar(char c) {
  return c == '!' || c == '-' || (c >= '0' && c <= '9') || c == ':' || c == '?' ||
         (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z');
}

// Around literal text in the document-order text: two noncharacters, which
// no document may carry.
constexpr char16_t kLiteralBegin = 0xFDD0, kLiteralEnd = 0xFDD1;

bool IsXmlSpace(char c) {
  return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
           return lower(x) == lower(y);
         });
}

std::u16string_view TrimWide(std::u16string_view text) {
  while (!text.empty() && text.front() <= u' ')
    text.remove_prefix(1);
  while (!text.empty() && text.back() <= u' ')
    text.remove_suffix(1);
  return text;
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
  std::string lower(encoding);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c + 32);
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

std::u16string XmlNode::GetRawValue() const {
  std::u16string value = FValue;
  if (value.empty() || (value.front() != u'"' && value.front() != u'\''))
    return value;
  const char16_t quote = value.front();
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

std::u16string XmlNode::WholeText() const {
  if (FDocumentText == nullptr)
    return std::u16string(TrimWide(GetValue()));
  size_t end = FTextOpen ? FDocumentText->size() : FTextEnd;
  std::u16string_view raw(*FDocumentText);
  raw = raw.substr(FTextBegin, end - std::min(FTextBegin, end));
  std::u16string text;
  text.reserve(raw.size());
  bool blank = false;
  auto appendCollapsed = [&](std::u16string_view piece) {
    std::u16string decoded(piece);
    DecodeEntities(decoded);
    for (char16_t c : decoded) {
      if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') {
        blank = true;
        continue;
      }
      if (blank && !text.empty())
        text += u' ';
      blank = false;
      text += c;
    }
  };
  // Document text is decoded and its white space collapsed; literal pieces
  // stand as they are.
  while (!raw.empty()) {
    size_t begin = raw.find(kLiteralBegin);
    appendCollapsed(raw.substr(0, begin));
    if (begin == std::u16string_view::npos)
      break;
    size_t close = raw.find(kLiteralEnd, begin);
    std::u16string_view literal = raw.substr(begin + 1, close - std::min(close, begin + 1));
    if (blank && !text.empty())
      text += u' ';
    blank = false;
    text += literal;
    raw = close == std::u16string_view::npos ? std::u16string_view() : raw.substr(close + 1);
  }
  return text;
}

void XmlParser::AppendLiteralText(std::u16string_view text) {
  FDocumentText += kLiteralBegin;
  FDocumentText += text;
  FDocumentText += kLiteralEnd;
}

void XmlNode::ParseAttributes() {
  std::string name, value;
  bool quoted = false, inName = true;
  const std::string text = std::move(AttributeText);
  AttributeText.clear();
  auto flush = [&] {
    if (!name.empty() && !value.empty()) {
      XmlNode* attribute = Items.AddItem();
      attribute->FEngine = FEngine;
      attribute->Kind = XmlNodeKind::Attribute;
      attribute->Name = name;
      attribute->SetValue(FEngine ? FEngine->ConvertText(value) : AnsiToWide(value));
    }
    name.clear();
    value.clear();
    inName = true;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"')
      quoted = !quoted;
    if (!quoted && c == '=') {
      inName = false;
    } else {
      (inName ? name : value) += c;
    }
    if ((!quoted && IsXmlSpace(c)) || i + 1 == text.size())
      flush();
  }
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

std::u16string XmlParser::ConvertText(std::string_view bytes) const {
  if (FUnicodeSource || SameTextIgnoringCase(FEncoding, "utf-8") ||
      (FEncoding.empty() && FTextIsUtf8))
    return DecodeUtf8Text(bytes);
  if (int codePage = DeclaredCodePage(FEncoding))
    return AnsiToWide(bytes, codePage);
  return AnsiToWide(bytes);
}

XmlNode* XmlParser::FindItem(XmlNode* startItem, std::string_view name) {
  std::vector<XmlNode*> stack{startItem ? startItem : &FRoot};
  while (!stack.empty()) {
    XmlNode* item = stack.back();
    stack.pop_back();
    if (SameTextIgnoringCase(item->Name, name))
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

void XmlParser::LoadFromStream(Stream* stream, int64_t endPosition) {
  FRoot.Items.Clear();
  FUnicodeSource = false;
  if (stream == nullptr)
    return;
  int64_t end = endPosition != 0 ? endPosition : stream->Size();
  std::string text;
  if (endPosition == 0) {
    text = stream->ReadRest();
    // A UTF-16 text (byte-order mark FF FE or FE FF) is read as UTF-8.
    bool little = text.starts_with("\xFF\xFE"), big = text.starts_with("\xFE\xFF");
    if (little || big) {
      std::u16string units((text.size() - 2) / 2, u'\0');
      for (size_t i = 0; i < units.size(); ++i) {
        auto lo = static_cast<uint8_t>(text[2 + 2 * i + (big ? 1 : 0)]);
        auto hi = static_cast<uint8_t>(text[2 + 2 * i + (big ? 0 : 1)]);
        units[i] = static_cast<char16_t>(lo | hi << 8);
      }
      text = WideToUtf8(units);
      FUnicodeSource = true;
    }
  } else {
    int64_t remaining = end - stream->Position();
    text = remaining > 0 ? stream->ReadBytes(static_cast<size_t>(
                               std::min<int64_t>(remaining, stream->Size() - stream->Position())))
                         : std::string();
  }
  if (!text.empty() && text.back() == '\x1B')
    text.pop_back();
  if (!text.empty())
    ParseText(text);
}

void XmlParser::LoadFromBytes(std::string bytes) {
  MemoryStream stream(std::move(bytes));
  LoadFromStream(&stream);
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
  };

  Tag ReadTag() {
    Tag tag;
    if (P + 8 < N && UpperEquals(T.substr(P, 8), "![CDATA[")) {
      tag.name = "![CDATA[";
      size_t end = T.find("]]", P + 8);
      std::string_view content =
          T.substr(P + 8, (end == std::string_view::npos ? N : end) - (P + 8));
      tag.value = AnsiToWide(content, 1252); // the value keeps the bytes as they are
      tag.rawText = E.ConvertText(content);
      P = end == std::string_view::npos ? N : end + 2; // onto the ">"
      return tag;
    }
    size_t nameStart = P;
    while (P < N && IsNameChar(T[P]))
      ++P;
    tag.name = std::string(T.substr(nameStart, P - nameStart));
    if (tag.name.starts_with("!--")) {
      size_t end = T.find("-->", nameStart + 3);
      size_t stop = end == std::string_view::npos ? N : end + 2; // the ">"
      tag.value = AnsiToWide(T.substr(nameStart, stop - nameStart), 1252);
      P = end == std::string_view::npos ? N : end + 3;
      SkipSpace();
      if (P < N && T[P] == '<')
        ++P;
      return tag;
    }
    tag.attributes = AttributeTextScan();
    tag.attributesWide = E.ConvertText(tag.attributes);
    tag.rawText = E.ConvertText(TextScan());
    bool preserve = tag.attributesWide.find(u"xml:space=\"preserve\"") != std::u16string::npos;
    tag.value = preserve ? tag.rawText : std::u16string(TrimWide(tag.rawText));
    return tag;
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
        FinishNode(tag.name, tag.attributes);
    }
    return CloseTags();
  }

  void CountElement() {
    if (++Elements > E.FLimits.elements)
      throw LimitExceeded("elements", E.FLimits.elements);
  }

  void FinishNode(const std::string& name, const std::string& attributes) {
    if (name.starts_with("!--") || name == "![CDATA[") {
      Current->Kind = name == "![CDATA[" ? XmlNodeKind::CData : XmlNodeKind::Comment;
      CloseText(Current);
      Current = Current->Parent;
      return;
    }
    Current->Kind = XmlNodeKind::Element;
    if (!attributes.empty())
      Current->AttributeText = attributes;
    if (E.AttributesAutoProcess && !Current->AttributeText.empty())
      Current->ParseAttributes();
    if (SameTextIgnoringCase(name, "?xml")) {
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

  // The refused element's subtree and tail are passed over.
  void SkipRefused() {
    if (!(P + 1 < N && T[P] == '/' && T[P + 1] == '>')) {
      size_t gt = P == 0 ? std::string_view::npos : T.rfind('>', P - 1);
      P = gt == std::string_view::npos ? 0 : gt;
    }
    int depth = 1;
    while (P < N && depth > 0) {
      if (T[P] == '/' && P + 1 < N && T[P + 1] == '>') {
        --depth;
        P += 2;
      } else if (T[P] == '<' && P + 1 < N && T[P + 1] == '/') {
        --depth;
        P += 2;
        EndTagScan(true, false);
      } else {
        if (T[P] == '<')
          ++depth;
        ++P;
      }
    }
    SkipSpace();
    if (P < N && T[P] == '<')
      ++P;
  }

  // From after the name to the first ">" or, outside double quotes, "/".
  std::string AttributeTextScan() {
    size_t start = P;
    bool quoted = false;
    while (P < N && T[P] != '>' && (quoted || T[P] != '/')) {
      if (T[P] == '"')
        quoted = !quoted;
      ++P;
    }
    return std::string(T.substr(start, P - start));
  }

  // Skips ">"s, then takes the text up to "<" (passed over) or "/>".
  std::string_view TextScan() {
    while (P < N && T[P] == '>')
      ++P;
    size_t start = P;
    while (P < N && T[P] != '<' && !(T[P] == '/' && P + 1 < N && T[P + 1] == '>'))
      ++P;
    std::string_view text = T.substr(start, P - start);
    if (P < N && T[P] == '<')
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
      char c = bytes[i];
      if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 32);
      if (c != upper[i])
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
}

} // namespace scrivlet
