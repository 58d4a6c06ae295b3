#include "pdf/content/DocumentText.h"

#include "core/CodePage.h"
#include "core/Limits.h"
#include "pdf/content/ContentResources.h"
#include "pdf/content/PageText.h"
#include "pdf/content/TextCollector.h"
#include "pdf/fonts/DictionaryEntries.h"
#include "pdf/fonts/FontLoader.h"
#include "pdf/fonts/FontRecordKey.h"

#include <cstdlib>
#include <map>
#include <vector>

namespace scrivlet::pdf {
namespace {

constexpr int kMaxReferenceSteps = 8;

struct Resolved {
  std::string_view dictionary; // the inside, empty when not a dictionary
  IndirectObject holder;
  uint32_t objectNumber = 0; // of the object the value refers to, 0 for inline
};

// known, when given, keeps the dictionaries found at the end of references
// by object number: many pages may name one large dictionary (of all the
// document's fonts), and finding its end again for each page read it whole
// each time.
Resolved ResolveDictionary(const PdfDocument& document, std::string_view value,
                           const IndirectObject& holder,
                           std::unordered_map<uint32_t, std::string_view>* known = nullptr) {
  Resolved resolved{{}, holder, 0};
  value = Trim(value);
  for (int step = 0; step < kMaxReferenceSteps; ++step) {
    std::optional<ObjectRef> ref = ReferenceAt(value);
    if (!ref)
      break;
    resolved.objectNumber = ref->Number;
    resolved.holder = document.Object(ref->Number);
    value = Trim(resolved.holder.Body());
  }
  if (known && resolved.objectNumber)
    if (auto found = known->find(resolved.objectNumber); found != known->end()) {
      resolved.dictionary = found->second;
      return resolved;
    }
  // Finding the end of the dictionary reads it whole.
  if (auto inside = DictionaryAt(value)) {
    resolved.dictionary = *inside;
    document.Budget().SpendWork(inside->size());
  }
  if (known && resolved.objectNumber)
    known->emplace(resolved.objectNumber, resolved.dictionary);
  return resolved;
}

std::vector<double> MatrixNumbers(std::string_view text) {
  std::vector<double> numbers;
  ContentTokenizer tokenizer(text);
  ContentToken token;
  while (tokenizer.Next(token) && token.kind != ContentToken::Kind::ArrayClose)
    if (token.kind == ContentToken::Kind::Number)
      numbers.push_back(token.number);
  return numbers;
}

} // namespace

// The entries of a resources subdictionary by name, read in one pass when
// first asked: a content stream may name each of thousands of fonts or
// forms, and looking each name up by a scan of the dictionary took time of
// names times entries.  The first entry of a name stands.
class DocumentText::EntryIndex {
public:
  // budget: what the index's entries are charged to (null: nothing).
  void Reset(std::string_view dictionary, WorkBudget* budget) {
    FDictionary = dictionary;
    FBudget = budget;
    FBuilt = false;
  }
  std::optional<std::string_view> Find(std::string_view name) {
    Build();
    auto it = FExact.find(name);
    return it == FExact.end() ? std::nullopt : std::optional(it->second);
  }
  std::optional<std::string_view> FindIgnoringCase(std::string_view name) {
    Build();
    auto it = FFolded.find(LowerAscii(name));
    return it == FFolded.end() ? std::nullopt : std::optional(it->second);
  }

private:
  void Build() {
    if (FBuilt)
      return;
    FBuilt = true;
    ForEachEntry(FDictionary, [this](std::string_view key, std::string_view value) {
      if (FBudget)
        FBudget->SpendMemory(2 * (kEntryBytes + key.size()));
      FExact.emplace(std::string(key), value);
      FFolded.emplace(LowerAscii(key), value);
      return true;
    });
  }

  // What an entry of one of the maps takes besides its name.
  static constexpr uint64_t kEntryBytes = 96;

