#include "pdf/PageTree.h"

#include "core/Exception.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace scrivlet::pdf {

namespace {

// Attributes a page takes from its ancestors.
struct Inherited {
  std::string_view Resources;
  std::string_view MediaBox;
  int Rotate = 0;
};

struct PendingNode {
  ObjectRef Ref;
  Inherited Attributes;
};

// The resources of a node.  Many pages refer to one resources object: its
// dictionary comes from the object as the document read it once, not from a
// new scan of its text for each page.
std::string_view ResourcesOf(const PdfDocument& document, std::string_view dictionary) {
  if (std::optional<ObjectRef> ref = GetKeyReference("/resources", dictionary)) {
    std::string_view inside = document.Object(ref->Number).Dictionary;
    if (!inside.empty())
      return inside;
  }
  return GetDictValue("/resources", dictionary, &document);
}

Inherited Inherit(const PdfDocument& document, std::string_view dictionary, Inherited from) {
  if (HasKey(dictionary, "/resources"))
    from.Resources = ResourcesOf(document, dictionary);
  if (HasKey(dictionary, "/mediabox"))
    from.MediaBox = GetKeyList("/mediabox", dictionary);
  if (HasKey(dictionary, "/rotate"))
    from.Rotate = static_cast<int>(ToInteger(GetKeyValue("/rotate", dictionary), 0));
  return from;
}

bool IsPageNode(std::string_view dictionary) {
  std::string_view type = GetKeyValue("/type", dictionary);
  if (NameIs(type, "/pages"))
    return true;
  return type.empty() && HasKey(dictionary, "/kids");
}

bool IsPage(std::string_view dictionary) {
  std::string_view type = GetKeyValue("/type", dictionary);
  if (NameIs(type, "/page"))
    return true;
  return type.empty() && !HasKey(dictionary, "/kids");
}

// The references of an array value that may be written inline or as an
// object of its own ("/Kids 12 0 R" with object 12 an array).
std::string_view ReferenceList(const PdfDocument& document, std::string_view key,
                               std::string_view dictionary) {
  std::string_view list = GetKeyList(key, dictionary);
  std::string_view probe = list;
  if (auto ref = TakeReference(probe)) {
    size_t at = FindKey(dictionary, key);
    std::string_view after = Trim(dictionary.substr(at + key.size()));
    if (!after.starts_with("[")) {
      // A single reference: to a stream, a dictionary, or an array object.
      IndirectObject target = document.Object(ref->Number);
      std::string_view body = Trim(target.Body());
      if (body.starts_with("[")) {
        size_t end = body.find(']');
        return body.substr(1, end == std::string_view::npos ? std::string_view::npos : end - 1);
      }
    }
  }
  return list;
}

} // namespace

std::string ReadPageContents(const PdfDocument& document, std::string_view pageDictionary) {
  std::string contents;
  std::string_view list = ReferenceList(document, "/contents", pageDictionary);
  std::unordered_set<uint32_t> seen;
  while (auto ref = TakeReference(list)) {
    if (!seen.insert(ref->Number).second)
      continue; // the same stream twice: read once
    IndirectObject object = document.Object(ref->Number);
    if (!object.Stream)
      continue;
    if (contents.empty()) {
      contents = document.StreamData(object); // no copy of a page's only stream
      continue;
    }
    // A page's streams are one content stream in parts: joined, they are
    // held to the limit of one decoded stream, and a part stops decoding
    // where it would pass it (four parts of 255 MB each took a gigabyte
    // and more while they were joined).
    const size_t cap = document.DecodingLimits().StreamCap;
    const size_t room = contents.size() < cap ? cap - contents.size() - 1 : 0;
    std::string part = document.StreamData(object, room);
    // Growing by doubling, but never past the limit.
    const size_t needed = contents.size() + 1 + part.size();
    if (contents.capacity() < needed)
      contents.reserve(std::max(needed, std::min(cap, 2 * contents.capacity())));
    contents += '\n';
    contents += part;
  }
  return contents;
}

