// OpenDocument content and metadata.
#include "readers/opendocument/VdWOO.h"

#include "core/CodePage.h"
#include "core/Exception.h"
#include "core/KxWUtils.h"
#include "xml/KxWXML.h"
#include "zip/KxWZipFile.h"

namespace scrivlet {
namespace {

bool IsParagraph(const std::string& name) {
  return name == "text:p" || name == "text:h";
}

// The number of a "text:c" attribute, 1 when there is none.
size_t SpaceCount(const std::u16string& attributes) {
  size_t at = attributes.find(u"text:c=\"");
  if (at == std::u16string::npos)
    return 1;
  size_t count = 0;
  for (size_t i = at + 8; i < attributes.size() && attributes[i] >= u'0' && attributes[i] <= u'9';
       ++i)
    count = std::min<size_t>(count * 10 + (attributes[i] - u'0'), 10000);
  return std::max<size_t>(count, 1);
}

int32_t IntegerOf(const std::u16string& text) {
  return StrToIntDef(WideToAnsi(text), 0);
}

} // namespace

void TCustomOpenOfficeDocument::Clear() {
  TVdWBaseDocument::Clear();
  FStyles.clear();
}

void TCustomOpenOfficeDocument::ParseStream(TStream& stream) {
  TVdWBaseDocument::ParseStream(stream);
  const bool text = ParseItems().Contains(wpiText);
  if (text)
    AddText(GetHeaderText(), OutputLines());
  TZipArchive zip;
  zip.LoadFromStream(stream);
  // A password-protected package keeps its parts encrypted, as its manifest
  // says; read as they are they would give an empty document.
  if (zip.GetFileByName("META-INF/manifest.xml").find("encryption-data") != std::string::npos)
    throw Exception("Could not read the password protected file");
  if (text)
    ParseContentMember(zip, "content.xml", OutputLines());
  if (ParseItems().Contains(wpiSummaryInformation))
    ReadMeta(zip, "meta.xml");
  if (text)
    AddText(GetFooterText(), OutputLines());
}

void TCustomOpenOfficeDocument::ParseContentMember(const TZipArchive& zip,
                                                   const std::string& member, TWideStrings& list) {
  TMemoryStream stream(zip.GetFileByName(member));
  ParseContent(stream, list);
}

void TCustomOpenOfficeDocument::ParseContent(TStream& stream, TWideStrings& list) {
  TKxXMLEngine engine;
  engine.OnTag = [this](TKxXMLEngine& sender, TKxXMLItem* parent, const std::u16string& name,
                        const std::u16string& value, const std::u16string& attributes,
                        bool&) { DoTag(sender, parent, name, value, attributes); };
  engine.LoadFromStream(&stream);
  if (TextFormating() != tfPlainText)
    if (TKxXMLItem* styles = engine.FindItem(nullptr, "office:automatic-styles")) {
      ReadStyles(*styles);
      if (TextFormating() == tfHTML)
        WriteStylesCss(list);
    }
  if (TKxXMLItem* body = engine.FindItem(nullptr, FBodyName))
    if (TKxXMLItem* content = engine.FindItem(body, FContentName))
      WalkContent(*content, list);
}

// Line breaks, spaces and tabs inside paragraph text: put at their place in
// the paragraph's text.
void TCustomOpenOfficeDocument::DoTag(TKxXMLEngine& sender, TKxXMLItem* parent,
                                      const std::u16string& name, const std::u16string& value,
                                      const std::u16string& attributes) {
  if (parent == nullptr)
    return;
  std::u16string markup;
  if (name == u"text:line-break") {
    markup = TextFormating() == tfRTF    ? u"\r\n\\par "
             : TextFormating() == tfHTML ? u"<br/>"
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
void TCustomOpenOfficeDocument::WalkContent(TKxXMLItem& content, TWideStrings& list) {
  const TVdTextFormating formating = TextFormating();
  const bool html = formating == tfHTML;
  auto styleName = [](TKxXMLItem& item) {
    TKxXMLItem* style = item.ItemByName("text:style-name");
    return style ? style->GetValue() : std::u16string();
  };
  auto enter = [&](TKxXMLItem& n, int paragraphDepth) {
    const std::string& name = n.Name;
    if ((IsParagraph(name) || name == "text:a" || name == "text:span") && paragraphDepth == 0) {
      std::u16string text = n.WholeText();
      std::u16string style = styleName(n);
      ConvertSysChar(wscNone, text);
      if (formating == tfRTF)
        text += u"\\par ";
      else if (html)
        text = (style.empty() ? u"<p>" : u"<p class=\"" + style + u"\">") + text + u"</p>";
      AddText(std::move(text), list);
    } else if (name == "draw:image") {
      if (TKxXMLItem* href = n.ItemByName("xlink:href")) {
        std::u16string text = href->GetValue();
        text += ConvertSysChar(wscIncludePicture, text);
        if (formating == tfRTF)
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
  auto leave = [&](TKxXMLItem& n) {
    const std::string& name = n.Name;
    if (html && name == "text:list-item")
      AddText(u"  </li>", list);
    else if (html && name == "text:list")
      AddText(u"</ul>", list);
    if (name == "table:table-cell" || name == "table:table-row") {
      std::u16string text = !html ? u"" : name == "table:table-cell" ? u"    </td>" : u"  </tr>";
      text += ConvertSysChar(wscCellEnd, text);
      AddText(std::move(text), list);
    } else if (name == "table:table" && html) {
      AddText(u"</table>", list);
    } else if (name == "draw:page") {
      AddText(ConvertSysChar(wscPageEnd, std::u16string()), list);
    }
  };
  // The state: paragraphs and headings around the item.
  WalkItems(
      content, 0,
      [&](TKxXMLItem& item, int paragraphDepth) {
        enter(item, paragraphDepth);
        return paragraphDepth + (IsParagraph(item.Name) ? 1 : 0);
      },
      leave);
}

void TCustomOpenOfficeDocument::ReadMeta(const TZipArchive& zip, const std::string& member) {
  TKxXMLEngine engine;
  engine.LoadFromBytes(zip.GetFileByName(member));
  TKxXMLItem* meta = engine.FindItem(nullptr, "office:meta");
  if (meta == nullptr)
    return;
  meta->ParseAttributes();
  auto value = [&](TKxXMLItem* from, std::string_view name) {
    TKxXMLItem* item = engine.FindItem(from, name);
    return item ? item->GetValue() : std::u16string();
  };
  TKxWordSummaryInformation& s = FSummaryInformation;
  s.AppName = WideToAnsi(value(meta, "meta:generator"));
  s.Title = WideToAnsi(value(meta, "dc:title"));
  s.Subject = WideToAnsi(value(meta, "dc:subject"));
  s.Author = WideToAnsi(value(meta, "meta:initial-creator"));
  s.Keywords = WideToAnsi(value(meta, "meta:keyword"));
  s.Comments = WideToAnsi(value(meta, "dc:description"));
  s.LastAuthor = WideToAnsi(value(meta, "dc:creator"));
  if (TKxXMLItem* templ = engine.FindItem(meta, "meta:template")) {
    templ->ParseAttributes();
    s.Template = WideToAnsi(value(templ, "xlink:title") + u" " + value(templ, "xlink:href"));
  }
  s.Created = XmlDateToDateTime(value(meta, "meta:creation-date"));
  s.LastSaved = XmlDateToDateTime(value(meta, "dc:date"));
  s.EditTime = static_cast<int32_t>(
      std::min<int64_t>(ParseDuration(value(meta, "meta:editing-duration")) / 60, INT32_MAX));
  if (TKxXMLItem* statistics = engine.FindItem(meta, "meta:document-statistic")) {
    statistics->ParseAttributes();
    s.PageCount = IntegerOf(value(statistics, "meta:page-count"));
    s.WordCount = IntegerOf(value(statistics, "meta:word-count"));
    s.CharCount = IntegerOf(value(statistics, "meta:character-count"));
    s.ParagraphCount = IntegerOf(value(statistics, "meta:paragraph-count"));
    s.CharCount2 = IntegerOf(value(statistics, "meta:non-whitespace-character-count"));
  }
}

} // namespace scrivlet