  std::string_view FDictionary;
  WorkBudget* FBudget = nullptr;
  bool FBuilt = false;
  std::map<std::string, std::string_view, std::less<>> FExact, FFolded;
};

// The font and form subdictionaries of one resources dictionary, indexed
// once per document: forms that share a resources dictionary (as most do)
// are shown under many callers, and indexing the dictionary again under
// each took time and memory of forms shown times its entries.
//
// The subdictionaries themselves are indexed once per document too, by
// where their text lies: pages with resources of their own that all name
// one font dictionary of a hundred thousand entries indexed it again for
// each page, and kept each index.  Subdictionaries written inline in text
// that the caller holds (see Resources) are indexed on their own.
struct DocumentText::ResourceIndex {
  ResourceIndex() = default;
  ResourceIndex(const ResourceIndex&) = delete;
  ResourceIndex& operator=(const ResourceIndex&) = delete;

  EntryIndex* fonts = &ownFonts;
  EntryIndex* forms = &ownForms;
  EntryIndex ownFonts, ownForms;
  IndirectObject fontsHolder, formsHolder;
};

// What a form XObject holds, read once per document: a form is shown
// under many resources (each caller's in turn), and reading its dictionary
// and finding the end of its resources dictionary again under each took
// time of callers times the dictionary's size.
struct DocumentText::FormObject {
  bool isForm = false;
  std::string content; // decoded
  Matrix matrix;
  bool hasResources = false;
  std::string_view resources; // the inside of its resources dictionary
  IndirectObject resourcesHolder;
};

// The fonts and forms of one resources dictionary, in front of the
// resources of whatever shows it.
class DocumentText::Resources final : public ContentResources {
public:
  Resources(DocumentText& owner, std::string_view dictionary, const IndirectObject& holder,
            ContentResources* outer)
      : FOwner(owner), FDictionary(dictionary), FOwnIndex(IndexOfOwnText(holder)),
        FIndex(FOwnIndex ? *FOwnIndex : owner.IndexOf(dictionary, holder)), FOuter(outer) {}

  const Font* FindFont(std::string_view name) override {
    // Content streams select the same few fonts over and over.
    auto cached = FFontCache.find(name);
    if (cached != FFontCache.end())
      return cached->second;
    const Font* font = LookUpFont(name);
    FFontCache.emplace(std::string(name), font);
    return font;
  }

  const Font* LookUpFont(std::string_view name) {
    std::optional<std::string_view> value = FIndex.fonts->Find(name);
    if (!value) // names that differ only in letter case are the same font
      value = FIndex.fonts->FindIgnoringCase(name);
    if (value)
      if (const Font* font = FOwner.FontOf(*value, FIndex.fontsHolder))
        return font;
    return FOuter ? FOuter->FindFont(name) : nullptr;
  }

  bool FindForm(std::string_view name, FormContent& form) override {
    auto value = FIndex.forms->Find(name);
    if (!value)
      return FOuter ? FOuter->FindForm(name, form) : false;
    // A form is looked up once per name: a content stream may show it
    // again and again.
    auto cached = FFormCache.find(name);
    if (cached == FFormCache.end())
      cached = FFormCache.emplace(std::string(name), LookUpForm(*value)).first;
    const CachedForm& found = cached->second;
    if (!found.isForm)
      return false;
    form.id = found.id;
    form.content = found.content;
    form.matrix = found.matrix;
    form.resources = found.resources;
    return true;
  }

private:
  struct CachedForm {
    bool isForm = false;
    uint64_t id = 0;
    std::string_view content;
    Matrix matrix;
    ContentResources* resources = nullptr; // the form's own, in front of these
    std::unique_ptr<Resources> ownResources;
  };

  CachedForm LookUpForm(std::string_view value) {
    CachedForm form;
    std::optional<ObjectRef> ref = ReferenceAt(value);
    if (!ref)
      return form;
    const FormObject& object = FOwner.FormObjectOf(ref->Number);
    if (!object.isForm)
      return form;
    form.isForm = true;
    form.id = ref->Number;
    form.content = object.content;
    form.matrix = object.matrix;
    if (object.hasResources) {
      if (SameText(object.resources, FDictionary)) {
        // The caller's own dictionary in front of the caller finds what
        // the caller finds: forms that share one resources dictionary
        // naming them all then add no resources per form shown.
        form.resources = this;
      } else {
        form.ownResources =
            std::make_unique<Resources>(FOwner, object.resources, object.resourcesHolder, this);
        form.resources = form.ownResources.get();
      }
    }
    return form;
  }