namespace {

void WalkStack(const PdfDocument& document, std::vector<PendingNode>& stack,
               std::unordered_set<uint32_t>& visited, size_t& visits,
               const std::function<void(PdfPage&)>& visit, bool withContents) {
  while (!stack.empty()) {
    PendingNode node = stack.back();
    stack.pop_back();
    if (!visited.insert(node.Ref.Number).second)
      continue; // an ancestor or a node already reached: once only
    IndirectObject object = document.Object(node.Ref.Number);
    std::string_view dictionary = object.Dictionary;
    if (!object.Found() || (dictionary.empty() && !object.InObjectStream))
      continue;
    Inherited attributes = Inherit(document, dictionary, node.Attributes);
    if (IsPageNode(dictionary)) {
      std::string_view kids = ReferenceList(document, "/kids", dictionary);
      std::vector<PendingNode> children;
      while (auto kid = TakeReference(kids))
        children.push_back({*kid, attributes});
      // Reversed onto the stack, so the first kid is walked first.
      stack.insert(stack.end(), children.rbegin(), children.rend());
      continue;
    }
    if (!IsPage(dictionary))
      continue;
    PdfPage page;
    page.ObjectNumber = object.Number;
    page.Generation = object.Generation;
    page.ObjectText = object.Text;
    page.Dictionary = dictionary;
    page.Resources = attributes.Resources;
    page.MediaBox = attributes.MediaBox;
    page.Rotate = attributes.Rotate;
    if (withContents)
      page.Contents = ReadPageContents(document, dictionary);
    ++visits;
    visit(page);
  }
}

// What a page takes from the chain of its /Parent nodes (a bounded chain:
// a loop or a very long one ends the climb).  What each node passes on is
// kept in `known`: orphan pages share their ancestors, and reading a large
// ancestor's dictionary again for each page took time of pages times its
// size.  A climb stops at the first node already known.
Inherited InheritedFromParents(const PdfDocument& document, ObjectRef page,
                               std::unordered_map<uint32_t, Inherited>& known) {
  std::vector<std::pair<uint32_t, std::string_view>> ancestors;
  std::unordered_set<uint32_t> seen{page.Number};
  std::string_view dictionary = document.Object(page.Number).Dictionary;
  Inherited attributes;
  while (ancestors.size() < 64) {
    std::optional<ObjectRef> parent = GetKeyReference("/parent", dictionary);
    if (!parent || !seen.insert(parent->Number).second)
      break;
    if (auto it = known.find(parent->Number); it != known.end()) {
      attributes = it->second;
      break;
    }
    dictionary = document.Object(parent->Number).Dictionary;
    ancestors.emplace_back(parent->Number, dictionary);
  }
  for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) {
    attributes = Inherit(document, it->second, attributes);
    known.emplace(it->first, attributes);
  }
  return attributes;
}

// Page objects in object-number order, for a tree that leads to none of
// them (a /Kids loop, a missing root node): their text is still there.
std::vector<ObjectRef> OrphanPages(const PdfDocument& document) {
  std::vector<ObjectRef> pages;
  for (const auto& [number, entry] : document.Xref().Entries()) {
    IndirectObject object = document.Object(number);
    if (NameIs(GetKeyValue("/type", object.Dictionary), "/page"))
      pages.push_back({number, object.Generation});
  }
  std::sort(pages.begin(), pages.end(),
            [](const ObjectRef& a, const ObjectRef& b) { return a.Number < b.Number; });
  return pages;
}

} // namespace

void WalkPages(const PdfDocument& document, const std::function<void(PdfPage&)>& visit,
               bool withContents) {
  std::optional<ObjectRef> root = document.Root();
  std::unordered_set<uint32_t> visited;
  std::vector<PendingNode> stack;
  if (root) {
    visited.insert(root->Number);
    IndirectObject catalog = document.Object(root->Number);
    if (std::optional<ObjectRef> pages = GetKeyReference("/pages", catalog.Dictionary))
      stack.push_back({*pages, {}});
  }
  size_t visits = 0;
  WalkStack(document, stack, visited, visits, visit, withContents);
  if (visits > 0)
    return;
  std::vector<ObjectRef> orphans = OrphanPages(document);
  std::unordered_map<uint32_t, Inherited> known;
  for (auto it = orphans.rbegin(); it != orphans.rend(); ++it)
    stack.push_back({*it, InheritedFromParents(document, *it, known)});
  visited.clear();
  WalkStack(document, stack, visited, visits, visit, withContents);
}

size_t CountPages(const PdfDocument& document) {
  size_t count = 0;
  WalkPages(
      document, [&count](PdfPage&) { ++count; }, false);
  return count;
}

} // namespace scrivlet::pdf
