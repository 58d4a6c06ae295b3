#include "readers/wordperfect/WordPerfectReader.h"

#include "core/ByteReader.h"
#include "core/CodePage.h"
#include "core/Exception.h"
#include "core/Markup.h"
#include "storage/CompoundFile.h"

namespace scrivlet {
namespace {

constexpr char kIdentification[] = "\xFFWPC";
constexpr size_t kHeaderSize = 24;
constexpr size_t kIndexEntrySize = 14;

// Accented letters of the codes 1 to 31, as Windows-1252 bytes.
constexpr uint8_t kControlCodes[32] = {
    0,    0xC5, 0xE6, 0xC6, 0xE4, 0xC4, 0xE0, 0xC0, 0xE2, 0xE3, 0xC3, 0xE7, 0xC7, 0xEB, 0xE8, 0xC8,
    0xE9, 0xEA, 0xEC, 0xF1, 0xD1, 0xF8, 0xD8, 0xF1, 0xD5, 0xD6, 0xF6, 0xDC, 0xFC, 0xFA, 0xF9, 0xDF};

enum BreakKind { kLineBreak, kParagraphEnd, kPageBreak, kShortBreak };

// The group header after the code byte: subfunction, size and, for most
// groups, a flags byte.
struct GroupHeader {
  uint64_t codePosition;
  uint8_t subfunction;
  uint16_t size;
};

GroupHeader ReadGroup(ByteReader& reader, bool withFlags) {
  GroupHeader group{reader.Position() - 1, 0, 0};
  group.subfunction = reader.U8();
  group.size = reader.U16();
  if (withFlags)
    reader.U8();
  return group;
}

// Groups end at their code position plus their size; a size of 0 leaves
// the reader just after the code byte.
void SkipGroup(ByteReader& reader, const GroupHeader& group) {
  reader.Seek(group.codePosition + (group.size == 0 ? 1 : group.size));
}

} // namespace

void WordPerfectReader::Clear() {
  LegacyReader::Clear();
  FFonts.clear();
  FPackets.clear();
  FSuppressed = false;
  FFontOpen = false;
  FAlignment.clear();
}

void WordPerfectReader::LoadFromFile(const std::string& fileName) {
  std::string bytes = ReadWholeFile(fileName);
  Clear();
  if (CompoundFile::HasSignature(bytes)) {
    ReadStorage(CompoundFile(std::move(bytes)));
    return;
  }
  ParseDocument(bytes);
}

void WordPerfectReader::ParseStream(Stream& stream) {
  LegacyReader::ParseStream(stream);
  std::string data = stream.ReadRest();
  if (CompoundFile::HasSignature(data)) {
    std::string copy = data;
    if (auto storage = CompoundFile::TryOpen(std::move(copy))) {
      ReadStorage(*storage);
      return;
    }
  }
  ParseDocument(data);
}

void WordPerfectReader::ReadStorage(const CompoundFile& storage) {
  for (const auto& element : storage.Elements(CompoundFile::kRoot))
    if (element.kind == CompoundFile::ElementKind::Stream && element.name == u"PerfectOffice_MAIN")
      ParseDocument(storage.StreamData(element.entry));
}

void WordPerfectReader::ParseDocument(std::string_view data) {
  Clear();
  ByteReader reader(data);
  std::string_view header = reader.Bytes(kHeaderSize);
  FDocumentOffset = ByteReader::Get32(header, 4);
  FMajorVersion = static_cast<uint8_t>(header[10]);
  FEncryption = ByteReader::Get16(header, 12);
  FIndexOffset = ByteReader::Get16(header, 14);
  FDocumentSize = ByteReader::Get32(header, 20);
  if (FEncryption != 0)
    throw Exception("Could not read the password protected file");
  if (FMajorVersion != 2 || header.substr(0, 4) != std::string_view(kIdentification, 4))
    throw Exception("File stream is not valid WordPerfect 6/7/8/9 document.");
  ReadIndex(reader);
  if (!ParseItems().Contains(ContentItem::Text))
    return;

  const OutputFormat format = TextFormating();
  std::string output = WideToAnsi(GetHeaderText(), LegacyTextCodePage());
  output.reserve(output.size() + data.size());
  const uint64_t limit = std::min<uint64_t>(FDocumentSize, data.size());
  reader.Seek(FDocumentOffset);
  while (reader.Position() < limit && !FTextLimited) {
    uint8_t c = reader.U8();
    if (c >= 0x21 && c <= 0x7E && !FSuppressed)
      AppendEscaped(format, static_cast<char>(c), output);
    else if (c >= 1 && c <= 31 && !FSuppressed)
      output += static_cast<char>(kControlCodes[c]);
    else
      output += ConvertFunction(reader, c);
  }
  std::u16string text = AnsiToWide(output, LegacyTextCodePage());
  text += GetFooterText();
  AddText(std::move(text), OutputLines());
}

void WordPerfectReader::ReadIndex(ByteReader& reader) {
  if (FIndexOffset == 0)
    return;
  reader.Seek(FIndexOffset + 2u);
  uint16_t count = reader.U16();
  if (count <= 1)
    return;
  reader.Seek(FIndexOffset + 14u);
  for (uint16_t k = 1; k < count; ++k) {
    std::string_view entry = reader.Bytes(kIndexEntrySize);
    WordPerfectPacket packet;
    packet.PacketNumber = k;
    packet.FlagSet = (entry[0] & 1) != 0;
    packet.PacketType = static_cast<uint8_t>(entry[1]);
    packet.DataOffset = ByteReader::Get32(entry, 10);
    if (packet.PacketType == 0x20 || packet.PacketType == 0x55)
      ReadFontDescriptor(reader, k, packet.DataOffset);
    FPackets.push_back(packet);
  }
}

void WordPerfectReader::ReadFontDescriptor(ByteReader& reader, uint16_t packet, uint32_t offset) {
  ByteReader data = reader; // the index reader keeps its place
  data.Seek(offset);
  WordPerfectFont font;
  font.PacketNumber = packet;
  for (uint16_t& word : font.Words)
    word = data.U16();
  for (uint8_t& byte : font.Bytes)
    byte = data.U8();
  uint16_t nameLength = data.U16();
  if (nameLength > 0)
    font.FontName = std::string(data.Bytes(nameLength));
  FFonts.push_back(std::move(font));
}

std::string WordPerfectReader::Break(int kind) const {
  switch (TextFormating()) {
  case OutputFormat::Rtf:
    return kind == kLineBreak      ? "\r\n\\line "
           : kind == kParagraphEnd ? "\r\n\\par "
           : kind == kPageBreak    ? "\r\n\\page "
                                   : "\r\n";
  case OutputFormat::Html: return kind == kParagraphEnd ? "<p></p>\r\n" : "<br>\r\n";
  default: return "\r\n";
  }
}

std::string WordPerfectReader::ConvertFunction(ByteReader& reader, uint8_t code) {
  const bool rtf = TextFormating() == OutputFormat::Rtf;
  switch (code) {
  case 0x80: return FSuppressed ? "" : " ";
  case 0x84: return FSuppressed ? "" : "-";
  case 0x87:
  case 0xCC: return Break(kParagraphEnd);
  case 0xCF: return FSuppressed ? "" : Break(kLineBreak);
  case 0xD0: {
    GroupHeader group = ReadGroup(reader, false);
    SkipGroup(reader, group);
    if (FSuppressed)
      return "";
    uint8_t s = group.subfunction;
    if ((s >= 1 && s <= 3) || (s >= 20 && s <= 22))
      return Break(kLineBreak);
    if ((s >= 4 && s <= 6) || (s >= 23 && s <= 25))
      return Break(kParagraphEnd);
    if (s == 7)
      return " ";
    if (s == 9 || s == 28)
      return Break(kPageBreak);
    return "";
  }
  case 0xD1:
  case 0xD5:
  case 0xD6:
  case 0xD7:
  case 0xD8:
  case 0xD9:
  case 0xDA:
  case 0xDD:
  case 0xDE:
  case 0xE1:
  case 0xE2: SkipGroup(reader, ReadGroup(reader, false)); return "";
  case 0xD2: {
    GroupHeader group = ReadGroup(reader, true);
    std::string out;
    if (group.subfunction == 0 || group.subfunction == 1) {
      reader.U16();
      uint16_t measure = reader.U16();
      if (rtf && !FSuppressed)
        out = (group.subfunction == 0 ? "\\pard\\fi" : "\\pard\\ri") +
              std::to_string(measure / 1200) + " ";
    }
    SkipGroup(reader, group);
    return out;
  }
  case 0xD3: {
    GroupHeader group = ReadGroup(reader, true);
    reader.U16();
    std::string out = group.subfunction == 5 ? Alignment(reader) : "";
    SkipGroup(reader, group);
    return out + Break(kShortBreak);
  }
  case 0xD4: {
    GroupHeader group = ReadGroup(reader, true);
    std::string out =
        group.subfunction == 0x1A || group.subfunction == 0x1B ? FontChange(reader) : "";
    SkipGroup(reader, group);
    return out;
  }
  case 0xDB:
  case 0xDC: SkipGroup(reader, ReadGroup(reader, false)); return Break(kShortBreak);
  case 0xDF: {
    GroupHeader group = ReadGroup(reader, true);
    if (reader.U8() == 0)
      throw Exception("Incorrect value for numPIDs");
    SkipGroup(reader, group);
    return "";
  }
  case 0xE0: {
    GroupHeader group = ReadGroup(reader, false);
    SkipGroup(reader, group);
    return FSuppressed ? "" : TabGroup(group.subfunction);
  }
  case 0xF0: {
    uint8_t number = reader.U8(), set = reader.U8();
    if (reader.U8() != 0xF0)
      throw Exception("Incorrect character instead WP_TOP_EXTENDED_CHARACTER");
    if (FSuppressed)
      return "";
    if (set == 4 && number == 28)
      return "'";
    if (set == 4 && (number == 31 || number == 32))
      return EscapeText(TextFormating(), std::string_view("\""));
    if (set == 1 && number == 52)
      return "\xCF";
    if (set == 1 && number == 53)
      return "\xEF";
    return "";
  }
  case 0xF1: {
    uint64_t start = reader.Position() - 1;
    uint8_t type = reader.U8();
    reader.Seek(start + 5);
    if (type == 0)
      FSuppressed = true;
    else if (type == 1)
      FSuppressed = false;
    return "";
  }
  case 0xF2:
  case 0xF3: {
    uint64_t start = reader.Position() - 1;
    uint8_t attribute = reader.U8();
    reader.Seek(start + 3);
    return FSuppressed ? "" : Attribute(attribute, code == 0xF2);
  }
  default: return "";
  }
}

std::string WordPerfectReader::Alignment(ByteReader& reader) {
  const OutputFormat formating = TextFormating();
  std::string out;
  if (!FAlignment.empty()) {
    if (formating == OutputFormat::Html)
      out += "</" + FAlignment + ">";
    FAlignment.clear();
  }
  uint8_t justification = reader.U8();
  if (!FSuppressed && justification <= 3) {
    static const char* const kRtf[] = {"\\pard\\ql ", "\\pard\\qj ", "\\pard\\qc ", "\\pard\\qr "};
    static const char* const kHtml[] = {"left", "center", "center", "right"};
    if (formating == OutputFormat::Rtf)
      out += kRtf[justification];
    else if (formating == OutputFormat::Html)
      FAlignment = kHtml[justification];
  }
  if (formating == OutputFormat::Html && !FAlignment.empty())
    out += "<" + FAlignment + ">";
  return out;
}

std::string WordPerfectReader::FontChange(ByteReader& reader) {
  std::string out;
  if (FFontOpen && TextFormating() == OutputFormat::Html)
    out += "</font>";
  FFontOpen = true;
  reader.U8();
  for (int i = 0; i < 4; ++i)
    reader.U16();
  uint16_t font = reader.U16();
  uint16_t size = reader.U16();
  if (TextFormating() == OutputFormat::Rtf)
    out += "\\pard\\f" + std::to_string(font) + "\\fs" + std::to_string(size * 2 / 50) + " ";
  else if (TextFormating() == OutputFormat::Html)
    out += "<font size=\"" + HtmlFontSize(size / 50) + "\">";
  return out;
}

std::string WordPerfectReader::TabGroup(uint8_t subfunction) {
  if (subfunction >= 0xD8)
    return "";
  const OutputFormat formating = TextFormating();
  switch (subfunction & 0xF8) {
  case 0x00:
  case 0x08:
  case 0x10:
  case 0x20:
  case 0x30:
  case 0x38:
  case 0x48:
  case 0x50:
  case 0x90:
  case 0xD0: return formating == OutputFormat::Rtf ? "\\pard\\tab " : "\t";
  case 0x40:
    if (formating == OutputFormat::Html)
      FAlignment = "center";
    return formating == OutputFormat::Rtf    ? "\\pard\\qc "
           : formating == OutputFormat::Html ? ""
                                             : "\t";
  case 0x80:
    if (formating == OutputFormat::Html)
      FAlignment = "right";
    return formating == OutputFormat::Rtf    ? "\\pard\\qr "
           : formating == OutputFormat::Html ? ""
                                             : "\t";
  default: return "";
  }
}

std::string WordPerfectReader::Attribute(uint8_t attribute, bool on) const {
  const OutputFormat formating = TextFormating();
  if (formating == OutputFormat::Rtf) {
    switch (attribute) {
    case 8: return on ? "\\i " : "\\i0 ";
    case 12: return on ? "\\b " : "\\b0 ";
    case 13: return on ? "\\strike " : "\\strike0 ";
    case 14: return on ? "\\ul " : "\\ul0 ";
    default: return "";
    }
  }
  if (formating == OutputFormat::Html) {
    switch (attribute) {
    case 5: return on ? "<sup>" : "</sup>";
    case 6: return on ? "<sub>" : "</sub>";
    case 8: return on ? "<i>" : "</i>";
    case 12: return on ? "<b>" : "</b>";
    case 13: return on ? "<s>" : "</s>";
    case 14: return on ? "<u>" : "</u>";
    default: return "";
    }
  }
  return "";
}

} // namespace scrivlet
