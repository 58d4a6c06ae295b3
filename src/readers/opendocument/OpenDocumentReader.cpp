// OpenDocument content and metadata.
#include "readers/opendocument/OpenDocumentReader.h"
#include "core/Numbers.h"

#include "core/CodePage.h"
#include "core/DateTime.h"
#include "core/Exception.h"
#include "xml/RawAttribute.h"
#include "xml/XmlParser.h"
#include "zip/ZipArchive.h"

namespace scrivlet {
namespace {

bool IsParagraph(const std::string& name) {
  return name == "text:p" || name == "text:h";
}

// The number of a "text:c" attribute, 1 when there is none.
size_t SpaceCount(const std::u16string& attributes) {
  std::u16string_view digits = RawAttributeValue(attributes, u"text:c").value_or(u"");
  size_t count = 0;
  for (size_t i = 0; i < digits.size() && digits[i] >= u'0' && digits[i] <= u'9'; ++i)
    count = std::min<size_t>(count * 10 + (digits[i] - u'0'), 10000);
  return std::max<size_t>(count, 1);
}

int32_t IntegerOf(const std::u16string& text) {
  return StrToIntDef(WideToAnsi(text), 0);
}

} // namespace

void OpenDocumentReader::Clear() {
  LegacyReader::Clear();
  FStyles.clear();
}

void OpenDocumentReader::ParseStream(Stream& stream) {
  LegacyReader::ParseStream(stream);
  const bool text = ParseItems().Contains(ContentItem::Text);
  if (text)
    AddText(GetHeaderText(), OutputLines());
  ZipArchive zip(ResourceLimits());
  zip.LoadFromStream(stream);
  // A password-protected package keeps its parts encrypted, as its manifest
  // says; read as they are they would give an empty document.
  if (zip.GetFileByName("META-INF/manifest.xml").find("encryption-data") != std::string::npos)
    throw Exception("Could not read the password protected file");
  if (text)
    ParseContentMember(zip, "content.xml", OutputLines());
  if (ParseItems().Contains(ContentItem::Summary))
    ReadMeta(zip, "meta.xml");
  if (text)
    AddText(GetFooterText(), OutputLines());
}

void OpenDocumentReader::ParseContentMember(const ZipArchive& zip, const std::string& member,
                                            TextLines& list) {
  MemoryStream stream(zip.GetFileByName(member));
  ParseContent(stream, list);
}

void OpenDocumentReader::ParseContent(Stream& stream, TextLines& list) {
  XmlParser engine;
  engine.SetLimits(ResourceLimits());
  engine.OnTag = [this](XmlParser& sender, XmlNode* parent, const std::u16string& name,
                        const std::u16string& value, const std::u16string& attributes,
                        bool&) { DoTag(sender, parent, name, value, attributes); };
  engine.LoadFromStream(&stream);
  if (TextFormating() != OutputFormat::PlainText)
    if (XmlNode* styles = engine.FindItem(nullptr, "office:automatic-styles")) {
      ReadStyles(*styles);
      if (TextFormating() == OutputFormat::Html)
        WriteStylesCss(list);
    }
  if (XmlNode* body = engine.FindItem(nullptr, FBodyName))
    if (XmlNode* content = engine.FindItem(body, FContentName))
      WalkContent(*content, list);
}

// Line breaks, spaces and tabs inside paragraph text: put at their place in
// the paragraph's text.
void OpenDocumentReader::DoTag(XmlParser& sender, XmlNode* parent, const std::u16string& name,
                               const std::u16string& value, const std::u16string& attributes) {
  if (parent == nullptr)
    return;
  std::u16string markup;
  if (name == u"text:line-break") {
    markup = TextFormating() == OutputFormat::Rtf    ? u"\r\n\\par "
             : TextFormating() == OutputFormat::Html ? u"<br/>"
                                                     : u"\r\n";
  } else if (name == u"text:s") {
    markup.assign(SpaceCount(attributes), u' ');
  } else if (name == u"text:tab") {
    markup = u"\t";
  } else {
    return;
  }
  if (parent->Name == "text:p")
    parent->AppendValue(value + markup);
  sender.AppendLiteralText(markup);
}

// The body in document order, with a stack of its own.  A paragraph or
// heading gives one line of its whole text; spans, links and paragraphs
// inside it are part of that line and give none of their own.
void OpenDocumentReader::WalkContent(XmlNode& content, TextLines& list) {
  const OutputFormat formating = TextFormating();
  const bool html = formating == OutputFormat::Html;
  auto styleName = [](XmlNode& item) {
    XmlNode* style = item.ItemByName("text:style-name");
    return style ? style->GetValue() : std::u16string();
  };
  auto enter = [&](XmlNode& n, int paragraphDepth) {
    const std::string& name = n.Name;
    if ((IsParagraph(name) || name == "text:a" || name == "text:span") && paragraphDepth == 0) {
      std::u16string text = n.WholeText(formating);
      std::u16string style = styleName(n);
      ConvertSysChar(SpecialChar::None, text);
      if (formating == OutputFormat::Rtf)
        text += u"\\par ";
      else if (html)
        text = (style.empty() ? u"<p>" : u"<p class=\"" + style + u"\">") + text + u"</p>";
      AddText(std::move(text), list);
    } else if (name == "draw:image") {
      if (XmlNode* href = n.ItemByName("xlink:href")) {
        std::u16string text = href->GetValue();
        text += ConvertSysChar(SpecialChar::IncludePicture, text);
        if (formating == OutputFormat::Rtf)
          text += u"\\par ";
        else if (html)
          text = u"<img src=\"" + text + u"\"<br>";
        AddText(std::move(text), list);
      }
    }
    if (!html)
      return;
    if (name == "table:table") {
      std::u16string style = styleName(n);
      AddText(style.empty() ? u"<table border=\"1\">"
                            : u"<table border=\"1\" class=\"" + style + u"\">",
              list);
    } else if (name == "table:table-row") {
      AddText(u"  <tr>", list);
    } else if (name == "table:table-cell") {
      AddText(u"    <td>", list);
    } else if (name == "text:list") {
      AddText(u"<ul>", list);
    } else if (name == "text:list-item") {
      AddText(u"  <li>", list);
    }
  };
  auto leave = [&](XmlNode& n) {
    const std::string& name = n.Name;
    if (html && name == "text:list-item")
      AddText(u"  </li>", list);
    else if (html && name == "text:list")
      AddText(u"</ul>", list);
    if (name == "table:table-cell" || name == "table:table-row") {
      std::u16string text = !html ? u"" : name == "table:table-cell" ? u"    </td>" : u"  </tr>";
      text += ConvertSysChar(SpecialChar::CellEnd, text);
      AddText(std::move(text), list);
    } else if (name == "table:table" && html) {
      AddText(u"</table>", list);
    } else if (name == "draw:page") {
      AddText(ConvertSysChar(SpecialChar::PageEnd, std::u16string()), list);
    }
  };
  // The state: paragraphs and headings around the item.
  WalkItems(
      content, 0,
      [&](XmlNode& item, int paragraphDepth) {
        enter(item, paragraphDepth);
        return paragraphDepth + (IsParagraph(item.Name) ? 1 : 0);
      },
      leave);
}

void OpenDocumentReader::ReadMeta(const ZipArchive& zip, const std::string& member) {
  XmlParser engine;
  engine.SetLimits(ResourceLimits());
  engine.LoadFromBytes(zip.GetFileByName(member));
  XmlNode* meta = engine.FindItem(nullptr, "office:meta");
  if (meta == nullptr)
    return;
  meta->ParseAttributes();
  auto value = [&](XmlNode* from, std::string_view name) {
    XmlNode* item = engine.FindItem(from, name);
    return item ? item->GetValue() : std::u16string();
  };
  DocumentSummary& s = Summary();
  s.AppName = WideToAnsi(value(meta, "meta:generator"));
  s.Title = WideToAnsi(value(meta, "dc:title"));
  s.Subject = WideToAnsi(value(meta, "dc:subject"));
  s.Author = WideToAnsi(value(meta, "meta:initial-creator"));
  s.Keywords = WideToAnsi(value(meta, "meta:keyword"));
  s.Comments = WideToAnsi(value(meta, "dc:description"));
  s.LastAuthor = WideToAnsi(value(meta, "dc:creator"));
  if (XmlNode* templ = engine.FindItem(meta, "meta:template")) {
    templ->ParseAttributes();
    s.Template = WideToAnsi(value(templ, "xlink:title") + u" " + value(templ, "xlink:href"));
  }
  s.Created = XmlDateToDateTime(value(meta, "meta:creation-date"));
  s.LastSaved = XmlDateToDateTime(value(meta, "dc:date"));
  s.EditTime = static_cast<int32_t>(
      std::min<int64_t>(ParseDuration(value(meta, "meta:editing-duration")) / 60, INT32_MAX));
  if (XmlNode* statistics = engine.FindItem(meta, "meta:document-statistic")) {
    statistics->ParseAttributes();
    s.PageCount = IntegerOf(value(statistics, "meta:page-count"));
    s.WordCount = IntegerOf(value(statistics, "meta:word-count"));
    s.CharCount = IntegerOf(value(statistics, "meta:character-count"));
    s.ParagraphCount = IntegerOf(value(statistics, "meta:paragraph-count"));
    s.CharCount2 = IntegerOf(value(statistics, "meta:non-whitespace-character-count"));
  }
}

} // namespace scrivlet