  // Resources given as text the caller holds (no object of the document
  // keeps it) are indexed for these resources alone: their place in memory
  // may serve other text later.
  std::unique_ptr<ResourceIndex> IndexOfOwnText(const IndirectObject& holder) {
    if (holder.Found())
      return nullptr;
    auto index = std::make_unique<ResourceIndex>();
    FOwner.Index(FDictionary, holder, *index, false);
    return index;
  }

  static bool SameText(std::string_view a, std::string_view b) {
    return !a.empty() && a.data() == b.data() && a.size() == b.size();
  }

  DocumentText& FOwner;
  std::string_view FDictionary;
  std::unique_ptr<ResourceIndex> FOwnIndex;
  ResourceIndex& FIndex;
  ContentResources* FOuter;
  std::map<std::string, const Font*, std::less<>> FFontCache;
  std::map<std::string, CachedForm, std::less<>> FFormCache;
};

DocumentText::DocumentText(const PdfDocument& document, int legacyCodePage, uint64_t formBudget)
    : FDocument(document), FFormBudget(formBudget) {
  FContext.collections = &FCollections;
  FContext.legacyCodePage = legacyCodePage;
}

DocumentText::~DocumentText() = default;

// Resources dictionaries of the document's objects are indexed once, by
// where their text lies (the document keeps it for its life).  Reading a
// dictionary's entries spends its size from the document's work budget;
// its font and form subdictionaries are indexed when first asked.
DocumentText::ResourceIndex& DocumentText::IndexOf(std::string_view dictionary,
                                                   const IndirectObject& holder) {
  auto& slot = FResourceIndexes[{dictionary.data(), dictionary.size()}];
  if (!slot) {
    slot = std::make_unique<ResourceIndex>();
    Index(dictionary, holder, *slot, true);
  }
  return *slot;
}

// documentText: the dictionary lies in the document's buffers (its inline
// subdictionaries too).
void DocumentText::Index(std::string_view dictionary, const IndirectObject& holder,
                         ResourceIndex& index, bool documentText) {
  FDocument.Budget().SpendWork(dictionary.size());
  if (auto fonts = EntryValue(dictionary, "Font")) {
    Resolved resolved = ResolveDictionary(FDocument, *fonts, holder, &FKnownDictionaries);
    index.fonts = &SubdictionaryIndex(resolved.dictionary, resolved.objectNumber != 0,
                                      index.ownFonts, documentText);
    index.fontsHolder = resolved.holder;
  }
  if (auto forms = EntryValue(dictionary, "XObject")) {
    Resolved resolved = ResolveDictionary(FDocument, *forms, holder, &FKnownDictionaries);
    index.forms = &SubdictionaryIndex(resolved.dictionary, resolved.objectNumber != 0,
                                      index.ownForms, documentText);
    index.formsHolder = resolved.holder;
  }
}

DocumentText::EntryIndex& DocumentText::SubdictionaryIndex(std::string_view dictionary,
                                                           bool byReference, EntryIndex& own,
                                                           bool documentText) {
  if (!documentText && !byReference) {
    own.Reset(dictionary, &FDocument.Budget());
    return own;
  }
  auto& slot = FEntryIndexes[{dictionary.data(), dictionary.size()}];
  if (!slot) {
    slot = std::make_unique<EntryIndex>();
    slot->Reset(dictionary, &FDocument.Budget());
  }
  return *slot;
}

const Font* DocumentText::FontOf(std::string_view value, const IndirectObject& holder) {
  if (std::optional<ObjectRef> ref = ReferenceAt(value))
    if (auto it = FFonts.find(ref->Number); it != FFonts.end())
      return it->second;
  Resolved resolved = ResolveDictionary(FDocument, value, holder);
  if (resolved.dictionary.empty())
    return nullptr;
  // Fonts written inline are keyed by where their text lies in memory.
  uint64_t key =
      resolved.objectNumber
          ? resolved.objectNumber
          : (uint64_t{1} << 63) | reinterpret_cast<uintptr_t>(resolved.dictionary.data());
  auto& slot = FFonts[key];
  if (!slot)
    slot = RecordOf(
        ReadFontDescription(FDocument, resolved.dictionary, resolved.holder, &FSharedArrays));
  return slot;
}

// Fonts whose descriptions make the same record share it (see
// FontRecordKey.h).  A record made is paid for beyond what reading its
// description spent.
const Font* DocumentText::RecordOf(const FontDescription& description) {
  std::optional<std::string> key = FontRecordKey(description);
  if (key)
    if (auto known = FRecordsByKey.find(*key); known != FRecordsByKey.end())
      return known->second;
  FDocument.Budget().SpendMemory(sizeof(Font));
  const Font* font = FRecords.emplace_back(Font::Create(description, FContext)).get();
  if (key)
    FRecordsByKey.emplace(std::move(*key), font);
  return font;
}

const DocumentText::FormObject& DocumentText::FormObjectOf(uint32_t objectNumber) {
  auto& slot = FForms[objectNumber];
  if (slot)
    return *slot;
  slot = std::make_unique<FormObject>();
  FormObject& form = *slot;
  IndirectObject object = FDocument.Object(objectNumber);
  std::string_view dictionary = object.Dictionary;
  FDocument.Budget().SpendWork(dictionary.size());
  auto subtype = EntryValue(dictionary, "Subtype");
  if (!subtype || !NameIs(*subtype, "/Form"))
    return form;
  form.isForm = true;
  form.content = FDocument.StreamData(objectNumber);
  if (auto matrix = EntryValue(dictionary, "Matrix")) {
    std::vector<double> m = MatrixNumbers(*matrix);
    if (m.size() == 6)
      form.matrix = {m[0], m[1], m[2], m[3], m[4], m[5]};
  }
  if (auto resources = EntryValue(dictionary, "Resources")) {
    Resolved resolved = ResolveDictionary(FDocument, *resources, object, &FKnownDictionaries);
    form.hasResources = true;
    form.resources = resolved.dictionary;
    form.resourcesHolder = resolved.holder;
  }
  return form;
}

std::u16string DocumentText::ContentText(std::string_view content, std::string_view resources) {
  Resources pageResources(*this, resources, IndirectObject{}, nullptr);
  std::vector<TextItem> items;
  TextCollector::Collect(content, pageResources, items, FFormBudget, &FDocument.Budget());
  return LayOutPageText(items);
}

// Pages that inherit their resources, or refer to one resources object,
// share one Resources (and its looked-up fonts and forms): every page
// looking its fonts up in a dictionary of all the document's fonts took
// time of pages times fonts.
DocumentText::Resources& DocumentText::PageResources(const PdfPage& page) {
  auto& slot = FPageResources[{page.Resources.data(), page.Resources.size()}];
  if (!slot)
    slot = std::make_unique<Resources>(*this, page.Resources, FDocument.Object(page.ObjectNumber),
                                       nullptr);
  return *slot;
}

std::u16string DocumentText::PageText(const PdfPage& page) {
  return JoinPageLines(PageLines(page));
}

std::vector<PageLine> DocumentText::PageLines(const PdfPage& page) {
  Resources& pageResources = PageResources(page);
  std::vector<TextItem> items;
  TextCollector::Collect(page.Contents, pageResources, items, FFormBudget, &FDocument.Budget());
  return LayOutPageLines(items);
}

void ForEachPageText(const PdfDocument& document,
                     const std::function<void(const std::u16string&)>& addPage,
                     int legacyCodePage) {
  DocumentText text(document, legacyCodePage);
  WalkPages(document, [&](PdfPage& page) { addPage(text.PageText(page)); });
}

} // namespace scrivlet::pdf
